// Frame time and frame rate.
#include "app/FrameClock.h"

namespace {

// The rate is updated once more than this has passed since the last update.
constexpr int fpsIntervalMs = 1000;

} // namespace

void FrameClock::start(int nowMs)
{
    frameCount = 0;
    lastFpsTime = nowMs;
    lastFrameTime = nowMs;
}

double FrameClock::tick(int nowMs)
{
    ++frameCount;
    if (nowMs - lastFpsTime > fpsIntervalMs) {
        // The count includes this frame.
        framesPerSecond = static_cast<float>(frameCount * 1000.0 / (nowMs - lastFpsTime));
        lastFpsTime = nowMs;
        frameCount = 0;
    }
    const double dt = (nowMs - lastFrameTime) / 1000.0;
    lastFrameTime = nowMs;
    return dt;
}
