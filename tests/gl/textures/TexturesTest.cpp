// The three loaders against Mesa: images come out upright for every pixel
// layout, failures print their exact lines and still give a usable texture.
#include <GL/gl.h>   // with glext.h
#include <IL/il.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/CaptureStdout.h"
#include "support/GlPixels.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/Textures.h"

namespace {

using support::Colour;
using support::PngFormat;

struct Loader { const char* name; TextureName (*load)(const char*); bool mipmapped, anisotropic; };
const Loader loaders[] = {{"Plain", loadTexture, false, false}, {"Mipmapped", loadTextureMipmapped, true, false},
                          {"Anisotropic", loadTextureAnisotropic, true, true}};

GLint boundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

// Fills the viewport with the texture, t = 0 at the top as the boxes and signs draw.
void drawFullWindow(TextureName texture)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    for (int corner : {0, 1, 3, 2}) {
        glTexCoord2f(corner & 1, corner >> 1);
        glVertex2f((corner & 1) * 2 - 1, 1 - (corner >> 1) * 2);
    }
    glEnd();
}

// devilType 0 writes a PNG of the given layout; otherwise DevIL writes RGB.
struct ImageCase { const char* name; PngFormat format; unsigned devilType; const char* file; int width, height; };
const ImageCase imageCases[] = {
    {"Rgb", PngFormat::Rgb, 0, "q.png", 64, 64},          {"Rgba", PngFormat::Rgba, 0, "q.png", 64, 64},
    {"Grey", PngFormat::Grey, 0, "q.png", 64, 64},        {"Palette", PngFormat::Palette, 0, "q.png", 64, 64},
    {"OddWidth", PngFormat::Rgb, 0, "q.png", 101, 50},    {"Jpeg", PngFormat::Rgb, IL_JPG, "q.jpg", 128, 96},
    {"BmpRowsBottomFirst", PngFormat::Rgb, IL_BMP, "q.bmp", 64, 64}, {"Tga", PngFormat::Rgb, IL_TGA, "q.tga", 64, 64},
    {"PngNamedJpg", PngFormat::Rgb, 0, "q.jpg", 64, 64},   // the content decides the decoder
};

class UprightTexture : public testing::TestWithParam<std::tuple<Loader, ImageCase>> {};

// One colour a quadrant (grey levels for grey files): any flip, mirror,
// shear or channel mix-up moves one of them.
TEST_P(UprightTexture, TopOfImageIsTopOfQuad)
{
    const auto& [loader, image] = GetParam();
    const Colour colours[4] = {support::red, support::green, support::blue, support::white};
    const Colour greys[4] = {support::white, {170, 170, 170, 255}, {85, 85, 85, 255}, support::black};
    const Colour* expected = image.format == PngFormat::Grey ? greys : colours;
    auto pixelAt = [&](int x, int y) { return expected[(y < image.height / 2 ? 0 : 2) + (x < image.width / 2 ? 0 : 1)]; };
    support::TempDir dir;
    std::string path = dir.file(image.file);
    ASSERT_TRUE(image.devilType != 0 ? support::writeWithDevil(path, image.devilType, image.width, image.height, pixelAt)
                                     : support::writePng(path, image.width, image.height, image.format, pixelAt));
    TextureName texture = 0;
    EXPECT_EQ(support::captureStdout([&] { texture = loader.load(path.c_str()); }), "");
    EXPECT_EQ(boundTexture(), GLint(texture));
    GLint levelOneWidth = 0;
    GLfloat largest = 0, used = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &used);
    EXPECT_EQ(levelOneWidth > 0, loader.mipmapped);
    EXPECT_EQ(used, loader.anisotropic ? largest : 1.0f);
    drawFullWindow(texture);
    for (int i = 0; i < 4; i++)
        EXPECT_PRED3(support::nearColour, support::readPixel(64 + 128 * (i & 1), 192 - 128 * (i >> 1)), expected[i],
                     image.devilType == IL_JPG ? 40 : 8) << "quadrant " << i;
}

INSTANTIATE_TEST_SUITE_P(
    AllLayouts, UprightTexture, testing::Combine(testing::ValuesIn(loaders), testing::ValuesIn(imageCases)),
    [](const testing::TestParamInfo<std::tuple<Loader, ImageCase>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

class EachLoader : public testing::TestWithParam<Loader> {};

// One line naming the path as passed, an empty DevIL queue, a new grey stand-in bound.
TEST_P(EachLoader, FailuresPrintTheirLineAndGiveAStandIn)
{
    support::TempDir dir;
    const struct { std::string path, message; } failures[] = {
        {"no-such-dir/../missing picture.png", std::string("!! -- ") + iluErrorString(IL_COULD_NOT_OPEN_FILE)},
        {dir.write("overflow.png", support::pngHeaderBytes(65536, 65537)), "!! -- image size 65536 x 65537 is too large"},
        {dir.write("empty.png", support::pngHeaderBytes(0, 16)), "!! -- image size 0 x 16 is empty"},
        {dir.write("noframe.jpg", std::string("\xFF\xD8\xFF\xDA\0\2\xFF\xD9", 8)), "!! -- image header unreadable"},
        // 18 header bytes claiming 32768 x 32769 x 4 bytes: DevIL's size wraps and its heap breaks.
        {dir.write("wrap.tga", std::string("\0\0\2", 3) + std::string(9, '\0') + std::string("\0\x80\x01\x80\x20\x08", 6) + std::string(64, '\0')),
         "!! -- image size 32768 x 32769 is too large"},
        {dir.write("anim.gif", "GIF89a\x10\0\x10\0"), "!! -- image format not supported"},
    };
    TextureName texture = 0, previous = 0;
    for (const auto& failure : failures) {
        EXPECT_EQ(support::captureStdout([&] { texture = GetParam().load(failure.path.c_str()); }), failure.message + " path: " + failure.path + "\n");
        EXPECT_EQ(ilGetError(), IL_NO_ERROR) << failure.path;
        EXPECT_TRUE(boundTexture() == GLint(texture) && texture != previous) << failure.path;
        previous = texture;
        drawFullWindow(texture);
        EXPECT_PRED3(support::nearColour, support::readPixel(128, 128), (Colour{128, 128, 128, 255}), 2) << failure.path;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, EachLoader, testing::ValuesIn(loaders),
                         [](const testing::TestParamInfo<Loader>& info) { return info.param.name; });

// Mesa hides the extension only at start-up: the test reruns itself in a child.
TEST(WithoutAnisotropy, ApologisesOnEveryCallAndMipmapsInstead)
{
    if (std::getenv("MESA_EXTENSION_OVERRIDE") == nullptr) {
        EXPECT_EQ(std::system("MESA_EXTENSION_OVERRIDE=-GL_EXT_texture_filter_anisotropic /proc/$PPID/exe --gtest_filter=WithoutAnisotropy.*"), 0);
        return;
    }
    support::TempDir dir;
    std::string path = dir.file("sign.png");
    ASSERT_TRUE(support::writeTwoBandPng(path, 32, 32, PngFormat::Rgb, support::red, support::blue));
    const std::string apology = "Sorry, extension missing or no anisotropic filtering possible with your "
                                "graphics-hardware!\n using default-mipmaps instead";
    EXPECT_EQ(support::captureStdout([&] { for (int call = 0; call < 2; call++) loadTextureAnisotropic(path.c_str()); }), apology + apology);
    GLint lastLevelWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 5, GL_TEXTURE_WIDTH, &lastLevelWidth);
    EXPECT_EQ(lastLevelWidth, 1);
}

}  // namespace
