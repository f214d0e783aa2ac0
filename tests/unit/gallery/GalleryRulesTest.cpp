// The gallery's caption, picture scale, zoom step and photo size gate.
#include <gtest/gtest.h>

#include "gallery/GalleryRules.h"

namespace {

TEST(GalleryCaption, CountsPathsAndFontGlyphs)
{
    const std::string folder = "/home/anna/Pictures/2005/Holidays in the mountains/";
    const struct { int k, count; std::string path, caption; } rows[] = {
        {3, 12, "/p/a.jpg", "(3\\12) :  /p/a.jpg"},
        {7, 120, "b.jpg", "(7\\120) :  b.jpg"},
        {1234, 1500, "", "(1234\\1500) :  "},
        {1, 2, "/Zo\xC3\xAB/Caf\xC3\xA9.jpg", "(1\\2) :  /Zo\xEB/Caf\xE9.jpg"},
        {1, 2, "\xE6\x97\xA5\xE6\x9C\xAC.jpg\xFF\xC3", "(1\\2) :  ??.jpg??"},   // CJK, stray bytes
        {1, 2, "\xC0\xAF\t.jpg", "(1\\2) :  ???.jpg"},                          // overlong, control
        {1, 2, folder + "IMG_4711.jpg", "(1\\2) :  ..." + (folder + "IMG_4711.jpg").substr(21)},
        {1, 2, std::string(45, 'x'), "(1\\2) :  " + std::string(45, 'x')},     // just fits
    };
    for (const auto& row : rows)
        EXPECT_EQ(galleryCaption(row.k, row.count, row.path), row.caption) << row.path;
}

TEST(PictureScale, PortraitFillsTheHeightOthersTheWidth)
{
    const struct { int width, height; float zoom, x, y; } rows[] = {
        {600, 800, 1.0f, 4.5f / 2, 3.0f}, {1600, 1200, 1.0f, 4.0f, 3.0f},
        {500, 500, 1.0f, 4.0f, 4.0f},     {600, 800, 2.0f, 4.5f, 6.0f},
        {0, 0, 1.0f, 0.0f, 0.0f},
    };
    for (const auto& row : rows) {
        const PictureScale scale = pictureScale(row.width, row.height, row.zoom);
        EXPECT_FLOAT_EQ(scale.x, row.x) << row.width << " x " << row.height;
        EXPECT_FLOAT_EQ(scale.y, row.y) << row.width << " x " << row.height;
    }
}

TEST(Zoom, StepsByOnePlusThreeDtWithinBounds)
{
    const struct { float zoom; int direction; double dt; float expected; } rows[] = {
        {1.0f, 1, 0.1, 1.3f}, {1.3f, -1, 0.1, 1.0f}, {2.0f, 0, 0.5, 2.0f},
        {1.0f, -1, 10.0, minZoom}, {50.0f, 1, 1.0, maxZoom},   // a long frame
    };
    for (const auto& row : rows)
        EXPECT_FLOAT_EQ(nextZoom(row.zoom, row.direction, row.dt), row.expected) << row.zoom;
}

TEST(PhotoSizeGate, AdmitsCameraPhotosRefusesWhatOverflowsDevil)
{
    const struct { ImageKind kind; bool known; uint32_t width, height; bool fine; } rows[] = {
        {ImageKind::Jpeg, true, 16320, 12240, true},   // 200 MP
        {ImageKind::Png, true, 23170, 23170, true},    // below 2^32 bytes at 8 a pixel
        {ImageKind::Png, true, 23171, 23171, false},
        {ImageKind::Jpeg, true, 65535, 65535, false},
        {ImageKind::Jpeg, true, 0, 480, false},
        {ImageKind::Jpeg, false, 0, 0, false},
        {ImageKind::Other, false, 0, 0, false},
    };
    for (const auto& row : rows) {
        ImageHeader header{row.kind, row.known, row.width, row.height};
        EXPECT_EQ(photoSizeProblem(header).empty(), row.fine) << row.width << " x " << row.height;
    }
}

}  // namespace
