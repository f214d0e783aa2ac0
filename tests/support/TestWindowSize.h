// Tells the application the GL tests' window is 256 x 256 (its getters
// start at 1024 x 768) for as long as the object lives.
#pragma once

#include <GL/gl.h>

#include "app/AppState.h"

namespace support {

class TestWindowSize {
public:
    TestWindowSize()
    {
        setWindowSize(256, 256);
        glViewport(0, 0, 256, 256);
    }
    ~TestWindowSize()
    {
        setWindowSize(1024, 768);
    }
    TestWindowSize(const TestWindowSize&) = delete;
    TestWindowSize& operator=(const TestWindowSize&) = delete;
};

}  // namespace support
