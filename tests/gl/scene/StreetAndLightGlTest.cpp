// Street pieces and the scene light.
#include "SceneGl.h"
#include "scene/LightObject.h"
#include "scene/Street.h"

using scenetest::SceneGl;

TEST_F(SceneGl, StreetOfUnknownKindDrawsNothingButDistanceStillWorks)
{
    Street odd(0, 0, 0, 3, 1, 2001);   // building a street may leave a texture bound
    glBindTexture(GL_TEXTURE_2D, 0);
    odd.draw(0.0);
    EXPECT_EQ(scenetest::integer(GL_TEXTURE_BINDING_2D), 0);
    Street crossing(240, 0, 360, Street::crossing, 2, 2001);
    crossing.draw(0.0);
    EXPECT_NE(scenetest::integer(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(crossing.distanceTo(240, 1.8f, 360), 1);   // truncated single-precision distance
    EXPECT_EQ(crossing.distanceTo(289.9f, 0, 360), 49);
}

TEST_F(SceneGl, LightIsOnAtOnce)
{
    glDisable(GL_LIGHT0);
    LightObject light(12.5f, 25.0f, 12.5f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}
