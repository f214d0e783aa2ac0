// The box: its shared list and where its transform puts it.
#include "scene/Cube.h"

#include "SceneGl.h"
#include "support/GlPixels.h"

using scenetest::SceneGl;

TEST_F(SceneGl, FirstBoxBuildsTheListAndLaterBoxesReuseIt)
{
    if (Cube::sharedList() != 0)
        GTEST_SKIP() << "a box was built earlier in this process; ctest runs this test alone";
    const GLuint before = scenetest::nextList();
    Cube a(0, 0, 0, 0, 0, 0, 1, 0);
    const GLuint between = scenetest::nextList();
    const GLuint list = Cube::sharedList();
    EXPECT_EQ(between, before + 2);
    EXPECT_TRUE(glIsList(list) && list == before + 1);
    Cube b(1, 2, 3, 0, 45, 0, 0.5f, 7);
    EXPECT_EQ(scenetest::nextList(), between + 1);
    EXPECT_EQ(Cube::sharedList(), list);
}

TEST_F(SceneGl, TurnedBoxIsDrawnAtItsPositionTurnedAboutTheParentAxis)
{
    // Straight down on the x-z plane, 40 x 40 units: world x to the right, -z upward.
    glMatrixMode(GL_PROJECTION);
    glOrtho(-20, 20, -20, 20, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glRotatef(90, 1, 0, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 1, 1);
    Cube(10, 0, 0, 0, 90, 0, 0.1f, 0).draw(0.0);   // 5 x 5 units seen from above
    const auto whiteAt = [](float x, float z) {
        return support::nearColour(support::readPixel(int((x + 20) * 6.4f), int((20 - z) * 6.4f)), { 255, 255, 255, 255 });
    };
    EXPECT_TRUE(whiteAt(0, -10));
    EXPECT_FALSE(whiteAt(10, 0));
    EXPECT_FALSE(whiteAt(3.5f, -10));   // half width 2.5
}
