#include <gtest/gtest.h>

#include "app/FrameRateText.h"

namespace {

struct FrameRateCase {
    float framesPerSecond;
    const char* text;
};

class FrameRateText : public testing::TestWithParam<FrameRateCase> {};

TEST_P(FrameRateText, ShowsTruncatedDigitsWithACommaSeparator)
{
    EXPECT_EQ(frameRateText(GetParam().framesPerSecond), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FrameRateText,
    testing::Values(FrameRateCase{59.876f, "fps: 59,87"},
                    FrameRateCase{7.5f, "fps: 07,50"},           // leading zero below 10
                    FrameRateCase{123.4f, "fps: 123,40"},
                    FrameRateCase{0.0f, "fps: 00,00"},           // before the first update
                    FrameRateCase{1000.5f, "fps: 1000,50"},
                    FrameRateCase{12345.0f, "fps: 2345,00"},     // only four integer digits
                    FrameRateCase{100.0f, "fps: 100,00"},
                    FrameRateCase{99.995f, "fps: 099,99"},       // above the 99.99 threshold
                    FrameRateCase{99.99f, "fps: 99,99"},         // at the threshold: no hundreds digit
                    FrameRateCase{999.995f, "fps: 0999,99"}));

} // namespace
