// A photo box. Expects texturing on when drawn; binds its own texture and
// leaves the matrix as found. The unit box list is built by the first box.
#include "scene/Cube.h"

#include <GL/gl.h>

namespace {

GLuint cubeList = 0;

struct FaceVertex {
    float x, y, z;
    float s, t;
};

struct Face {
    float normal[3];
    FaceVertex corners[4];
};

constexpr float w = 25.0f;     // half width and depth
constexpr float h = 18.75f;    // half height: the side faces are 4:3 like a photo

// Side faces carry t = 1 on their bottom edge so the photo stands upright.
const Face faces[6] = {
    { { 0, 0, -1 }, { { -w, -h, -w, 1, 1 }, { -w, h, -w, 1, 0 }, { w, h, -w, 0, 0 }, { w, -h, -w, 0, 1 } } },
    { { 0, 0, 1 },  { { -w, -h, w, 0, 1 }, { w, -h, w, 1, 1 }, { w, h, w, 1, 0 }, { -w, h, w, 0, 0 } } },
    { { -1, 0, 0 }, { { -w, -h, -w, 0, 1 }, { -w, -h, w, 1, 1 }, { -w, h, w, 1, 0 }, { -w, h, -w, 0, 0 } } },
    { { 1, 0, 0 },  { { w, -h, -w, 1, 1 }, { w, h, -w, 1, 0 }, { w, h, w, 0, 0 }, { w, -h, w, 0, 1 } } },
    { { 0, 1, 0 },  { { w, h, -w, 0, 0 }, { -w, h, -w, 0, 1 }, { -w, h, w, 1, 1 }, { w, h, w, 1, 0 } } },
    { { 0, -1, 0 }, { { -w, -h, -w, 0, 0 }, { w, -h, -w, 0, 1 }, { w, -h, w, 1, 1 }, { -w, -h, w, 1, 0 } } },
};

void buildCubeList()
{
    cubeList = glGenLists(1);
    glNewList(cubeList, GL_COMPILE);
    glBegin(GL_QUADS);
    for (const Face& face : faces) {
        glNormal3fv(face.normal);
        for (const FaceVertex& v : face.corners) {
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.x, v.y, v.z);
        }
    }
    glEnd();
    glEndList();
}

} // namespace

Cube::Cube(float x_, float y_, float z_, float rotationX_, float rotationY_, float rotationZ_,
           float scale_, TextureName texture_)
    : texture(texture_), scale(scale_)
{
    x = x_;
    y = y_;
    z = z_;
    rotationX = rotationX_;
    rotationY = rotationY_;
    rotationZ = rotationZ_;
    if (cubeList == 0)
        buildCubeList();
}

unsigned int Cube::sharedList()
{
    return cubeList;
}

// Rotation before translation: the position is taken in the turned frame,
// which is what lets the house layouts swing boxes around the house's axis.
void Cube::applyTransform() const
{
    glRotatef(rotationX, 1, 0, 0);
    glRotatef(rotationY, 0, 1, 0);
    glRotatef(rotationZ, 0, 0, 1);
    glTranslatef(x, y, z);
    glScalef(scale, scale, scale);
}

void Cube::draw(double /*seconds*/)
{
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, texture);
    applyTransform();
    glCallList(cubeList);
    glPopMatrix();
}

void Cube::drawForPicking()
{
    glPushMatrix();
    applyTransform();
    glCallList(cubeList);
    glPopMatrix();
}

bool Cube::collides(float fromX, float /*fromY*/, float fromZ, float toX, float toY, float toZ,
                    float* /*outX*/, float* /*outY*/, float* /*outZ*/)
{
    return boxBlocksStep(shape(), fromX, fromZ, toX, toY, toZ);
}
