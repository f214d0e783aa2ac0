// The flight's path: eased, arched, turning the shorter way, a second long.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "controls/Flight.h"
#include "support/WalkerFakes.h"

namespace {

TEST(Flight, RisesAndComesDownEasedTurningTheShorterWay)
{
    const WalkerPose from(0.0f, 1.8f, 0.0f, 350.0f, -20.0f);
    const WalkerPose to(1200.0f, 1.8f, 0.0f, 10.0f, 0.0f);
    const WalkerPose middle = flightPose(from, to, 0.5);
    EXPECT_NEAR(middle.x(), 600.0f, 1e-3);
    EXPECT_NEAR(middle.yaw(), 360.0f, 1e-3) << "through north, not back round";
    EXPECT_GT(middle.y(), 200.0f);
    EXPECT_LT(flightPose(from, to, 0.1).x(), 120.0f) << "eased: slow at the start";
    EXPECT_EQ(support::eyeOf(flightPose(from, to, 1.0), true), support::eyeOf(to, true));

    Flight flight;
    flight.start(from, to);
    double time = 0.0;
    float highest = 0.0f;
    while (flight.active() && time < 5.0) {
        highest = std::max(highest, flight.advance(0.05).y());
        time += 0.05;
    }
    EXPECT_NEAR(time, flightSeconds, 0.06);
    EXPECT_GT(highest, 250.0f);
}

} // namespace
