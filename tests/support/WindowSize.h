// The window a GL test draws in, within the GL tests' 1024 x 768
// framebuffer: the viewport and the display's perspective for as long as
// the object lives; then the usual 256 x 256 corner again. The application
// object draws for its own 1024 x 768 until told otherwise.
#pragma once

#include <GL/gl.h>

#include <array>

#include "app/Window.h"
#include "textures/GlState.h"

namespace support {

class WindowSize {
public:
    WindowSize(int width, int height, double farPlane = standardFarPlane)
    {
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        applyPerspective(width, height, farPlane);
        glMatrixMode(GL_MODELVIEW);
    }
    ~WindowSize()
    {
        glViewport(0, 0, 256, 256);
    }
    WindowSize(const WindowSize&) = delete;
    WindowSize& operator=(const WindowSize&) = delete;

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
    bindTexture(name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return name;
}

}  // namespace support
