// A piece of road.
#include "scene/Street.h"

#include <GL/gl.h>

#include <cmath>

#include "scene/GroundQuads.h"
#include "textures/Textures.h"

namespace {

TextureName streetTexture = 0;
TextureName crossTexture = 0;
GLuint eastWestList = 0;
GLuint northSouthList = 0;
GLuint crossingList = 0;

// The long pieces repeat the street image five times along their length.
const TexturedVertex eastWestQuad[4] = {
    { 50, 0, -10, 0, 0 }, { -50, 0, -10, 5, 0 }, { -50, 0, 10, 5, 1 }, { 50, 0, 10, 0, 1 },
};
const TexturedVertex northSouthQuad[4] = {
    { 10, 0, -50, 0, 0 }, { -10, 0, -50, 0, 1 }, { -10, 0, 50, 5, 1 }, { 10, 0, 50, 5, 0 },
};
const TexturedVertex crossingQuad[4] = {
    { 10, 0, -10, 0, 0 }, { -10, 0, -10, 0, 1 }, { -10, 0, 10, 1, 1 }, { 10, 0, 10, 1, 0 },
};

struct PieceList {
    GLuint* list;
    const TexturedVertex* quad;
};

const PieceList pieceLists[3] = {
    { &eastWestList, eastWestQuad },
    { &northSouthList, northSouthQuad },
    { &crossingList, crossingQuad },
};

} // namespace

Street::Street(float x_, float y_, float z_, int kind_, int month_, int year_)
    : kind(kind_), month(month_), year(year_)
{
    x = x_;
    y = y_;
    z = z_;
    if (streetTexture == 0)
        streetTexture = loadGroundTexture("street512x512_02.png");
    if (crossTexture == 0)
        crossTexture = loadGroundTexture("cross512x512_01.png");
    for (const PieceList& piece : pieceLists) {
        if (*piece.list == 0)
            *piece.list = compileQuadList(piece.quad, 4);
    }
}

void Street::draw(double /*seconds*/)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    switch (kind) {
    case crossing:
        bindTexture(crossTexture);
        glCallList(crossingList);
        break;
    case eastWest:
        bindTexture(streetTexture);
        glCallList(eastWestList);
        break;
    case northSouth:
        bindTexture(streetTexture);
        glCallList(northSouthList);
        break;
    default:
        break;
    }
    glPopMatrix();
}

int Street::distanceTo(float px, float py, float pz) const
{
    // All in single precision, truncated toward zero.
    const float dx = x - px;
    const float dy = y - py;
    const float dz = z - pz;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy + dz * dz));
}
