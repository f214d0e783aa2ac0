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
        appstate::windowWidth = 256;
        appstate::windowHeight = 256;
        glViewport(0, 0, 256, 256);
    }
    ~TestWindowSize()
    {
        appstate::windowWidth = 1024;
        appstate::windowHeight = 768;
    }
    TestWindowSize(const TestWindowSize&) = delete;
    TestWindowSize& operator=(const TestWindowSize&) = delete;
};

}  // namespace support
