// Quad lists from vertex tables, and whether they can show in the view.
#include "scene/GroundQuads.h"

#include <GL/gl.h>

#include "textures/GlState.h"

void emitQuads(const TexturedVertex* vertices, int count)
{
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 1.0f, 0.0f);
    for (int i = 0; i < count; ++i) {
        glTexCoord2f(vertices[i].s, vertices[i].t);
        glVertex3f(vertices[i].x, vertices[i].y, vertices[i].z);
    }
    glEnd();
}

unsigned int compileQuadList(const TexturedVertex* vertices, int count)
{
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    emitQuads(vertices, count);
    glEndList();
    return list;
}

void drawListAt(float x, float y, float z, TextureName texture, unsigned int list)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    if (texture != 0)
        bindTexture(texture);
    glCallList(list);
    glPopMatrix();
}

namespace {

// out = m v, m a GL matrix (column-major).
void transform(const GLfloat m[16], const GLfloat v[4], GLfloat out[4])
{
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

} // namespace

bool quadsMayShow(const TexturedVertex* vertices, int count, float x, float y, float z)
{
    GLfloat modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // In clip coordinates the six sides are planes, also for points behind
    // the eye (w < 0): a bit for each side every vertex so far lies beyond.
    unsigned beyondAll = 0x3F;
    for (int i = 0; i < count && beyondAll != 0; ++i) {
        const GLfloat point[4] = { vertices[i].x + x, vertices[i].y + y, vertices[i].z + z, 1.0f };
        GLfloat eye[4], clip[4];
        transform(modelview, point, eye);
        transform(projection, eye, clip);
        unsigned beyond = 0;
        for (int axis = 0; axis < 3; ++axis)
            beyond |= (clip[axis] < -clip[3] ? 1u : 0u) << (2 * axis) | (clip[axis] > clip[3] ? 2u : 0u) << (2 * axis);
        beyondAll &= beyond;
    }
    return beyondAll == 0;
}
