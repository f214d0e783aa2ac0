// The box: its shared list and where its transform puts it.
#include "scene/Cube.h"

#include "SceneGl.h"
#include "support/GlPixels.h"

using scenetest::SceneGl;

namespace {

// Looks straight down on the x-z plane: 40 x 40 units over the 256-pixel
// window, world x to the right and world -z upward.
void lookDown()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20, 20, -20, 20, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90, 1, 0, 0);
}

int pixelOfX(float worldX) { return static_cast<int>((worldX + 20.0f) / 40.0f * 256.0f); }
int pixelOfZ(float worldZ) { return static_cast<int>((-worldZ + 20.0f) / 40.0f * 256.0f); }

} // namespace

// Listed first so that, run as one executable, it sees the first box.
TEST_F(SceneGl, FirstBoxBuildsTheListAndLaterBoxesReuseIt)
{
    const bool first = Cube::sharedList() == 0;
    const GLuint before = scenetest::probeList();
    Cube a(0, 0, 0, 0, 0, 0, 1, 0);
    const GLuint between = scenetest::probeList();
    if (first) {
        EXPECT_EQ(scenetest::listsBetween(before, between), 1);
        EXPECT_GT(Cube::sharedList(), before);
    }
    EXPECT_TRUE(glIsList(Cube::sharedList()));
    const GLuint list = Cube::sharedList();
    Cube b(1, 2, 3, 0, 45, 0, 0.5f, 7);
    const GLuint after = scenetest::probeList();
    EXPECT_EQ(after, between + 1);
    EXPECT_EQ(Cube::sharedList(), list);
}

TEST_F(SceneGl, TurnedBoxIsDrawnAtItsPositionTurnedAboutTheParentAxis)
{
    lookDown();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 1, 1);
    Cube cube(10, 0, 0, 0, 90, 0, 0.1f, 0);   // 5 x 5 units seen from above
    cube.draw(0.0);
    const support::Colour white{ 255, 255, 255, 255 };
    EXPECT_TRUE(support::nearColour(support::readPixel(pixelOfX(0), pixelOfZ(-10)), white));
    EXPECT_FALSE(support::nearColour(support::readPixel(pixelOfX(10), pixelOfZ(0)), white));
    EXPECT_FALSE(support::nearColour(support::readPixel(pixelOfX(0), pixelOfZ(10)), white));
    // Half width 2.5: 3.5 units off the centre is outside.
    EXPECT_FALSE(support::nearColour(support::readPixel(pixelOfX(3.5f), pixelOfZ(-10)), white));
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
}

TEST_F(SceneGl, BoxDrawingBindsOnlyWhenNotPicking)
{
    glBindTexture(GL_TEXTURE_2D, 0);
    const GLint depth = scenetest::modelviewDepth();
    Cube cube(0, 0, 0, 0, 0, 0, 1, 4242);
    GLint bound = -1;
    cube.drawForPicking();
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    cube.draw(0.0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 4242);
    EXPECT_EQ(scenetest::modelviewDepth(), depth);
    glBindTexture(GL_TEXTURE_2D, 0);
}
