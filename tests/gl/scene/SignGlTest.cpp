// Signs: shared tables and lists made once, bindings inside the tables, and
// the state a banner leaves.
#include "scene/Sign.h"

#include "SceneGl.h"
#include "support/GlPixels.h"

using scenetest::SceneGl;

namespace {

GLint boundAfterDrawing(int kind, int index)
{
    Sign sign(0, 6, 0, kind, index);   // the first sign's loading leaves a texture bound
    glBindTexture(GL_TEXTURE_2D, 0);
    sign.draw(0.0);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

} // namespace

// Listed first so that, run as one executable, it sees the first sign.
TEST_F(SceneGl, FirstSignLoadsAllTexturesAndListsLaterSignsNone)
{
    const bool first = !Sign::sharedResourcesMade();
    const GLuint listBefore = scenetest::probeList();
    const GLuint textureBefore = scenetest::probeTexture();
    Sign sign(0, 6, 0, Sign::monthLabel, 4);
    const GLuint listBetween = scenetest::probeList();
    const GLuint textureBetween = scenetest::probeTexture();
    EXPECT_TRUE(Sign::sharedResourcesMade());
    if (first) {
        EXPECT_EQ(scenetest::listsBetween(listBefore, listBetween), 9);
        EXPECT_EQ(scenetest::texturesBetween(textureBefore, textureBetween), 13 + 12 + 1);
    }
    for (int kind = 0; kind < 6; ++kind)
        Sign later(0, 6, 0, kind, 1);
    EXPECT_EQ(scenetest::probeList(), listBetween + 1);
    EXPECT_EQ(scenetest::probeTexture(), textureBetween + 1);
}

TEST_F(SceneGl, BannerLeavesTexturingOnAndItsWireColour)
{
    const struct { int kind; GLfloat colour[4]; } cases[] = {
        { Sign::yearBanner, { 1, 0, 0, 0 } },
        { Sign::monthBanner, { 0, 0, 1, 1 } },
    };
    for (const auto& c : cases) {
        glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
        const GLint depth = scenetest::modelviewDepth();
        Sign banner(120, 6, 60, c.kind, 3);
        banner.draw(0.0);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(colour[i], c.colour[i]) << "kind " << c.kind << " channel " << i;
        EXPECT_EQ(scenetest::modelviewDepth(), depth);
    }
}

TEST_F(SceneGl, BannerBackFacesShowThePreviousEntry)
{
    // The back plate is bound last, so the binding left names its texture.
    EXPECT_EQ(boundAfterDrawing(Sign::monthBanner, 1), boundAfterDrawing(Sign::monthLabel, 1));
    EXPECT_EQ(boundAfterDrawing(Sign::monthBanner, 11), boundAfterDrawing(Sign::monthLabel, 11));
    EXPECT_EQ(boundAfterDrawing(Sign::yearBanner, 7), boundAfterDrawing(Sign::yearLabel, 6));
    // 1998 has no earlier year: its banner shows 1998 on both faces.
    EXPECT_EQ(boundAfterDrawing(Sign::yearBanner, 0), boundAfterDrawing(Sign::yearLabel, 0));
    EXPECT_NE(boundAfterDrawing(Sign::yearLabel, 0), 0);
}

TEST_F(SceneGl, SignsOutsideTheirTablesBindNothing)
{
    const struct { int kind; int index; } cases[] = {
        { Sign::yearLabel, 13 }, { Sign::yearLabel, -1 }, { Sign::monthLabel, 0 },
        { Sign::monthLabel, 13 }, { Sign::yearBanner, -5 }, { 5, 0 }, { -1, 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(boundAfterDrawing(c.kind, c.index), 0) << "kind " << c.kind << " index " << c.index;
    EXPECT_NE(boundAfterDrawing(Sign::title, 0), 0);
}

TEST_F(SceneGl, YearBannerPostsStandOnTheGround)
{
    // A close look along -z at the right post, 2 x 4 units over the window.
    glMatrixMode(GL_PROJECTION);
    glOrtho(10, 12, -1, 3, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Sign banner(0, 6, 0, Sign::yearBanner, 2);
    banner.draw(0.0);
    const auto pixelAt = [](float wx, float wy) {
        return support::readPixel(static_cast<int>((wx - 10) / 2 * 256), static_cast<int>((wy + 1) / 4 * 256));
    };
    const support::Colour red{ 255, 0, 0, 255 };
    EXPECT_TRUE(support::nearColour(pixelAt(11.0f, 0.5f), red));    // post above the ground
    EXPECT_FALSE(support::nearColour(pixelAt(11.0f, -0.5f), red));  // nothing below it
    EXPECT_FALSE(support::nearColour(pixelAt(11.5f, 0.5f), red));   // posts are thin
    glEnable(GL_LIGHTING);
}
