// The gallery with its real loader in GL: refusals, upright photos, the cross-fade, the city after Escape.
#include <GL/freeglut.h>
#include <IL/il.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "app/Zandervale.h"
#include "gallery/DevilPhotoLoader.h"
#include "gallery/Gallery.h"
#include "gallery/VipsPhotoLoader.h"
#include "library/MonthQuarter.h"
#include "support/GlPixels.h"
#include "support/TempDir.h"
#include "support/WindowSize.h"

namespace {

using namespace support;

// A JPEG whose EXIF segment, right after the start marker, holds only the
// orientation tag (big-endian TIFF, one IFD entry).
std::string jpeg(const TempDir& dir, const std::string& name, int width, int height, const PixelFunction& pixelAt,
                 char orientation = 1)
{
    writeWithDevil(dir.file(name), IL_JPG, width, height, pixelAt);
    std::string bytes(std::istreambuf_iterator<char>(std::ifstream(dir.file(name)).rdbuf()), {});
    const char exif[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                         0, 1, 1, 0x12, 0, 3, 0, 0, 0, 1, 0, orientation, 0, 0, 0, 0, 0, 0};
    return dir.write(name, bytes.insert(2, exif, sizeof exif));
}

// A record of these photos; a gallery keeps pointing at it, so it lives
// until this program ends.
MonthQuarter* record(const std::vector<std::string>& photos)
{
    static std::vector<std::unique_ptr<MonthQuarter>> kept;
    kept.emplace_back(new MonthQuarter(1, 1, 1, std::vector<TextureName>(photos.size()), std::vector<std::string>(photos)));
    return kept.back().get();
}

// A camera stores an upright 48 x 64 photo turned or mirrored, the tag naming the sides its row 0 and
// column 0 show: the visual top-left quarter (red) lies in the stored corner where those sides meet, the
// top-right one (green) along row 0, or down column 0 when the sides swap.
TEST(GalleryGl, EveryExifOrientationShowsThePhotoUprightAndBrokenFilesNothing)
{
    WindowSize size(256, 256);
    TempDir dir;
    DevilPhotoLoader devil;   // the first loader, beside the viewer's
    VipsPhotoLoader vips;
    const struct { char orientation; bool right, bottom; } rows[] = {
        {1, false, false}, {2, true, false}, {3, true, true}, {4, false, true},
        {5, false, false}, {6, false, true}, {7, true, true}, {8, true, false}};
    for (PhotoLoader* loader : {static_cast<PhotoLoader*>(&devil), static_cast<PhotoLoader*>(&vips)}) {
        Gallery gallery(loader);
        for (const auto& row : rows) {
            const int width = row.orientation >= 5 ? 64 : 48, height = 112 - width;
            gallery.load(record({jpeg(dir, "o.jpg", width, height, [&](int x, int y) {
                const bool right = x >= width / 2, bottom = y >= height / 2, swap = row.orientation >= 5;
                return right == row.right && bottom == row.bottom ? red
                       : right == (row.right != !swap) && bottom == (row.bottom != swap) ? green : blue;
            }, row.orientation)}), 0);
            gallery.advance(2.0), gallery.render();   // the portrait photo spans x 40 .. 216
            EXPECT_TRUE(nearColour(readPixel(92, 192), red, 60) && nearColour(readPixel(164, 192), green, 60) &&
                        nearColour(readPixel(24, 128), black, 0)) << int(row.orientation) << (loader == &vips);
        }
    }
    // Shrunk on load to 1024 x 768 and filtered to the square, ramps stay ramps: red across, green down.
    const std::vector<unsigned char> ramps = vips.decode(jpeg(dir, "ramps.jpg", 2048, 1536, [](int x, int y) {
        return Colour{static_cast<unsigned char>(x / 8), static_cast<unsigned char>(y / 6), 128, 255};
    })).pixels;
    for (size_t i = 8; i < 1024; i += 101)
        EXPECT_TRUE(std::abs(ramps[(i * 1024 + i) * 3] - int(i / 4)) + std::abs(ramps[(i * 1024 + i) * 3 + 1] - int(i / 4)) <= 4) << i;
    writeWithDevil(dir.file("p.png"), IL_PNG, 30, 20, [](int x, int) { return x < 15 ? red : blue; });
    const std::vector<unsigned char> png = vips.decode(dir.file("p.png")).pixels;   // libvips decodes what is not JPEG
    EXPECT_TRUE(png.size() == 1024 * 1024 * 3 && png[3 * 100] > 200 && png[3 * 1000 + 2] > 200);
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600) + truncate(dir.file("o.jpg").c_str(), 300) +
              truncate(dir.file("ramps.jpg").c_str(), 20000), 0);   // the header whole, the data cut
    for (const std::string& path : {dir.path(), dir.file("fifo"), std::string("/dev/zero"), dir.file("o.jpg"), dir.file("ramps.jpg")})
        EXPECT_TRUE(devil.decode(path).outcome == DecodedPhoto::Refused && vips.decode(path).outcome ==
                    DecodedPhoto::Refused) << path;   // and nothing blocks
    EXPECT_EQ(vips.decode("/dev/zero").reason, "it is not a regular file");
}

// A photo gone from its folder: the gallery shows the picture's thumbnail enlarged in its place and one
// line saying so above the caption bar, besides the message on standard output.
TEST(GalleryGl, AMissingPhotoShowsItsThumbnailAndTheReason)
{
    WindowSize size(1024, 768);
    TempDir dir;
    VipsPhotoLoader vips;
    Gallery gallery(&vips);
    const std::string gone = dir.file("gone.jpg");
    MonthQuarter missing(1, 1, 1, std::vector<TextureName>{solidTexture({200, 0, 200})}, std::vector<std::string>{gone});
    gallery.load(&missing, 0);
    gallery.advance(0.1), gallery.render();
    EXPECT_EQ(gallery.shown().problemText(), "The photo is missing: " + gone);
    EXPECT_TRUE(nearColour(readPixel(512, 384), {200, 0, 200, 255}, 8) && nearColour(readPixel(100, 700), {200, 0, 200, 255}, 8));
    EXPECT_GT(whitePixels(0, 50, 1024, 16), 200);   // the line's glyphs, white over the thumbnail
}

// The list and the caption bar's texture that the first frame makes are freed with the gallery.
TEST(GalleryGl, GivesBackWhatItsFirstFrameMade)
{
    WindowSize size(256, 256);
    VipsPhotoLoader vips;
    GLuint list = glGenLists(1), texture = 0;
    glGenTextures(1, &texture);
    const auto alive = [&] { int names = 0; for (GLuint i = 1; i < 10; ++i) names += glIsList(list + i) + glIsTexture(texture + i); return names; };
    auto gallery = std::make_unique<Gallery>(&vips);
    gallery->render();
    ASSERT_EQ(alive(), 2);
    gallery.reset();
    EXPECT_EQ(alive(), 0);
}

// What the frames leave behind is GlStateFrames' to check.
TEST(GalleryGl, CrossFadesHalfwayAndEscapeGoesBackToTheCity)
{
    WindowSize size(256, 256);
    TempDir dir;
    Zandervale app;
    app.openGallery(record({jpeg(dir, "r.jpg", 40, 30, [](int, int) { return red; }),
                            jpeg(dir, "b.jpg", 30, 40, [](int, int) { return blue; })}), 0);
    const auto decoded = [&] {   // off this thread, while the frames say "... LOADING ..." top right
        std::vector<unsigned char> band(150 * 24 * 4);
        for (int frame = 0, lit = 1; frame < 3000 && lit; ++frame, usleep(10000)) {
            app.draw(0.0), glReadPixels(106, 230, 150, 24, GL_RGBA, GL_UNSIGNED_BYTE, band.data());
            for (size_t i = lit = 0; i < band.size(); i += 4)
                lit |= band[i + 2] > 200 && band[i] < 128;
        }
    };
    decoded(), app.draw(2.0), app.inputControl()->special(GLUT_KEY_RIGHT, 0, 0), app.inputControl()->specialUp(GLUT_KEY_RIGHT, 0, 0), decoded(), app.draw(0.5236);   // sin = 0.5
    EXPECT_TRUE(nearColour(readPixel(128, 128), {128, 0, 128, 255}, 4));
    app.inputControl()->keyboardUp(27, 0, 0);
    EXPECT_FALSE(app.isGalleryActive());
}

}  // namespace
