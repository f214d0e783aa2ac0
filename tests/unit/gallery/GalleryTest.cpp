// The gallery's paging, fading, slideshow, zoom and texture ownership,
// driven frame by frame with a photo loader that needs no files or GL.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "gallery/Gallery.h"
#include "library/MonthQuarter.h"
#include "library/PictureLibrary.h"
#include "support/CaptureStdout.h"
#include "support/TempDir.h"

namespace {

// "missing" is not found and "bad" refused; every other photo decodes.
// Remembers which photo each live texture holds.
class FakeLoader : public PhotoLoader {
public:
    DecodedPhoto decode(const std::string& path) override
    {
        DecodedPhoto photo;
        photo.outcome = path == "missing" ? DecodedPhoto::NotFound
                      : path == "bad"     ? DecodedPhoto::Refused : DecodedPhoto::Decoded;
        photo.reason = "broken";
        lastPath = path;
        return photo;
    }
    TextureName upload(const DecodedPhoto&) override
    {
        live[++lastName] = lastPath;
        return lastName;
    }
    void release(TextureName texture) override { EXPECT_EQ(live.erase(texture), 1u); }
    std::map<TextureName, std::string> live;
    std::string lastPath;
    TextureName lastName = 0;
};

class GalleryFrames : public testing::Test {
protected:
    void open(std::vector<std::string> photos, int picture)
    {
        record.reset(new MonthQuarter(2005, 7, 1, new std::vector<TextureName>(photos.size(), 1),
                                      new std::vector<std::string>(photos)));
        gallery.load(record.get(), picture);
    }
    void open(int photos, int picture)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < photos; ++i)
            paths.push_back("photo" + std::to_string(i));
        open(paths, picture);
    }
    // Frames enough to end a fade and prepare both neighbours.
    void settle()
    {
        for (int i = 0; i < 20; ++i) {
            gallery.advance(0.1);
            ASSERT_LE(loader.live.size(), 4u);
        }
    }
    std::string shown() { return gallery.shownPhoto().empty() ? "" : loader.live[gallery.shownPhoto().texture]; }
    void key(int special) { gallery.specialUp(special, 0, 0); }

    FakeLoader loader;
    Gallery gallery{&loader};
    std::unique_ptr<MonthQuarter> record;
};

TEST_F(GalleryFrames, OpeningFadesInIgnoringArrowsThenShowsLoadingForOneFrame)
{
    open(5, 2);
    EXPECT_EQ(shown(), "photo2");
    EXPECT_EQ(gallery.statusText(), "PAUSED");
    gallery.advance(1.5);
    key(GLUT_KEY_RIGHT);
    EXPECT_TRUE(gallery.isFading());
    EXPECT_FALSE(gallery.showsLoadingNotice());
    gallery.advance(0.071);
    EXPECT_FALSE(gallery.isFading());
    EXPECT_TRUE(gallery.showsLoadingNotice());
    gallery.advance(0.01);
    EXPECT_FALSE(gallery.showsLoadingNotice());
    EXPECT_EQ(gallery.getIndex(), 2);
    EXPECT_EQ(gallery.caption(), "(3\\5) :  photo2");
}

TEST_F(GalleryFrames, StepsForwardWrappingAtTheLastButNotBackFromTheFirst)
{
    open(3, 0);
    settle();
    const struct { int key; std::string shown; } steps[] = {
        {GLUT_KEY_LEFT, "photo0"}, {GLUT_KEY_RIGHT, "photo1"}, {GLUT_KEY_RIGHT, "photo2"},
        {GLUT_KEY_LEFT, "photo1"}, {GLUT_KEY_RIGHT, "photo2"}, {GLUT_KEY_RIGHT, "photo0"},
    };
    for (const auto& step : steps) {
        key(step.key);
        settle();
        EXPECT_EQ(shown(), step.shown);
    }
}

TEST_F(GalleryFrames, SlideshowCountsDownSixToZeroAndAdvancesRightAfterEightSeconds)
{
    open(3, 0);
    gallery.keyboardUp(' ', 0, 0);
    EXPECT_EQ(gallery.statusText(), "");   // running, but fading
    std::string digits;
    int frames = 0;
    while (gallery.getIndex() == 0 && frames < 100) {
        gallery.advance(0.25);
        if (++frames > 6 && (digits.empty() || digits.back() != gallery.statusText().back()))
            digits += gallery.statusText();
    }
    EXPECT_EQ(digits, "6543210");
    EXPECT_EQ(frames, 33);   // clock 8.0 is not past 8; 8.25 is
    gallery.keyboardUp(' ', 0, 0);
    EXPECT_EQ(gallery.statusText(), "PAUSED");   // also while fading
    gallery.advance(100.0);
    EXPECT_EQ(gallery.getIndex(), 1);
    gallery.keyboardUp(' ', 0, 0);
    gallery.advance(0.01);   // the clock kept counting through the pause
    EXPECT_EQ(gallery.getIndex(), 2);
}

TEST_F(GalleryFrames, ZoomFollowsTheHeldArrowAndAStepResetsIt)
{
    open(3, 0);
    settle();
    gallery.special(GLUT_KEY_UP, 0, 0);
    gallery.advance(0.1);
    gallery.advance(0.1);
    EXPECT_FLOAT_EQ(gallery.getZoom(), 1.69f);
    key(GLUT_KEY_RIGHT);
    EXPECT_FLOAT_EQ(gallery.getZoom(), 1.0f);
    gallery.advance(0.1);   // the held arrow zooms on from there
    EXPECT_FLOAT_EQ(gallery.getZoom(), 1.3f);
    key(GLUT_KEY_UP);
    gallery.advance(0.1);
    EXPECT_FLOAT_EQ(gallery.getZoom(), 1.3f);
}

TEST_F(GalleryFrames, AtMostFourTexturesLiveAndNoneLeftBehind)
{
    open(7, 3);
    for (int step = 0; step < 100; ++step) {
        key(step % 3 == 2 ? GLUT_KEY_LEFT : GLUT_KEY_RIGHT);
        settle();
    }
    open(2, 1);
    EXPECT_EQ(loader.live.size(), 1u);
}

TEST_F(GalleryFrames, PhotosThatFailAreReportedOncePerOpening)
{
    const std::string output = support::captureStdout([&] {
        open({"photo0", "missing", "bad"}, 0);
        settle();
        key(GLUT_KEY_RIGHT);
        settle();
        EXPECT_EQ(shown(), "");
        settle();
        open({"missing"}, 0);
    });
    EXPECT_EQ(output, "Error: image missing not found!\nError: image bad cannot be shown: broken\n"
                      "Error: image missing not found!\n");
}

// The second picture's thumbnail is missing and the fourth lists no photo.
TEST_F(GalleryFrames, EnterOpensThePickedPicturesOwnPhoto)
{
    support::TempDir dir;
    std::string xml = "<Zandervale><y val='2005'><m val='7'><q val='1'>";
    for (int i = 1; i <= 4; ++i) {
        if (i != 2)
            dir.write("t" + std::to_string(i) + ".png", "x");
        xml += "<p><texture>t" + std::to_string(i) + ".png</texture>" +
               (i < 4 ? "<originalPicture>photo" + std::to_string(i) + "</originalPicture>" : "") + "</p>";
    }
    std::vector<MonthQuarter*> library;
    support::captureStdout([&] {
        readPictureLibrary(dir.write("Zandervale.xml", xml + "</q></m></y></Zandervale>").c_str(),
                           &library, [](const char*) { return TextureName(7); });
    });
    ASSERT_EQ(library.size(), 1u);
    record.reset(library[0]);
    gallery.load(record.get(), 1);
    EXPECT_EQ(shown(), "photo3");
    EXPECT_EQ(gallery.caption(), "(3\\3) :  photo3");
    EXPECT_EQ(support::captureStdout([&] { gallery.load(record.get(), 2); }),
              "Error: no photo listed for this picture\n");
    EXPECT_EQ(shown(), "");
    key(GLUT_KEY_RIGHT);
    EXPECT_EQ(shown(), "");   // paging starts at the first photo
    settle();
    EXPECT_EQ(shown(), "photo1");
}

}  // namespace
