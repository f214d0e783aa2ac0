// Shared helpers of the scene's GL tests: window state, name probes, house records.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "library/MonthQuarter.h"

namespace scenetest {

// Each test starts in the window's state and ends without a GL error.
class SceneGl : public testing::Test {
protected:
    void SetUp() override
    {
        glViewport(0, 0, 256, 256);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glLineWidth(1.0f);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

// The next list or texture name GL hands out: Mesa counts upwards, so the
// difference of two probes is the number of names made in between, plus one.
inline GLuint nextList() { return glGenLists(1); }
inline GLuint nextTexture()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

inline GLint integer(GLenum what)
{
    GLint value = -1;
    glGetIntegerv(what, &value);
    return value;
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

}  // namespace scenetest
