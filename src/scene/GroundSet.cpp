// The ground's images and lists: a 100 x 100 grass tile, a crossing 20
// units square and the straight road pieces 100 units long, each drawn only
// where it can show.
#include "scene/GroundSet.h"

#include <GL/gl.h>

#include "scene/GroundQuads.h"
#include "scene/Street.h"
#include "textures/Textures.h"

namespace {

const char* const grassFiles[GroundSet::grassCount] = {
    "grass512x512_01.png", "grass512x512_02.png", "grass512x512_03.png",
    "grass512x512_04.png", "grass512x512_05.png",
};

// Four 50 x 50 squares, each showing the grass image once in its own
// orientation, so the tile does not look like one stretched picture.
const TexturedVertex grassQuads[16] = {
    { 50, 0, 0, 1, -1 },   { 0, 0, 0, 1, 0 },          { 0, 0, 50, 0, 0 },             { 50, 0, 50, 0, -1 },
    { 0, 0, 0, 0, 0 },     { -50, 0, 0, 0, -0.999f },  { -50, 0, 50, -0.999f, -0.999f }, { 0, 0, 50, -0.999f, 0 },
    { 50, 0, -50, 0, 0 },  { 0, 0, -50, 0, 0.999f },   { 0, 0, 0, 0.999f, 0.999f },    { 50, 0, 0, 0.999f, 0 },
    { 0, 0, -50, 0, 0 },   { -50, 0, -50, 0, -0.999f }, { -50, 0, 0, 0.999f, -0.999f }, { 0, 0, 0, 0.999f, 0 },
};

// By Street::Kind. The long pieces repeat the street image five times along
// their length.
const TexturedVertex pieceQuads[3][4] = {
    { { 10, 0, -10, 0, 0 }, { -10, 0, -10, 0, 1 }, { -10, 0, 10, 1, 1 }, { 10, 0, 10, 1, 0 } },
    { { 50, 0, -10, 0, 0 }, { -50, 0, -10, 5, 0 }, { -50, 0, 10, 5, 1 }, { 50, 0, 10, 0, 1 } },
    { { 10, 0, -50, 0, 0 }, { -10, 0, -50, 0, 1 }, { -10, 0, 50, 5, 1 }, { 10, 0, 50, 5, 0 } },
};

} // namespace

GroundSet::GroundSet()
{
    for (int i = 0; i < grassCount; ++i)
        grassImages[i] = loadGroundTexture(grassFiles[i]);
    streetImage = loadGroundTexture("street512x512_02.png");
    crossingImage = loadGroundTexture("cross512x512_01.png");
    grassList = compileQuadList(grassQuads, 16);
    for (int kind = 0; kind < 3; ++kind)
        streetLists[kind] = compileQuadList(pieceQuads[kind], 4);
}

GroundSet::~GroundSet()
{
    glDeleteLists(grassList, 1);
    for (unsigned int list : streetLists)
        glDeleteLists(list, 1);
    deleteTextures(grassCount, grassImages);
    const TextureName roads[2] = { streetImage, crossingImage };
    deleteTextures(2, roads);
}

void GroundSet::drawGrass(int image, float x, float y, float z) const
{
    // Most of a city's ground lies behind or beside the walker.
    if (quadsMayShow(grassQuads, 16, x, y, z))
        drawListAt(x, y, z, image >= 0 && image < grassCount ? grassImages[image] : 0, grassList);
}

void GroundSet::drawStreet(int kind, float x, float y, float z) const
{
    if (kind >= Street::crossing && kind <= Street::northSouth && quadsMayShow(pieceQuads[kind], 4, x, y, z))
        drawListAt(x, y, z, kind == Street::crossing ? crossingImage : streetImage, streetLists[kind]);
}
