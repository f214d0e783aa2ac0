// Quad lists from vertex tables, and whether they can show in the view.
#include "scene/GroundQuads.h"

#include <GL/gl.h>

#include <algorithm>

#include "scene/ViewVolume.h"
#include "textures/GlState.h"

void emitQuads(const TexturedVertex* vertices, int count)
{
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 1.0f, 0.0f);
    emitQuadVertices(vertices, count, 0.0f, 0.0f, 0.0f);
    glEnd();
}

void emitQuadVertices(const TexturedVertex* vertices, int count, float x, float y, float z)
{
    for (int i = 0; i < count; ++i) {
        glTexCoord2f(vertices[i].s, vertices[i].t);
        glVertex3f(vertices[i].x + x, vertices[i].y + y, vertices[i].z + z);
    }
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

bool quadsMayShow(const TexturedVertex* vertices, int count, float x, float y, float z)
{
    float min[3] = { vertices[0].x, vertices[0].y, vertices[0].z }, max[3] = { min[0], min[1], min[2] };
    for (int i = 1; i < count; ++i) {
        const float point[3] = { vertices[i].x, vertices[i].y, vertices[i].z };
        for (int axis = 0; axis < 3; ++axis) {
            min[axis] = std::min(min[axis], point[axis]);
            max[axis] = std::max(max[axis], point[axis]);
        }
    }
    return boxMayShow(min, max, x, y, z);
}
