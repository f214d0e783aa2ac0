// A grass tile.
#include "scene/Quarter.h"

#include <GL/gl.h>

#include <cstdlib>

#include "scene/GroundQuads.h"
#include "textures/Textures.h"

namespace {

constexpr int grassCount = 5;
TextureName grassTextures[grassCount] = { 0, 0, 0, 0, 0 };
GLuint groundList = 0;

const char* const grassFiles[grassCount] = {
    "grass512x512_01.png", "grass512x512_02.png", "grass512x512_03.png",
    "grass512x512_04.png", "grass512x512_05.png",
};

// Four 50 x 50 squares, each showing the grass image once in its own
// orientation, so the tile does not look like one stretched picture.
const TexturedVertex groundQuads[16] = {
    { 50, 0, 0, 1, -1 },   { 0, 0, 0, 1, 0 },          { 0, 0, 50, 0, 0 },             { 50, 0, 50, 0, -1 },
    { 0, 0, 0, 0, 0 },     { -50, 0, 0, 0, -0.999f },  { -50, 0, 50, -0.999f, -0.999f }, { 0, 0, 50, -0.999f, 0 },
    { 50, 0, -50, 0, 0 },  { 0, 0, -50, 0, 0.999f },   { 0, 0, 0, 0.999f, 0.999f },    { 50, 0, 0, 0.999f, 0 },
    { 0, 0, -50, 0, 0 },   { -50, 0, -50, 0, -0.999f }, { -50, 0, 0, 0.999f, -0.999f }, { 0, 0, 0, 0.999f, 0 },
};

} // namespace

Quarter::Quarter(float x_, float y_, float z_)
{
    // The grass draw comes first: the city's fixed order of rand() draws
    // makes the same library give the same city.
    grassIndex = std::rand() % grassCount;
    x = x_;
    y = y_;
    z = z_;
    if (grassTextures[0] == 0) {
        for (int i = 0; i < grassCount; ++i)
            grassTextures[i] = loadGroundTexture(grassFiles[i]);
    }
    if (groundList == 0)
        groundList = compileQuadList(groundQuads, 16);
}

void Quarter::draw(double /*seconds*/)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    if (grassIndex >= 0 && grassIndex < grassCount)
        bindTexture(grassTextures[grassIndex]);
    glCallList(groundList);
    glPopMatrix();
}
