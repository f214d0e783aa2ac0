// The pose's moves and its view. The walker's recorded paths depend on the
// exact rounding of each step, so the sums keep their order.
#include "controls/WalkerPose.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "scene/Angles.h"

void WalkerPose::move(double dx, double dy, double dz)
{
    eyeX = static_cast<float>(eyeX + dx);
    eyeY = static_cast<float>(eyeY + dy);
    eyeZ = static_cast<float>(eyeZ + dz);
}

void WalkerPose::moveTo(float x, float y, float z)
{
    eyeX = x;
    eyeY = y;
    eyeZ = z;
}

void WalkerPose::walk(int ahead, int aside, double speed, double dt)
{
    const double yawRad = yawDegrees / 180.0 * walkerPi;
    if (aside != 0) {
        const double side = aside > 0 ? 1.0 : -1.0;
        eyeX = static_cast<float>(eyeX + side * std::cos(yawRad) * speed * dt);
        eyeZ = static_cast<float>(eyeZ + side * std::sin(yawRad) * speed * dt);
    }
    if (ahead != 0) {
        const double forth = ahead > 0 ? 1.0 : -1.0;
        eyeX = static_cast<float>(eyeX + forth * std::sin(yawRad) * speed * dt);
        eyeZ = static_cast<float>(eyeZ - forth * std::cos(yawRad) * speed * dt);
    }
}

void WalkerPose::turn(double yaw, double pitch)
{
    yawDegrees = static_cast<float>(yawDegrees + yaw);
    pitchDegrees = static_cast<float>(pitchDegrees + pitch);
}

void WalkerPose::turnTo(float yaw, float pitch)
{
    yawDegrees = yaw;
    pitchDegrees = pitch;
}

void WalkerPose::limitPitch(float limit)
{
    pitchDegrees = std::clamp(pitchDegrees, -limit, limit);
}

void WalkerPose::loadView() const
{
    glRotatef(pitchDegrees, 1.0f, 0.0f, 0.0f);
    glRotatef(yawDegrees, 0.0f, 1.0f, 0.0f);
    glTranslatef(-eyeX, -eyeY, -eyeZ);
}
