// The three loaders against Mesa: images come out upright for every pixel
// layout, failures print DevIL's lines and still give a usable texture, and
// the size guard keeps hostile headers away from DevIL.
#include <GL/gl.h>
#include <GL/glext.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#include "support/CaptureStdout.h"
#include "support/GlPixels.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/Textures.h"

namespace {

using support::Colour;
using support::PngFormat;

struct Loader {
    const char* name;
    TextureName (*load)(const char*);
    bool mipmapped;
};

const Loader loaders[] = {
    {"Plain", loadTexture, false},
    {"Mipmapped", loadTextureMipmapped, true},
    {"Anisotropic", loadTextureAnisotropic, true},
};

void PrintTo(const Loader& loader, std::ostream* os) { *os << loader.name; }

std::string loaderName(const testing::TestParamInfo<Loader>& info) { return info.param.name; }

GLint boundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

GLint levelParameter(int level, GLenum parameter)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

// Fills the 256 x 256 window with the texture on a quad whose top edge has
// t = 0, as the boxes, signs and overlays draw their pictures.
void drawFullWindow(TextureName texture)
{
    glViewport(0, 0, 256, 256);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1); glVertex2f(0, 0);
    glTexCoord2f(1, 1); glVertex2f(1, 0);
    glTexCoord2f(1, 0); glVertex2f(1, 1);
    glTexCoord2f(0, 0); glVertex2f(0, 1);
    glEnd();
    glFinish();
}

// ---------------------------------------------------------------- upright

struct ImageCase {
    const char* name;
    PngFormat format;
    bool jpeg;
    int width, height;
};

const ImageCase imageCases[] = {
    {"Rgb", PngFormat::Rgb, false, 64, 64},
    {"Rgba", PngFormat::Rgba, false, 64, 64},
    {"Grey", PngFormat::Grey, false, 64, 64},
    {"GreyAlpha", PngFormat::GreyAlpha, false, 64, 64},
    {"Palette", PngFormat::Palette, false, 64, 64},
    {"Rgb16", PngFormat::Rgb16, false, 64, 64},
    {"RgbOddWidth", PngFormat::Rgb, false, 101, 50},
    {"PaletteOddWidth", PngFormat::Palette, false, 101, 50},
    {"GreyOddWidth", PngFormat::Grey, false, 101, 50},
    {"Jpeg", PngFormat::Rgb, true, 128, 96},
    {"Thumbnail", PngFormat::Rgb, false, 128, 96},
};

void PrintTo(const ImageCase& image, std::ostream* os)
{
    *os << image.name << " " << image.width << "x" << image.height;
}

// Top-left, top-right, bottom-left, bottom-right: any flip, mirror, shear or
// channel mix-up moves one of them. Grey files get grey levels.
void quadrantColours(PngFormat format, Colour out[4])
{
    const Colour colours[4] = {support::red, support::green, support::blue, support::white};
    const unsigned char greys[4] = {255, 170, 85, 0};
    bool grey = format == PngFormat::Grey || format == PngFormat::GreyAlpha;
    for (int i = 0; i < 4; i++)
        out[i] = grey ? Colour{greys[i], greys[i], greys[i], 255} : colours[i];
}

class UprightTexture : public testing::TestWithParam<std::tuple<Loader, ImageCase>> {};

TEST_P(UprightTexture, TopOfImageIsTopOfQuad)
{
    const auto& [loader, image] = GetParam();
    Colour expected[4];
    quadrantColours(image.format, expected);
    auto pixelAt = [&](int x, int y) {
        return expected[(y < image.height / 2 ? 0 : 2) + (x < image.width / 2 ? 0 : 1)];
    };
    support::TempDir dir;
    std::string path = dir.file(image.jpeg ? "quadrants.jpg" : "quadrants.png");
    ASSERT_TRUE(image.jpeg ? support::writeJpeg(path, image.width, image.height, pixelAt)
                           : support::writePng(path, image.width, image.height, image.format, pixelAt));

    std::string output;
    TextureName texture = 0;
    output = support::captureStdout([&] { texture = loader.load(path.c_str()); });
    EXPECT_EQ(output, "");
    ASSERT_NE(texture, 0u);
    drawFullWindow(texture);
    const int samples[4][2] = {{64, 192}, {192, 192}, {64, 64}, {192, 64}};
    int tolerance = image.jpeg ? 40 : 8;
    for (int i = 0; i < 4; i++)
        EXPECT_PRED3(support::nearColour, support::readPixel(samples[i][0], samples[i][1]),
                     expected[i], tolerance)
            << "quadrant " << i;
}

INSTANTIATE_TEST_SUITE_P(
    AllLayouts, UprightTexture, testing::Combine(testing::ValuesIn(loaders), testing::ValuesIn(imageCases)),
    [](const testing::TestParamInfo<std::tuple<Loader, ImageCase>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// ---------------------------------------------------------- every loader

class EachLoader : public testing::TestWithParam<Loader> {
protected:
    support::TempDir dir;
    std::string thumbnail = dir.file("thumb.png");
    void SetUp() override
    {
        ASSERT_TRUE(support::writeTwoBandPng(thumbnail, 64, 32, PngFormat::Rgba, support::red,
                                             support::blue));
    }
    TextureName loadQuietly(const char* path)
    {
        TextureName texture = 0;
        EXPECT_EQ(support::captureStdout([&] { texture = GetParam().load(path); }), "");
        return texture;
    }
};

TEST_P(EachLoader, MakesANewTextureEveryCallAndLeavesItBound)
{
    TextureName first = loadQuietly(thumbnail.c_str());
    EXPECT_EQ(boundTexture(), GLint(first));
    glBindTexture(GL_TEXTURE_2D, 0);
    TextureName second = loadQuietly(thumbnail.c_str());
    EXPECT_EQ(boundTexture(), GLint(second));
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_TRUE(glIsTexture(first));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 64);
}

TEST_P(EachLoader, MipmapsExactlyWhereAsked)
{
    loadQuietly(thumbnail.c_str());
    // 64 x 32 has seven levels down to 1 x 1.
    EXPECT_EQ(levelParameter(6, GL_TEXTURE_WIDTH), GetParam().mipmapped ? 1 : 0);
    EXPECT_EQ(levelParameter(1, GL_TEXTURE_WIDTH), GetParam().mipmapped ? 32 : 0);
}

TEST_P(EachLoader, MissingFilePrintsDevILsLineWithThePathAsPassed)
{
    const char* path = "no-such-dir/../missing picture.png";
    TextureName texture = 0;
    std::string output = support::captureStdout([&] { texture = GetParam().load(path); });
    EXPECT_EQ(output, std::string("!! -- ") + iluErrorString(IL_COULD_NOT_OPEN_FILE) + " path: " + path + "\n");
    EXPECT_EQ(ilGetError(), IL_NO_ERROR) << "error queue left undrained";
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(boundTexture(), GLint(texture));
    // The grey stand-in, the same on every path.
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 1);
    drawFullWindow(texture);
    EXPECT_PRED3(support::nearColour, support::readPixel(128, 128), (Colour{128, 128, 128, 255}), 2);
}

TEST_P(EachLoader, GarbageFileReportsEveryQueuedError)
{
    std::string path = dir.write("broken.jpg", "\xFF\xD8\xFF\xE0 this is no JPEG at all");
    TextureName texture = 0;
    std::string output = support::captureStdout([&] { texture = GetParam().load(path.c_str()); });
    EXPECT_EQ(ilGetError(), IL_NO_ERROR);
    EXPECT_NE(texture, 0u);
    ASSERT_FALSE(output.empty());
    // Every line has DevIL's shape and names the path.
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        ASSERT_NE(end, std::string::npos) << output;
        std::string line = output.substr(start, end - start);
        EXPECT_EQ(line.rfind("!! -- ", 0), 0u) << line;
        EXPECT_EQ(line.substr(line.size() - path.size() - 7), " path: " + path) << line;
        start = end + 1;
    }
}

struct Hostile {
    const char* file;
    std::string bytes;
    const char* message;   // printed before " path: <path>\n"
};

TEST_P(EachLoader, HostileHeadersAreRefusedBeforeDecoding)
{
    const Hostile files[] = {
        {"overflow.png", support::pngHeaderBytes(65536, 65537), "!! -- image size 65536 x 65537 is too large"},
        {"six-gigabytes.jpg", support::jpegHeaderBytes(30000, 30000), "!! -- image size 30000 x 30000 is too large"},
        {"disguised.jpg", support::pngHeaderBytes(65536, 65537), "!! -- image size 65536 x 65537 is too large"},
        {"empty.png", support::pngHeaderBytes(0, 16), "!! -- image size 0 x 16 is empty"},
        {"noframe.jpg", std::string("\xFF\xD8\xFF\xDA\0\2\xFF\xD9", 8), "!! -- image header unreadable"},
    };
    for (const Hostile& hostile : files) {
        SCOPED_TRACE(hostile.file);
        std::string path = dir.write(hostile.file, hostile.bytes);
        TextureName texture = 0;
        std::string output = support::captureStdout([&] { texture = GetParam().load(path.c_str()); });
        EXPECT_EQ(output, std::string(hostile.message) + " path: " + path + "\n");
        ASSERT_NE(texture, 0u);
        EXPECT_EQ(boundTexture(), GLint(texture));
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, EachLoader, testing::ValuesIn(loaders), loaderName);

// -------------------------------------------------------------- alpha etc.

class AlphaChannel : public testing::Test {
protected:
    support::TempDir dir;
    std::string path = dir.file("translucent.png");
    void SetUp() override
    {
        ASSERT_TRUE(support::writePng(path, 32, 32, PngFormat::Rgba,
                                      [](int, int) { return Colour{200, 100, 50, 64}; }));
    }
};

TEST_F(AlphaChannel, AnisotropicPathKeepsThreeComponents)
{
    loadTextureAnisotropic(path.c_str());
    GLint internal = levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(internal == 3 || internal == GL_RGB) << std::hex << internal;
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_ALPHA_SIZE), 0);
}

TEST_F(AlphaChannel, IlutPathsKeepIt)
{
    for (const Loader& loader : {loaders[0], loaders[1]}) {
        SCOPED_TRACE(loader.name);
        loader.load(path.c_str());
        EXPECT_GT(levelParameter(0, GL_TEXTURE_ALPHA_SIZE), 0);
    }
}

TEST(AnisotropicFiltering, UsesTheLargestTheHardwareOffers)
{
    support::TempDir dir;
    std::string path = dir.file("grass.png");
    ASSERT_TRUE(support::writeTwoBandPng(path, 16, 16, PngFormat::Rgb, support::green, support::green));
    GLfloat largest = 0, used = 0;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    loadTextureAnisotropic(path.c_str());
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &used);
    EXPECT_GT(largest, 1.0f);
    EXPECT_EQ(used, largest);
}

// Runs only in a child whose GL hides the extension (see the next test).
TEST(WithoutAnisotropy, DISABLED_ApologisesOnEveryCallAndMipmapsThroughIlut)
{
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    ASSERT_EQ(std::string(extensions).find("GL_EXT_texture_filter_anisotropic"), std::string::npos);
    support::TempDir dir;
    std::string path = dir.file("sign.png");
    ASSERT_TRUE(support::writeTwoBandPng(path, 32, 32, PngFormat::Rgb, support::red, support::blue));
    const std::string apology =
        "Sorry, extension missing or no anisotropic filtering possible with your "
        "graphics-hardware!\n using default-mipmaps instead";
    TextureName texture = 0;
    std::string output = support::captureStdout([&] {
        loadTextureAnisotropic(path.c_str());
        texture = loadTextureAnisotropic(path.c_str());
    });
    EXPECT_EQ(output, apology + apology);
    EXPECT_EQ(boundTexture(), GLint(texture));
    EXPECT_EQ(levelParameter(5, GL_TEXTURE_WIDTH), 1);
    drawFullWindow(texture);
    EXPECT_PRED3(support::nearColour, support::readPixel(128, 192), support::red, 8);
    EXPECT_PRED3(support::nearColour, support::readPixel(128, 64), support::blue, 8);
}

TEST(WithoutAnisotropy, ChildProcessWithExtensionHidden)
{
    std::string command =
        "MESA_EXTENSION_OVERRIDE=-GL_EXT_texture_filter_anisotropic /proc/" +
        std::to_string(getpid()) +
        "/exe --gtest_also_run_disabled_tests "
        "--gtest_filter=WithoutAnisotropy.DISABLED_* 2>&1";
    std::FILE* child = popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    std::string report;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, child)) > 0)
        report.append(chunk, got);
    EXPECT_EQ(pclose(child), 0) << report;
    // A filter that matched nothing would pass too.
    EXPECT_NE(report.find("[  PASSED  ] 1 test."), std::string::npos) << report;
}

}  // namespace
