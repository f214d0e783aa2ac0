// Shared helpers of the scene's GL tests: the window's GL state as the
// application sets it, name counting, and a house record of n pictures.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "library/MonthQuarter.h"

namespace scenetest {

// Depth test, normals, texturing, lighting, culling on; blending off.
inline void applyWindowState()
{
    glViewport(0, 0, 256, 256);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT, GL_FILL);
    glLineWidth(1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

class SceneGl : public testing::Test {
protected:
    void SetUp() override
    {
        applyWindowState();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

// The next list name GL hands out; names made in between are counted by
// listsBetween. Mesa hands names out in increasing order.
inline GLuint probeList() { return glGenLists(1); }
inline int listsBetween(GLuint before, GLuint after)
{
    int count = 0;
    for (GLuint name = before + 1; name < after; ++name)
        count += glIsList(name) ? 1 : 0;
    return count;
}
inline GLuint probeTexture()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}
inline int texturesBetween(GLuint before, GLuint after)
{
    int count = 0;
    for (GLuint name = before + 1; name < after; ++name)
        count += glIsTexture(name) ? 1 : 0;
    return count;
}

// A record of n pictures whose texture names are 1000 + i.
inline std::unique_ptr<MonthQuarter> record(int n)
{
    auto* textures = new std::vector<TextureName>();
    auto* originals = new std::vector<std::string>();
    for (int i = 0; i < n; ++i) {
        textures->push_back(static_cast<TextureName>(1000 + i));
        originals->push_back("photo" + std::to_string(i) + ".jpg");
    }
    return std::make_unique<MonthQuarter>(2005, 3, 1, textures, originals);
}

inline GLint modelviewDepth()
{
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

}  // namespace scenetest
