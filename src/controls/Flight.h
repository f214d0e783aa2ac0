// The walker's flight to a place in time: about a second, eased, rising
// over the city and coming down again at eye level, turning the shorter
// way to face where it lands. Plain maths; the walker applies the poses.
#pragma once

#include "controls/WalkerPose.h"

constexpr double flightSeconds = 1.0;

// The pose at fraction t (0 to 1) of the flight: eased along the ground, an
// arc above the straight line that rises higher the farther it goes, the
// view dipping toward the city on the way.
WalkerPose flightPose(const WalkerPose& from, const WalkerPose& to, double t);

// The camera moved over the ground, at its height and angles, until the
// middle of its view falls on the ground point (x, z). Looking level or up,
// it stands right above it.
WalkerPose cameraOver(const WalkerPose& camera, float x, float z);

class Flight {
public:
    void start(const WalkerPose& from, const WalkerPose& to);
    bool active() const { return flying; }
    // How much of the way along the ground is done, eased: 0 to 1.
    double progress() const;
    // The pose dt seconds further on; the target once the time is up, and
    // the flight is over.
    WalkerPose advance(double dt);
    // Ends the flight at once, at its target.
    WalkerPose land();

private:
    WalkerPose from{};
    WalkerPose to{};
    double elapsed = 0.0;
    bool flying = false;
};
