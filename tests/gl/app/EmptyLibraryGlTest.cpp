// A library without photos: the city frame says how to make one, in one
// line across the middle of the window.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/Zandervale.h"
#include "support/GlPixels.h"
#include "support/WindowSize.h"

namespace {

TEST(EmptyLibrary, TheCityFrameSaysHowToMakeALibrary)
{
    support::WindowSize screen{1024, 768};
    Zandervale app;
    for (const bool empty : {false, true}) {
        app.setLibraryEmpty(empty);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        app.draw(0.0);
        EXPECT_EQ(support::whitePixels(0, 364, 1024, 40) > 300, empty);   // across the middle
    }
}

} // namespace
