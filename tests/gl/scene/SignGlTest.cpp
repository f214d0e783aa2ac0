// Signs: shared resources made once, bindings inside the tables, banner state.
#include "scene/Sign.h"

#include "SceneGl.h"

using scenetest::SceneGl;

namespace {

// The back plate is bound last, so the binding left names the back face.
GLint boundAfterDrawing(int kind, int index)
{
    Sign sign(0, 6, 0, kind, index);   // the first sign's loading leaves a texture bound
    glBindTexture(GL_TEXTURE_2D, 0);
    sign.draw(0.0);
    return scenetest::integer(GL_TEXTURE_BINDING_2D);
}

} // namespace

TEST_F(SceneGl, FirstSignLoadsAllTexturesAndListsLaterSignsNone)
{
    if (Sign::sharedResourcesMade())
        GTEST_SKIP() << "a sign was built earlier in this process; ctest runs this test alone";
    const GLuint listBefore = scenetest::nextList();
    const GLuint textureBefore = scenetest::nextTexture();
    Sign sign(0, 6, 0, Sign::monthLabel, 4);
    const GLuint listBetween = scenetest::nextList();
    const GLuint textureBetween = scenetest::nextTexture();
    EXPECT_EQ(listBetween, listBefore + 1 + 9);
    EXPECT_EQ(textureBetween, textureBefore + 1 + 13 + 12 + 1);   // years, months, title
    for (int kind = 0; kind < 6; ++kind)
        Sign later(0, 6, 0, kind, 1);
    EXPECT_EQ(scenetest::nextList(), listBetween + 1);
    EXPECT_EQ(scenetest::nextTexture(), textureBetween + 1);
}

TEST_F(SceneGl, BannerLeavesTexturingOnAndItsWireColour)
{
    const struct { int kind; GLfloat colour[4]; } cases[] = {
        { Sign::yearBanner, { 1, 0, 0, 0 } }, { Sign::monthBanner, { 0, 0, 1, 1 } } };
    for (const auto& c : cases) {
        glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
        Sign(120, 6, 60, c.kind, 3).draw(0.0);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(scenetest::integer(GL_MODELVIEW_STACK_DEPTH), 1);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(std::vector<GLfloat>(colour, colour + 4), std::vector<GLfloat>(c.colour, c.colour + 4)) << c.kind;
    }
}

TEST_F(SceneGl, SignsBindThePreviousEntryBehindAndNothingOutsideTheirTables)
{
    EXPECT_EQ(boundAfterDrawing(Sign::yearBanner, 7), boundAfterDrawing(Sign::yearLabel, 6));
    EXPECT_EQ(boundAfterDrawing(Sign::monthBanner, 1), boundAfterDrawing(Sign::monthLabel, 1));
    EXPECT_NE(boundAfterDrawing(Sign::yearLabel, 6), 0);
    const struct { int kind; int index; } outside[] = {
        { Sign::yearLabel, 13 }, { Sign::yearLabel, -1 }, { Sign::monthLabel, 0 }, { Sign::monthLabel, 13 },
        { Sign::yearBanner, -5 }, { 5, 0 }, { -1, 0 } };
    for (const auto& c : outside)
        EXPECT_EQ(boundAfterDrawing(c.kind, c.index), 0) << "kind " << c.kind << " index " << c.index;
}
