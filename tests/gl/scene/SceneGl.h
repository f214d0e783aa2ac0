// Shared helpers of the scene's GL tests: the window's state, a house record,
// and pictures of four coloured quadrants drawn and read back as letters.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "library/MonthQuarter.h"
#include "scene/SceneObject.h"
#include "support/GlPixels.h"

namespace scenetest {

// Each test starts in the window's state and ends without a GL error.
class SceneGl : public testing::Test {
protected:
    void SetUp() override
    {
        glViewport(0, 0, 256, 256);
        for (GLenum on : { GL_TEXTURE_2D, GL_LIGHTING, GL_CULL_FACE })
            glEnable(on);
        glDisable(GL_BLEND);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glLineWidth(1.0f);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

// A record of n pictures whose texture names 1000 + i hold no image.
inline std::unique_ptr<MonthQuarter> record(int n)
{
    auto* textures = new std::vector<TextureName>();
    for (int i = 0; i < n; ++i)
        textures->push_back(static_cast<TextureName>(1000 + i));
    return std::make_unique<MonthQuarter>(2005, 3, 1, textures, new std::vector<std::string>(n, "p.jpg"));
}

// The texture an object leaves bound after drawing: its last plate's.
inline GLuint boundBy(SceneObject&& object)
{
    GLint name = 0;
    glBindTexture(GL_TEXTURE_2D, 0);
    object.draw(0.0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<GLuint>(name);
}

// Pictures are written as rows of letters, top row first: "RG/BW" is red
// top-left, green top-right, blue bottom-left, white bottom-right.
const std::pair<char, support::Colour> letters[] = { { 'R', support::red }, { 'G', support::green },
    { 'B', support::blue }, { 'W', support::white }, { 'K', support::black } };

// Replaces a texture's image with a 2 x 2 picture, its top row at t = 0,
// sampled sharp (llvmpipe's anisotropic filter would blend the texels).
inline void markTexture(GLuint name, const std::string& picture)
{
    support::Colour texels[4] = {};
    for (int i = 0; i < 4; ++i)
        for (const auto& [letter, colour] : letters)
            texels[i] = picture[i + i / 2] == letter ? colour : texels[i];
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f);
}

// Clears the window to look, unlit, along -z of the frame turned by degrees
// about (ax, ay, 0), at the rectangle of half sizes (halfWidth, halfHeight)
// round its origin; textures show their own colours.
inline void view(float degrees, float ax, float ay, float halfWidth, float halfHeight)
{
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(degrees, ax, ay, 0);
}

// The window read at the centres of columns x rows cells ('?': no letter's colour).
inline std::string seen(int columns, int rows)
{
    std::string picture;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const support::Colour c = support::readPixel((2 * column + 1) * 128 / columns, 256 - (2 * row + 1) * 128 / rows);
            char letter = '?';
            for (const auto& [name, colour] : letters)
                letter = support::nearColour(c, colour, 40) ? name : letter;
            picture += std::string(row > 0 && column == 0 ? "/" : "") + letter;
        }
    return picture;
}

}  // namespace scenetest
