// The gallery frame by frame with a loader that needs no files or GL, and
// its rules: caption, picture scale, photo size gate.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "gallery/Gallery.h"
#include "gallery/GalleryRules.h"
#include "library/MonthQuarter.h"
#include "support/CaptureStdout.h"

namespace {

// "missing" is not found, "bad" is refused, every other path decodes.
class GalleryFrames : public testing::Test, public PhotoLoader {
protected:
    DecodedPhoto decode(const std::string& path) override
    {
        DecodedPhoto photo;
        photo.outcome = (lastPath = path) == "missing" ? photo.NotFound : path == "bad" ? photo.Refused : photo.Decoded;
        photo.reason = "broken";
        photo.width = 1600, photo.height = 1200;
        return photo;
    }
    TextureName upload(const DecodedPhoto&) override { live[++lastName] = lastPath; return lastName; }
    void release(TextureName texture) override { EXPECT_EQ(live.erase(texture), 1u); }

    void open(std::vector<std::string> photos, int picture = 0, std::vector<int> photoIndices = {})
    {
        record.reset(new MonthQuarter(1, 1, 1, std::vector<TextureName>(photos.size()),
                                      std::vector<std::string>(photos), std::move(photoIndices)));
        gallery.load(record.get(), picture);
    }
    // The photo on screen and what the frame writes over it.
    std::string frame(double dt, int key = 0)
    {
        gallery.specialUp(key, 0, 0), gallery.advance(dt);
        EXPECT_LE(live.size(), 4u);
        const TextureName shown = gallery.shown().shownPhoto().texture;
        return (live.count(shown) ? live[shown] : "-") + (gallery.shown().isFading() ? " fading " : " ") +
               gallery.shown().statusText() + (gallery.shown().showsLoadingNotice() ? " LOADING" : "");
    }
    std::map<TextureName, std::string> live;   // what each texture holds
    std::string lastPath;
    TextureName lastName = 0;
    Gallery gallery{this, [] { return std::make_pair(512, 384); }};
    std::unique_ptr<MonthQuarter> record;
};

TEST_F(GalleryFrames, FadesInOnOpeningThenStepsWrappingForwardButNotBackFromTheFirst)
{
    open({"p0", "p1", "p2", "p3"}, 2);
    const struct { double dt; int key; std::string frame; } frames[] = {
        {1.5, 0, "p2 fading PAUSED"}, {0.071, GLUT_KEY_RIGHT, "p2 PAUSED LOADING"}, {0.1, 0, "p2 PAUSED"},
        {2.0, GLUT_KEY_RIGHT, "p3 PAUSED LOADING"}, {0.1, 0, "p3 PAUSED"}, {2.0, GLUT_KEY_RIGHT, "p0 PAUSED LOADING"},
        {0.1, 0, "p0 PAUSED"}, {2.0, GLUT_KEY_LEFT, "p0 PAUSED"}, {0.1, GLUT_KEY_RIGHT, "p0 fading PAUSED"}};
    for (const auto& row : frames)
        EXPECT_EQ(frame(row.dt, row.key), row.frame);
}

TEST_F(GalleryFrames, SlideshowCountsDownSixToZeroAdvancesRightAfterEightSecondsAndPausesAnyTime)
{
    open({"p0", "p1", "p2"});
    gallery.keyboardUp(' ', 0, 0);
    std::string seen;
    for (int i = 0; i < 33; ++i, seen += gallery.shown().isFading() ? "f" : gallery.shown().statusText())
        frame(0.25);   // the clock at 8.0 is not past 8, at 8.25 it is
    EXPECT_EQ(seen, "ffffff6666555544443333222211110" "0f");
    gallery.keyboardUp(' ', 0, 0);
    EXPECT_EQ(frame(100.0), "p1 PAUSED LOADING");   // paused during the fade
    gallery.keyboardUp(' ', 0, 0);
    EXPECT_EQ(frame(0.01), "p1 fading ");   // the clock counted on through the pause
}

TEST_F(GalleryFrames, HeldArrowsZoomByOnePlusThreeDtWithinBoundsAndAStepResets)
{
    open({"p0", "p1"});
    frame(2.0), gallery.special(GLUT_KEY_UP, 0, 0), frame(0.1);
    EXPECT_FLOAT_EQ(gallery.shown().getZoom(), 1.3f);
    gallery.special(GLUT_KEY_DOWN, 0, 0), frame(0.1);
    EXPECT_FLOAT_EQ(gallery.shown().getZoom(), 1.0f);   // divided by the same factor
    frame(1000.0);   // one long frame
    EXPECT_EQ(gallery.shown().getZoom(), minZoom);
    gallery.special(GLUT_KEY_UP, 0, 0), frame(1000.0);
    EXPECT_EQ(gallery.shown().getZoom(), maxZoom);
    frame(0.1, GLUT_KEY_RIGHT);   // the step resets, the held arrow zooms on from 1
    EXPECT_FLOAT_EQ(gallery.shown().getZoom(), 1.3f);
}

// A zoomed photo follows a left-button drag, its edges never inside the view (8 x 6 units over the
// window's 512 x 384 pixels); zooming out pulls it back, and 0 fits it again.
TEST_F(GalleryFrames, DragPansAZoomedPhotoWithinItsEdgesAndZeroFitsItAgain)
{
    open({"p0"});
    frame(2.0);
    gallery.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 500, 400), gallery.motion(628, 400);
    EXPECT_EQ(gallery.shown().getPan().x, 0.0f);   // at zoom 1 the photo fills the view's width
    gallery.special(GLUT_KEY_UP, 0, 0), gallery.advance(0.5), gallery.specialUp(GLUT_KEY_UP, 0, 0);   // zoom 2.5
    gallery.motion(692, 368);   // 1 unit right, 0.5 up
    EXPECT_FLOAT_EQ(gallery.shown().getPan().x, 1.0f);
    EXPECT_FLOAT_EQ(gallery.shown().getPan().y, 0.5f);
    gallery.motion(5000, 5000);   // far right and down: the left and top edges reach the view's
    EXPECT_FLOAT_EQ(gallery.shown().getPan().x, 6.0f);
    EXPECT_FLOAT_EQ(gallery.shown().getPan().y, -4.5f);
    gallery.mouse(GLUT_LEFT_BUTTON, GLUT_UP, 5000, 5000), gallery.motion(0, 0);
    EXPECT_FLOAT_EQ(gallery.shown().getPan().x, 6.0f);   // no button, no pan
    gallery.special(GLUT_KEY_DOWN, 0, 0), gallery.advance(0.1), gallery.specialUp(GLUT_KEY_DOWN, 0, 0);
    EXPECT_FLOAT_EQ(gallery.shown().getPan().x, 4.0f * gallery.shown().getZoom() - 4.0f);
    gallery.keyboard('0', 0, 0);
    EXPECT_EQ(gallery.shown().getZoom(), 1.0f);
    EXPECT_EQ(gallery.shown().getPan().x, 0.0f);
    EXPECT_EQ(gallery.shown().getPan().y, 0.0f);
}

// The 1600 x 1200 photo fills the 8 x 6 view at the fit; three notches double it.
TEST_F(GalleryFrames, TheWheelZoomsANotchAtATimeAroundThePointerUpToEightTimesTheFit)
{
    open({"p0"});
    frame(2.0);
    const struct { int x, y, button, state; float zoom, panX, panY; } notches[] = {
        {384, 96, 3, GLUT_DOWN, 1.2599f, -0.5198f, -0.3899f}, {384, 96, 3, GLUT_UP, 1.2599f, -0.5198f, -0.3899f},
        {384, 96, 3, GLUT_DOWN, 1.5874f, -1.1748f, -0.8811f}, {384, 96, 3, GLUT_DOWN, 2.0f, -2.0f, -1.5f},
        {0, 0, 4, GLUT_DOWN, 1.5874f, -2.3496f, -0.5717f},   // from the corner: the left edge stops it
        {0, 0, 4, GLUT_DOWN, 1.2599f, -1.0397f, 0.1652f},
        {0, 0, 4, GLUT_DOWN, 1.0f, 0.0f, 0.0f}, {0, 0, 4, GLUT_DOWN, 0.7937f, 0.0f, 0.0f}};
    for (const auto& n : notches) {
        gallery.mouse(n.button, n.state, n.x, n.y);
        EXPECT_NEAR(gallery.shown().getZoom(), n.zoom, 1e-4);
        EXPECT_NEAR(gallery.shown().getPan().x, n.panX, 1e-4);
        EXPECT_NEAR(gallery.shown().getPan().y, n.panY, 1e-4);
    }
    for (int i = 0; i < 40; ++i)
        gallery.mouse(4, GLUT_DOWN, 256, 192);
    EXPECT_EQ(gallery.shown().getZoom(), 0.25f) << "a quarter of the view at the least";
    for (int i = 0; i < 40; ++i)
        gallery.mouse(3, GLUT_DOWN, 256, 192);
    EXPECT_EQ(gallery.shown().getZoom(), 8.0f) << "a texel over 8 pixels of a 1024-pixel window at the most";
}

TEST_F(GalleryFrames, NoTextureLeftBehindAndFailuresReportedOncePerOpening)
{
    open({"p0", "p1", "p2", "p3", "p4"}, 3);
    for (int step = 0; step < 100; ++step)
        frame(0.5, step % 3 == 2 ? GLUT_KEY_LEFT : GLUT_KEY_RIGHT), frame(2.0), frame(0.1), frame(0.1);
    const std::string output = support::captureStdout([&] {
        open({"p0", "missing", "bad"});
        EXPECT_EQ(live.size(), 1u);
        for (int i = 0; i < 20; ++i)
            frame(0.5, i == 5 ? GLUT_KEY_RIGHT : 0);
        EXPECT_EQ(frame(0.1), "- PAUSED");
        open({"missing"});
        open({"p0", "p1"}, 0, std::vector<int>{-1, 0});   // a picture that lists no photo
        EXPECT_EQ(frame(2.0, GLUT_KEY_RIGHT), "p0 PAUSED LOADING");   // paging starts at the first
    });
    EXPECT_EQ(output, "Error: image missing not found!\nError: image bad cannot be shown: broken\n"
                      "Error: image missing not found!\nError: no photo listed for this picture\n");
}

TEST(GalleryRules, CaptionShowsThePathInFontGlyphsEndingBeforeX500)
{
    const std::string path = "/home/anna/Pictures/2005/Holidays in the mountains/IMG_4711.jpg";
    const struct { int k, count; std::string path, caption; } rows[] = {
        {3, 12, "a.jpg", "(3\\12) :  a.jpg"}, {7, 120, "", "(7\\120) :  "}, {1234, 1500, "", "(1234\\1500) :  "},
        {1, 2, "Zo\xC3\xAB/Caf\xC3\xA9\xE6\x97\xA5\xFF\xC0\xAF\t", "(1\\2) :  Zo\xEB/Caf\xE9?????"},
        {1, 2, "\xC5\x81\xC3\xB3" "d\xC5\xBA \xE2\x80\x93 \xE2\x80\x9CLato\xE2\x80\x9D \xC5\xBE\xC5\x91\xC4\xB1", "(1\\2) :  L\xF3" "dz - \"Lato\" zoi"},
        {1, 2, path, "(1\\2) :  ..." + path.substr(21)}, {1, 2, std::string(45, 'x'), "(1\\2) :  " + std::string(45, 'x')}};
    for (const auto& row : rows)
        EXPECT_EQ(galleryCaption(row.k, row.count, row.path), row.caption);
}

TEST(GalleryRules, PortraitPhotosFillTheHeightOthersTheWidth)
{
    const PictureScale portrait = pictureScale(600, 800, 2), landscape = pictureScale(1600, 1200, 1),
                       square = pictureScale(500, 500, 1);
    EXPECT_EQ(std::vector<float>({portrait.x, portrait.y, landscape.x, landscape.y, square.x, square.y}),
              std::vector<float>({4.5f, 6, 4, 3, 4, 4}));
}

}  // namespace
