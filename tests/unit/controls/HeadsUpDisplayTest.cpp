// The heads-up display's texts and the yaw its compass turns by.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "controls/HeadsUpDisplay.h"

namespace {

TEST(HeadsUpDisplay, LinesNameTheDateQuarterAndCount)
{
    const std::pair<std::string, std::string> lines[] = {
        {dateText(3, 2005), "March, 2005"},    {dateText(12, 1999), "December, 1999"},
        {dateText(13, 2005), "month 13, 2005"}, {dateText(2, 987), "February, 0987"},   // always four year digits
        {quarterText(1), "1. quarter"},        {pictureCountText(250), "250 pictures loaded"},
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

}  // namespace
