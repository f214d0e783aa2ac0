// Quad lists from vertex tables.
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
