// The heads-up display's texts and the compass' yaw.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/HeadsUpDisplay.h"

namespace {

TEST(HeadsUpDisplay, LinesNameTheDateQuarterAndCount)
{
    const std::pair<std::string, std::string> lines[] = {
        {dateText(3, 2005), "March, 2005"},
        {dateText(12, 1999), "December, 1999"},
        {dateText(1, 2004), "January, 2004"},
        {dateText(13, 2005), "WTF???2005"},
        {dateText(0, 987), "WTF???0987"},   // always four year digits
        {quarterText(1), "1. quarter"},
        {pictureCountText(1), "1 pictures loaded"},
        {pictureCountText(9), "9 pictures loaded"},
        {pictureCountText(10), "10 pictures loaded"},
        {pictureCountText(250), "250 pictures loaded"},
    };
    for (const auto& [text, expected] : lines)
        EXPECT_EQ(text, expected);
}

TEST(HeadsUpDisplay, YawIsBroughtIntoOneTurnAsRepeatedTurnsWould)
{
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> cases[] = {
        {0.0f, 0.0f},     {360.0f, 360.0f}, {460.0f, 100.0f}, {720.0f, 360.0f},
        {-30.0f, 330.0f}, {-360.0f, 0.0f},  {-750.0f, 330.0f}, {36000100.0f, 100.0f},
        {inf, 0.0f},      {-inf, 0.0f},     {std::nanf(""), 0.0f},
    };
    for (const auto& [yaw, expected] : cases)
        EXPECT_EQ(normalisedYaw(yaw), expected) << "yaw " << yaw;
}

} // namespace
