// The frame clock (the step each frame is given and the rate's update rule)
// and the frame-rate line the overlay shows.
#include <gtest/gtest.h>

#include "app/FrameClock.h"
#include "app/FrameRateText.h"

namespace {

TEST(FrameClock, StepsAndRateFollowTheMillisecondClock)
{
    // Frames drawn at the given times (ms) after a start at 5000 ms.
    struct Case { const char* what; std::vector<int> frames; double lastStep; float framesPerSecond; };
    const Case cases[] = {
        {"the first step counts from the start", {5040}, 0.040, 0.0f},
        {"exactly one second does not update", {5500, 6000}, 0.5, 0.0f},
        {"past one second the count includes this frame", {5500, 6000, 6250}, 0.25, 3000.0f / 1250},
        {"the count starts again after an update", {6001, 6500, 7002}, 0.502, 2000.0f / 1001},
        {"a frame after a stall", {9000}, 4.0, 1000.0f / 4000},
    };
    for (const Case& c : cases) {
        FrameClock clock;
        clock.start(5000);
        double step = -1.0;
        for (int now : c.frames)
            step = clock.tick(now);
        EXPECT_DOUBLE_EQ(step, c.lastStep) << c.what;
        EXPECT_FLOAT_EQ(clock.getFramesPerSecond(), c.framesPerSecond) << c.what;
    }
}

TEST(FrameRateText, ShowsTruncatedDigitsWithACommaSeparator)
{
    const std::pair<float, const char*> cases[] = {
        {59.876f, "fps: 59,87"},   {7.5f, "fps: 07,50"},       // a leading zero below 10
        {123.4f, "fps: 123,40"},   {0.0f, "fps: 00,00"},       // before the first update
        {1000.5f, "fps: 1000,50"}, {12345.0f, "fps: 2345,00"}, // only four integer digits
        {100.0f, "fps: 100,00"},   {99.995f, "fps: 099,99"},   // above the 99.99 threshold
        {99.99f, "fps: 99,99"},    {999.995f, "fps: 0999,99"}, // at the threshold: no hundreds digit
    };
    for (const auto& [rate, text] : cases)
        EXPECT_EQ(frameRateText(rate), text) << rate;
}

} // namespace
