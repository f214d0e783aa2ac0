// A library without photos: the city frame says how to make one, in one
// line across the middle of the window.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/Zandervale.h"
#include "support/WindowSize.h"

namespace {

int whiteAcrossTheMiddle()
{
    std::vector<GLubyte> band(1024 * 40 * 4);
    glReadPixels(0, 364, 1024, 40, GL_RGBA, GL_UNSIGNED_BYTE, band.data());
    int white = 0;
    for (size_t i = 0; i < band.size(); i += 4)
        white += band[i] > 240 && band[i + 1] > 240 && band[i + 2] > 240;
    return white;
}

TEST(EmptyLibrary, TheCityFrameSaysHowToMakeALibrary)
{
    support::WindowSize screen{1024, 768};
    Zandervale app;
    for (const bool empty : {false, true}) {
        app.setLibraryEmpty(empty);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        app.draw(0.0);
        EXPECT_EQ(whiteAcrossTheMiddle() > 300, empty);
    }
}

} // namespace
