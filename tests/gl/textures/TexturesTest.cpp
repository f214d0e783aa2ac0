// The three loaders against Mesa: images come out upright for every pixel
// layout, failures print their exact lines and still give a usable texture.
#include <GL/gl.h>   // with glext.h
#include <IL/il.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "support/CaptureStdout.h"
#include "support/GlPixels.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/Dxt1.h"
#include "textures/GlState.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"
#include "textures/ThumbnailDecoder.h"
#include "textures/ThumbnailQueue.h"

namespace {

using support::Colour;
using support::PngFormat;

// The loaders' shared atlas, never destroyed: the GL goes before anything static.
PhotoAtlas& atlas()
{
    static PhotoAtlas& photos = *new PhotoAtlas;
    return photos;
}

// The library's path: decoded on a worker, drawn from its atlas cell.
TextureName loadThumbnail(const char* path, bool compress)
{
    ThumbnailQueue queue(atlas(), {{path, true}}, 1, 1, compress);
    queue.check(path);
    const TextureName name = queue.load(path);
    atlas().bind(name);
    return name;
}
TextureName loadTexelThumbnail(const char* path) { return loadThumbnail(path, false); }
TextureName loadDxt1Thumbnail(const char* path) { return loadThumbnail(path, true); }

struct Loader { const char* name; TextureName (*load)(const char*); bool mipmapped, anisotropic, atlased; };
const Loader loaders[] = {{"Plain", loadTexture, false, false, false}, {"Mipmapped", loadTextureMipmapped, true, false, false},
                          {"Anisotropic", loadTextureAnisotropic, true, true, false}, {"Thumbnail", loadTexelThumbnail, false, false, true},
                          {"Dxt1Thumbnail", loadDxt1Thumbnail, false, false, true}};

GLint boundTexture() { GLint name = 0; glGetIntegerv(GL_TEXTURE_BINDING_2D, &name); return name; }

// A picture DevIL writes (file type, PNG layout, size), or bytes as a broken
// or hostile file holds them, which fail with message (and " path: ...").
struct LoadCase { const char* name; unsigned devilType; PngFormat format; int width, height; const char* file; std::string bytes = {}, message = {}; };
const LoadCase loadCases[] = {
    {"Rgb", IL_PNG, PngFormat::Rgb, 64, 64, "q.png"}, {"Rgba", IL_PNG, PngFormat::Rgba, 64, 64, "q.png"},
    {"Grey", IL_PNG, PngFormat::Grey, 64, 64, "q.png"}, {"Palette", IL_PNG, PngFormat::Palette, 64, 64, "q.png"},
    {"OddWidth", IL_PNG, PngFormat::Rgb, 101, 50, "q.png"}, {"Jpeg", IL_JPG, PngFormat::Rgb, 128, 96, "q.jpg"},
    {"BmpRowsBottomFirst", IL_BMP, PngFormat::Rgb, 64, 64, "q.bmp"}, {"Tga", IL_TGA, PngFormat::Rgb, 64, 64, "q.tga"},
    {"PngNamedJpg", IL_PNG, PngFormat::Rgb, 64, 64, "q.jpg"},   // the content decides the decoder
    {"Missing", 0, {}, 0, 0, "no-such-dir/../missing picture.png", "", "!! -- "},   // then DevIL's reason
    {"Overflowing", 0, {}, 0, 0, "o.png", support::pngHeaderBytes(65536, 65537), "!! -- image size 65536 x 65537 is too large"},
    {"Empty", 0, {}, 0, 0, "e.png", support::pngHeaderBytes(0, 16), "!! -- image size 0 x 16 is empty"},
    {"NoFrame", 0, {}, 0, 0, "n.jpg", std::string("\xFF\xD8\xFF\xDA\0\2\xFF\xD9", 8), "!! -- image header unreadable"},
    // 18 header bytes claiming 32768 x 32769 x 4 bytes: DevIL's size wraps and its heap breaks.
    {"Wrapping", 0, {}, 0, 0, "w.tga", std::string("\0\0\2", 3) + std::string(9, '\0') + std::string("\0\x80\x01\x80\x20\x08", 6) + std::string(64, '\0'),
     "!! -- image size 32768 x 32769 is too large"},
    {"Gif", 0, {}, 0, 0, "a.gif", "GIF89a\x10\0\x10\0", "!! -- image format not supported"},
};

class EachLoader : public testing::TestWithParam<std::tuple<Loader, LoadCase>> {};

// One colour a quadrant (grey levels for grey files): any flip, mirror, shear
// or channel mix-up moves one of them. A failure prints one line naming the
// path as passed, empties DevIL's queue and binds a new grey stand-in.
TEST_P(EachLoader, GivesAnUprightTextureOrPrintsWhyAndAGreyStandIn)
{
    const auto& [loader, image] = GetParam();
    const Colour colours[4] = {support::red, support::green, support::blue, support::white}, grey{128, 128, 128, 255};
    const Colour greys[4] = {support::white, {170, 170, 170, 255}, {85, 85, 85, 255}, support::black}, standIn[4] = {grey, grey, grey, grey};
    const Colour* expected = !image.message.empty() ? standIn : image.format == PngFormat::Grey ? greys : colours;
    auto pixelAt = [&](int x, int y) { return expected[(y < image.height / 2 ? 0 : 2) + (x < image.width / 2 ? 0 : 1)]; };
    support::TempDir dir;
    const std::string path = image.devilType == 0 && image.bytes.empty() ? image.file : dir.file(image.file);
    ASSERT_TRUE(image.devilType == 0 || support::writeWithDevil(path, image.devilType, image.width, image.height, pixelAt, image.format));
    if (!image.bytes.empty())
        dir.write(image.file, image.bytes);
    TextureName texture = 0, previous = 0;
    const std::string line = image.message.empty() ? "" : image.message + (image.message == "!! -- " ? iluErrorString(IL_COULD_NOT_OPEN_FILE) : "") + " path: " + path + "\n";
    EXPECT_EQ(support::captureStdout([&] { previous = loader.load(path.c_str()), texture = loader.load(path.c_str()); }), line + line);
    EXPECT_EQ(ilGetError(), IL_NO_ERROR);
    EXPECT_TRUE((boundTexture() == GLint(texture) || loader.atlased) && texture != previous);
    GLint levelOneWidth = 0;   // mipmapped when level 1 holds an image
    GLfloat largest = 0, used = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &used);
    EXPECT_TRUE(!image.message.empty() || ((levelOneWidth > 0) == loader.mipmapped && used == (loader.anisotropic ? largest : 1.0f)));
    enableGl(GlState::texturing);   // the bound texture over the window, t = 0 at the top as boxes and signs draw it
    glBegin(GL_QUADS);
    for (int corner : {0, 1, 3, 2})
        glTexCoord2f(corner & 1, corner >> 1), glVertex2f((corner & 1) * 2 - 1, 1 - (corner >> 1) * 2);
    glEnd();
    for (int i = 0; i < 4; i++)
        EXPECT_PRED3(support::nearColour, support::readPixel(64 + 128 * (i & 1), 192 - 128 * (i >> 1)), expected[i],
                     image.devilType == IL_JPG ? 40 : image.devilType ? 8 : 2) << "quadrant " << i;
    unbindPhoto();
}

INSTANTIATE_TEST_SUITE_P(
    AllFiles, EachLoader, testing::Combine(testing::ValuesIn(loaders), testing::ValuesIn(loadCases)),
    [](const testing::TestParamInfo<std::tuple<Loader, LoadCase>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// Mesa hides the extension only at start-up: the test reruns itself in a child.
TEST(WithoutAnisotropy, ApologisesOnEveryCallAndMipmapsInstead)
{
    if (std::getenv("MESA_EXTENSION_OVERRIDE") == nullptr) {
        EXPECT_EQ(std::system("MESA_EXTENSION_OVERRIDE=-GL_EXT_texture_filter_anisotropic /proc/$PPID/exe --gtest_filter=WithoutAnisotropy.*"), 0);
        return;
    }
    support::TempDir dir;
    const std::string path = dir.file("sign.png");
    ASSERT_TRUE(support::writeTwoBandPng(path, 32, 32, PngFormat::Rgb, support::red, support::blue));
    const std::string apology = "Sorry, extension missing or no anisotropic filtering possible with your "
                                "graphics-hardware!\n using default-mipmaps instead";
    EXPECT_EQ(support::captureStdout([&] { for (int call = 0; call < 2; call++) loadTextureAnisotropic(path.c_str()); }), apology + apology);
    GLint lastLevelWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 5, GL_TEXTURE_WIDTH, &lastLevelWidth);
    EXPECT_EQ(lastLevelWidth, 1);
}

// What the workers encode is what Mesa samples, in the cell the atlas names;
// the cell's page goes with its last photo.
TEST(Dxt1Atlas, HoldsTheBlocksInTheirCellAsTheyDecode)
{
    ASSERT_TRUE(compressesThumbnails());
    support::TempDir dir;
    const std::string path = dir.file("photo.png");
    auto texel = [](int x, int y) {
        return Colour{GLubyte(100 + x), GLubyte(40 + 2 * y), GLubyte(x * y % 97 + 30), 255};
    };
    ASSERT_TRUE(support::writeWithDevil(path, IL_PNG, 128, 96, texel));
    DecodedThumbnail thumbnail = decodeThumbnail(path.c_str(), true, true);
    ASSERT_TRUE(thumbnail.decoded && thumbnail.framed.empty());
    const std::vector<unsigned char> expected = decodeDxt1(thumbnail.blocks.data(), 132, 100);
    PhotoAtlas photos;
    const TextureName name = photos.upload(thumbnail), second = photos.upload(thumbnail);
    const AtlasCell cell = photos.cell(name);
    bindTexture(cell.texture);
    GLint compressed = 0, width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED, &compressed);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    ASSERT_TRUE(compressed && width == 132);
    EXPECT_FLOAT_EQ(cell.s0 * width, 1.0f);
    EXPECT_FLOAT_EQ(cell.s1 * width, 129.0f);
    EXPECT_FLOAT_EQ((cell.t1 - cell.t0) * height, 96.0f);
    std::vector<unsigned char> page(static_cast<size_t>(width) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, page.data());
    const int top = static_cast<int>(cell.t0 * height + 0.5f) - 1;   // the frame's row
    int apart = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 132 * 4; ++x)
            apart += std::abs(page[(static_cast<size_t>(top + y) * width) * 4 + x] - expected[static_cast<size_t>(y) * 132 * 4 + x]) > 2;
    EXPECT_EQ(apart, 0);
    std::vector<unsigned char> photo(128 * 96 * 4), cellTexels(128 * 96 * 4);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) {
            const Colour c = texel(x, y);
            std::copy(&c.r, &c.r + 4, &photo[(y * 128 + x) * 4]);
            std::copy(&page[((top + 1 + y) * width + 1 + x) * 4], &page[((top + 1 + y) * width + 2 + x) * 4], &cellTexels[(y * 128 + x) * 4]);
        }
    EXPECT_GE(peakSignalToNoise(photo.data(), cellTexels.data(), 128 * 96), 28.0);   // fine detail in blue
    photos.release({ name });   // the page stays while a photo on it does, and goes with the last
    EXPECT_TRUE(glIsTexture(cell.texture) && photos.cell(second).texture == cell.texture);
    photos.release({ second });
    EXPECT_FALSE(glIsTexture(cell.texture));
}

// Without S3TC the thumbnails keep their RGBA texels.
// A first opening makes only the small level: a JPEG decoded at a quarter
// of its size gives what the whole decode, box-filtered, gives.
TEST(SmallLevel, OfAJpegAtAQuarterScaleMatchesTheWholeDecodeFiltered)
{
    support::TempDir dir;
    const std::string path = dir.file("photo.jpg");
    ASSERT_TRUE(support::writeWithDevil(path, IL_JPG, 128, 96, [](int x, int y) {
        return Colour{GLubyte(60 + x), GLubyte(40 + 2 * y), GLubyte(x * y / 40 + 30), 255};
    }));
    const DecodedThumbnail small = decodeThumbnail(path.c_str(), true, true, ThumbnailLevels::smallOnly), whole = decodeThumbnail(path.c_str(), true, true);
    ASSERT_TRUE(small.decoded && whole.decoded);
    EXPECT_TRUE(small.blocks.empty() && small.width == 128 && small.height == 96);
    const std::vector<unsigned char> a = decodeDxt1(small.small.data(), 36, 28), b = decodeDxt1(whole.small.data(), 36, 28);
    EXPECT_GT(peakSignalToNoise(a.data(), b.data(), 36 * 28), 35.0);
}

TEST(WithoutS3tc, KeepsThumbnailsAsTexels)
{
    if (std::getenv("MESA_EXTENSION_OVERRIDE") == nullptr) {
        EXPECT_EQ(std::system("MESA_EXTENSION_OVERRIDE=-GL_EXT_texture_compression_s3tc /proc/$PPID/exe --gtest_filter=WithoutS3tc.*"), 0);
        return;
    }
    EXPECT_FALSE(compressesThumbnails());
    support::TempDir dir;
    const std::string path = dir.file("photo.png");
    ASSERT_TRUE(support::writeTwoBandPng(path, 128, 96, PngFormat::Rgb, support::red, support::blue));
    const AtlasCell cell = atlas().cell(loadThumbnail(path.c_str(), compressesThumbnails()));
    bindTexture(cell.texture);
    GLint compressed = 1, width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED, &compressed);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_TRUE(compressed == 0 && width == 130);
}

}  // namespace
