// GL tests that need the viewer's whole 1024 x 768 window: the viewport, the
// application's window size and the display's perspective for as long as
// the object lives, then the GL tests' usual 256 x 256 corner again.
#pragma once

#include <GL/gl.h>

#include <array>

#include "app/AppState.h"
#include "app/Window.h"

namespace support {

class FullWindow {
public:
    FullWindow()
    {
        glViewport(0, 0, 1024, 768);
        setWindowSize(1024, 768);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        applyPerspective(1024, 768);
        glMatrixMode(GL_MODELVIEW);
    }
    ~FullWindow() { glViewport(0, 0, 256, 256); }
    FullWindow(const FullWindow&) = delete;
    FullWindow& operator=(const FullWindow&) = delete;

    // One pixel, origin bottom-left.
    static std::array<int, 3> at(int x, int y)
    {
        GLubyte p[4];
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }
};

// A 1 x 1 texture of one colour.
inline GLuint solidTexture(std::array<int, 3> c)
{
    const GLubyte texel[] = {GLubyte(c[0]), GLubyte(c[1]), GLubyte(c[2]), 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return name;
}

}  // namespace support
