// The frame clock: the step each frame is given and the frame-rate rule.
#include <gtest/gtest.h>

#include "app/FrameClock.h"

namespace {

// Frames drawn at the given times (ms) after a start at 5000 ms.
struct ClockCase {
    const char* what;
    std::vector<int> frames;
    double lastStep;
    float framesPerSecond;
};
const ClockCase clockCases[] = {
    {"the first step counts from the start", {5040}, 0.040, 0.0f},
    {"exactly one second does not update", {5500, 6000}, 0.5, 0.0f},
    {"past one second the count includes this frame", {5500, 6000, 6250}, 0.25, 3000.0f / 1250},
    {"the count starts again after an update", {6001, 6500, 7002}, 0.502, 2000.0f / 1001},
    {"a frame after a stall", {9000}, 4.0, 1000.0f / 4000},
};

TEST(FrameClock, StepsAndRateFollowTheMillisecondClock)
{
    for (const ClockCase& c : clockCases) {
        SCOPED_TRACE(c.what);
        FrameClock clock;
        clock.start(5000);
        double step = -1.0;
        for (int now : c.frames)
            step = clock.tick(now);
        EXPECT_DOUBLE_EQ(step, c.lastStep);
        EXPECT_FLOAT_EQ(clock.getFramesPerSecond(), c.framesPerSecond);
    }
}

} // namespace
