// The gallery's frames in a real GL context: photos upright whatever their
// EXIF orientation, and the cross-fade's weights.
#include <GL/freeglut.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "gallery/DevilPhotoLoader.h"
#include "gallery/Gallery.h"
#include "library/MonthQuarter.h"
#include "support/GlPixels.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "support/TestWindowSize.h"

namespace {

using support::readPixel;

// A JPEG written by DevIL with an EXIF segment holding only an orientation
// tag (big-endian TIFF, one IFD entry) right after its start marker.
std::string writeOrientedJpeg(const std::string& path, int orientation, int width, int height,
                              const support::PixelFunction& pixelAt)
{
    EXPECT_TRUE(support::writeWithDevil(path, IL_JPG, width, height, pixelAt));
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    const char exif[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                         0, 1, 1, 0x12, 0, 3, 0, 0, 0, 1, 0, char(orientation), 0, 0, 0, 0, 0, 0};
    std::ofstream(path, std::ios::binary) << bytes.str().insert(2, exif, sizeof exif);
    return path;
}

class GalleryGl : public testing::Test {
protected:
    void open(const std::vector<std::string>& photos)
    {
        record.reset(new MonthQuarter(2005, 7, 1, new std::vector<TextureName>(photos.size(), 1),
                                      new std::vector<std::string>(photos)));
        gallery.load(record.get(), 0);
    }
    support::TestWindowSize size;
    support::TempDir dir;
    DevilPhotoLoader loader;
    Gallery gallery{&loader};
    std::unique_ptr<MonthQuarter> record;
};

// A camera stores an upright 48 x 64 photo turned or mirrored and names in
// the tag the sides its row 0 and column 0 show; here the visual top-left
// quarter is red, so it lies in the stored corner those sides meet in.
TEST_F(GalleryGl, EveryExifOrientationShowsThePhotoUpright)
{
    const struct { int orientation; bool right, bottom; } rows[] = {
        {1, false, false}, {2, true, false}, {3, true, true}, {4, false, true},
        {5, false, false}, {6, false, true}, {7, true, true}, {8, true, false},
    };
    for (const auto& row : rows) {
        const bool turned = row.orientation >= 5;
        const int width = turned ? 64 : 48, height = turned ? 48 : 64;
        open({writeOrientedJpeg(dir.file(std::to_string(row.orientation) + ".jpg"), row.orientation,
                                width, height, [&](int x, int y) {
            const bool marked = (x >= width / 2) == row.right && (y >= height / 2) == row.bottom;
            return marked ? support::red : support::blue;
        })});
        gallery.advance(2.0);
        gallery.render();
        // The portrait photo spans x 40 .. 216 of the 256-pixel window.
        EXPECT_TRUE(support::nearColour(readPixel(92, 192), support::red, 60)) << row.orientation;
        EXPECT_TRUE(support::nearColour(readPixel(164, 192), support::blue, 60)) << row.orientation;
        EXPECT_TRUE(support::nearColour(readPixel(92, 64), support::blue, 60)) << row.orientation;
        EXPECT_TRUE(support::nearColour(readPixel(24, 128), support::black, 0)) << row.orientation;
    }
}

TEST_F(GalleryGl, HalfwayThroughTheCrossFadeBothPhotosWeighHalf)
{
    const std::string red = dir.file("red.png"), blue = dir.file("blue.png");
    support::writeTwoBandPng(red, 40, 30, support::PngFormat::Rgb, support::red, support::red);
    support::writeTwoBandPng(blue, 40, 30, support::PngFormat::Rgb, support::blue, support::blue);
    open({red, blue});
    gallery.advance(2.0);
    gallery.specialUp(GLUT_KEY_RIGHT, 0, 0);
    gallery.advance(std::asin(0.5));
    gallery.render();
    EXPECT_TRUE(support::nearColour(readPixel(128, 128), {128, 0, 128, 255}, 2));
    gallery.advance(1.1);
    gallery.render();
    EXPECT_TRUE(support::nearColour(readPixel(128, 128), support::blue, 0));
}

}  // namespace
