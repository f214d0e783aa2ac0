// Where the overview camera stands when the city is larger than the view
// from the highest the far plane allows: over the walker, but never so
// that the view leaves the city.
#include <gtest/gtest.h>

#include "controls/OverviewFraming.h"

namespace {

TEST(OverviewFraming, ACityLargerThanTheViewCentresOnTheWalkerKeptInside)
{
    // 1600 x 7200 units of ground; from 1000 up a 70-degree view at 4 : 3
    // covers about 1867 x 1400, so only the depth is larger than the view.
    const OverviewArea city{-100.0f, 1500.0f, -200.0f, 7000.0f};
    const OverviewLens lens{70.0, 4.0 / 3.0, 1000.0};
    const struct { const char* what; float walkerX, walkerZ, eyeX, eyeZ; } cases[] = {
        {"in the middle", 300.0f, 3000.0f, 700.0f, 3000.0f},
        {"near the first row", 300.0f, 0.0f, 700.0f, 500.2f},
        {"near the last row", 1400.0f, 6900.0f, 700.0f, 6299.8f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const OverviewEye eye = frameOverview(city, lens, c.walkerX, c.walkerZ);
        EXPECT_FLOAT_EQ(eye.y, 1000.0f);
        EXPECT_FLOAT_EQ(eye.x, c.eyeX);   // the width fits: centred on the city
        EXPECT_NEAR(eye.z, c.eyeZ, 0.5);
    }
}

} // namespace
