// The window layer and the scene root's frame against a real GL context:
// reshape, the frame's overlay and what a frame leaves.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/AppState.h"
#include "app/Window.h"
#include "app/Zandervale.h"
#include "support/CaptureStdout.h"
#include "support/GlPixels.h"
#include "support/IdleControl.h"
#include "support/TestWindowSize.h"

namespace {

// Counts the controller calls a frame makes, and checks the overlay
// projection is in force while the heads-up display draws.
class CountingControl : public support::IdleControl {
public:
    void applyView() override { ++views; }
    void beginFrame(double) override
    {
        ++frames;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void drawOverlay(double) override
    {
        ++overlays;
        depthTestInOverlay = glIsEnabled(GL_DEPTH_TEST);
        lightingInOverlay = glIsEnabled(GL_LIGHTING);
        texturingInOverlay = glIsEnabled(GL_TEXTURE_2D);
    }
    int views = 0, frames = 0, overlays = 0;
    GLboolean depthTestInOverlay = GL_TRUE, lightingInOverlay = GL_TRUE, texturingInOverlay = GL_TRUE;
};

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

class SceneRootFrame : public testing::Test {
protected:
    void SetUp() override
    {
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glMatrixMode(GL_MODELVIEW);
        app.setScene(new std::vector<SceneObject*>(), &control);
    }
    support::TestWindowSize size;
    CountingControl control;
    Zandervale app;
};

// An empty city still begins the frame and draws the overlay, and the
// frame leaves the window defaults and balanced stacks behind.
TEST_F(SceneRootFrame, EmptyCityFrameDrawsTheOverlayAndLeavesTheDefaults)
{
    const GLint projectionDepth = integer(GL_PROJECTION_STACK_DEPTH);
    const GLint modelviewDepth = integer(GL_MODELVIEW_STACK_DEPTH);
    app.draw(0.016);
    EXPECT_EQ(control.frames, 1);
    EXPECT_EQ(control.overlays, 1);
    EXPECT_FALSE(control.depthTestInOverlay || control.lightingInOverlay || control.texturingInOverlay);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    app.drawForPicking();
    EXPECT_EQ(control.views, 1);   // picking loads the view first
}

TEST_F(SceneRootFrame, FrameRateTextSitsInTheTopLeftCorner)
{
    app.draw(0.016);
    // Baseline 13 pixels below the top edge, 3 from the left: the digits'
    // light grey lies in the band above it.
    int grey = 0;
    for (int y = 256 - 13; y < 256; ++y)
        for (int x = 0; x < 80; ++x)
            grey += support::nearColour(support::readPixel(x, y), {204, 204, 204, 255}, 30) ? 1 : 0;
    EXPECT_GT(grey, 20);
    int elsewhere = 0;
    for (int y = 0; y < 200; y += 4)
        for (int x = 0; x < 256; x += 4)
            elsewhere += support::readPixel(x, y).r > 0 ? 1 : 0;
    EXPECT_EQ(elsewhere, 0);
}

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
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    support::captureStdout([] { reshapeCallback(1024, 768); });
    EXPECT_EQ(getWindowWidth(), 1024);
}

} // namespace
