// The flight's path.
#include "controls/Flight.h"

#include <algorithm>
#include <cmath>

#include "scene/Angles.h"

namespace {

// The top of the arc: a quarter of the distance, up to a height from which
// a whole year row shows.
constexpr double arcPerUnit = 0.25;
constexpr double highestArc = 400.0;
// How far the view dips at the top of the highest arc.
constexpr double dipDegrees = 35.0;

double lerp(double a, double b, double s)
{
    return a + (b - a) * s;
}

double eased(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

}  // namespace

WalkerPose cameraOver(const WalkerPose& camera, float x, float z)
{
    const double pitchRad = camera.pitch() * pi / 180.0, yawRad = camera.yaw() * pi / 180.0;
    const double down = std::sin(pitchRad);
    // At yaw 0 the view runs down -z; a positive pitch looks down.
    const double along = down > 0.01 ? camera.y() / down * std::cos(pitchRad) : 0.0;
    return WalkerPose(static_cast<float>(x - along * std::sin(yawRad)), camera.y(),
                      static_cast<float>(z + along * std::cos(yawRad)), camera.yaw(), camera.pitch());
}

WalkerPose flightPose(const WalkerPose& from, const WalkerPose& to, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    if (t >= 1.0)
        return to;   // exactly, not within rounding
    const double s = eased(t);
    const double distance = std::hypot(to.x() - from.x(), to.z() - from.z());
    const double arc = std::min(distance * arcPerUnit, highestArc);
    const double lift = std::sin(pi * t);
    // The shorter way round, whatever turns the yaws have collected.
    double turn = std::fmod(static_cast<double>(to.yaw()) - from.yaw(), 360.0);
    if (turn > 180.0)
        turn -= 360.0;
    else if (turn < -180.0)
        turn += 360.0;
    return WalkerPose(static_cast<float>(lerp(from.x(), to.x(), s)),
                      static_cast<float>(lerp(from.y(), to.y(), s) + arc * lift),
                      static_cast<float>(lerp(from.z(), to.z(), s)),
                      static_cast<float>(from.yaw() + turn * s),
                      static_cast<float>(lerp(from.pitch(), to.pitch(), s) + dipDegrees * arc / highestArc * lift));
}

void Flight::start(const WalkerPose& start, const WalkerPose& target)
{
    from = start;
    to = target;
    elapsed = 0.0;
    flying = true;
}

WalkerPose Flight::advance(double dt)
{
    if (!flying)
        return to;
    if (dt > 0.0)   // also not NaN
        elapsed += dt;
    if (elapsed >= flightSeconds)
        return land();
    return flightPose(from, to, elapsed / flightSeconds);
}

double Flight::progress() const
{
    return flying ? eased(elapsed / flightSeconds) : 1.0;
}

WalkerPose Flight::land()
{
    flying = false;
    return to;
}
