// The location line the heads-up display draws for the nearest crossing
// (a street piece needs the window's GL context for its textures).
#include <gtest/gtest.h>

#include <string>

#include "controls/HeadsUpDisplay.h"
#include "scene/Street.h"
#include "scene/GroundSet.h"

namespace {

TEST(HeadsUpDisplay, LocationLineNamesTheNearestCrossingsOwnMonth)
{
    struct Case { int month, year; std::string line; };
    const Case cases[] = {
        {1, 2004, "January, 2004"}, {3, 2005, "March, 2005"}, {7, 1998, "July, 1998"}, {12, 2010, "December, 2010"},
    };
    const GroundSet ground;
    for (const Case& c : cases) {
        const Street crossing(ground, 0.0f, 0.0f, 0.0f, Street::crossing, c.month, c.year);
        HudFrame frame{};
        frame.crossing = &crossing;
        EXPECT_EQ(locationLine(frame), c.line);
    }
    EXPECT_EQ(locationLine(HudFrame{}), "") << "no crossing, no line";
}

}  // namespace
