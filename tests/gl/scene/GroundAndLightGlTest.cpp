// Ground tiles, street pieces and the scene light.
#include <cstdlib>

#include "SceneGl.h"
#include "scene/LightObject.h"
#include "scene/Quarter.h"
#include "scene/Street.h"

using scenetest::SceneGl;

TEST_F(SceneGl, QuartersShareTheirTexturesAndDrawConsecutiveGrass)
{
    Quarter warmUp(0, 0, 0);   // the first quarter of this run may load
    const GLuint lists = scenetest::probeList();
    const GLuint textures = scenetest::probeTexture();
    std::srand(3);
    const int first = std::rand();
    const int second = std::rand();
    std::srand(3);
    Quarter a(0, 0, 0);
    Quarter b(120, 0, 0);
    EXPECT_EQ(a.grassIndex, first % 5);
    EXPECT_EQ(b.grassIndex, second % 5);
    EXPECT_EQ(scenetest::probeList(), lists + 1);
    EXPECT_EQ(scenetest::probeTexture(), textures + 1);
}

TEST_F(SceneGl, StreetOfUnknownKindDrawsNothingButDistanceStillWorks)
{
    Street odd(0, 0, 0, 3, 1, 2001);
    GLint bound = -1;
    glBindTexture(GL_TEXTURE_2D, 0);
    odd.draw(0.0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    Street crossing(240, 0, 360, Street::crossing, 2, 2001);
    crossing.draw(0.0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_NE(bound, 0);
    EXPECT_EQ(crossing.distanceTo(240, 1.8f, 360), 1);
    EXPECT_EQ(crossing.distanceTo(270, 0, 400), 50);
}

TEST_F(SceneGl, LightIsOnAtOnceAndFollowsTheViewTransform)
{
    glDisable(GL_LIGHT0);
    LightObject light(12.5f, 25.0f, 12.5f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    GLfloat diffuse[4], ambient[4], position[4];
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(diffuse[i], 0.9f);
        EXPECT_EQ(ambient[i], 1.0f);
    }
    // A view turned 90 degrees about y carries (x, y, z) to (z, y, -x).
    glPushMatrix();
    glRotatef(90, 0, 1, 0);
    light.draw(0.0);
    glPopMatrix();
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_NEAR(position[0], 12.5f, 1e-4);
    EXPECT_NEAR(position[1], 25.0f, 1e-4);
    EXPECT_NEAR(position[2], -12.5f, 1e-4);
    EXPECT_EQ(position[3], 0.0f);
}
