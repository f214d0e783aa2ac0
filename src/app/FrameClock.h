// Frame time and frame rate from GLUT's millisecond clock: each frame asks
// for the seconds since the previous one; about once a second the rate is
// taken over the frames counted since the last update.
#pragma once

class FrameClock {
public:
    // Both clocks count from now. Without it the first frame's step would
    // hold the whole start-up (the clock starts at GLUT's initialisation).
    void start(int nowMs);
    // Counts one frame drawn at nowMs and returns the seconds since the
    // previous frame.
    double tick(int nowMs);
    float getFramesPerSecond() const { return framesPerSecond; }

private:
    float framesPerSecond = 0.0f;
    int frameCount = 0;
    int lastFpsTime = 0;    // ms, the last rate update
    int lastFrameTime = 0;  // ms, the previous frame
};
