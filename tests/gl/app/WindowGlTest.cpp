// The window layer against a real GL context: a reshape.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "app/AppState.h"
#include "app/Window.h"
#include "support/CaptureStdout.h"

namespace {

TEST(Window, ReshapeStoresTheSizeAndDrawsAFrameAtOnce)
{
    setSceneRoot(nullptr);
    const std::string printed = support::captureStdout([] { reshapeCallback(300, 200); });
    EXPECT_EQ(printed, "no scene-root!");
    EXPECT_EQ(getWindowWidth(), 300);
    EXPECT_EQ(getWindowHeight(), 200);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 300);
    EXPECT_EQ(viewport[3], 200);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    support::captureStdout([] { reshapeCallback(1024, 768); });
    EXPECT_EQ(getWindowWidth(), 1024);
}

} // namespace
