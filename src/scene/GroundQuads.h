// Textured quads given as data and compiled into display lists, shared by
// the ground tiles, the street pieces and the signs.
#pragma once

#include "textures/TextureName.h"

struct TexturedVertex {
    float x, y, z;
    float s, t;
};

// Compiles one GL_QUADS primitive with the normal (0, 1, 0) given once and
// count vertices (a multiple of 4) into a new display list; returns its name.
unsigned int compileQuadList(const TexturedVertex* vertices, int count);

// Emits the quads into the list being compiled (normal (0, 1, 0) first).
void emitQuads(const TexturedVertex* vertices, int count);
// The quads' vertices alone, moved by (x, y, z), inside a GL_QUADS run the
// caller opened with the normal (0, 1, 0).
void emitQuadVertices(const TexturedVertex* vertices, int count, float x, float y, float z);

// Calls list with the origin moved to (x, y, z), texture bound first unless
// it is 0 (which leaves the bound texture as it is).
void drawListAt(float x, float y, float z, TextureName texture, unsigned int list);

// Whether count vertices with their origin moved to (x, y, z) may show
// through the current modelview and projection: false only when the box
// round them lies beyond one side of the view volume, where the GL would
// clip every pixel away after paying for the call.
bool quadsMayShow(const TexturedVertex* vertices, int count, float x, float y, float z);
