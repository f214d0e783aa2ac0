// A colour and depth buffer of a given size for one GL test, bound (with
// the viewport, the application's window size and the display's
// perspective) while the object lives; the previous framebuffer comes back.
#pragma once

// Needs GL_GLEXT_PROTOTYPES defined before the first GL header of the test.
#include <GL/gl.h>
#include <GL/glext.h>

#include <array>

#include "app/AppState.h"
#include "app/Window.h"

namespace support {

class Offscreen {
public:
    Offscreen(int width, int height)
    {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(2, renderbuffers);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        const GLenum formats[] = {GL_RGBA8, GL_DEPTH_COMPONENT24};
        const GLenum attachments[] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
        for (int i = 0; i < 2; ++i) {
            glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[i]);
            glRenderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER, renderbuffers[i]);
        }
        glViewport(0, 0, width, height);
        setWindowSize(width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        applyPerspective(width, height);
        glMatrixMode(GL_MODELVIEW);
    }
    ~Offscreen()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
        glDeleteRenderbuffers(2, renderbuffers);
        glDeleteFramebuffers(1, &framebuffer);
        setWindowSize(1024, 768);
    }
    Offscreen(const Offscreen&) = delete;
    Offscreen& operator=(const Offscreen&) = delete;

    // One pixel, origin bottom-left.
    static std::array<int, 3> at(int x, int y)
    {
        GLubyte p[4];
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

private:
    GLint previous = 0;
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {};
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
