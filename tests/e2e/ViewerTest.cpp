// The viewer as a user meets it: wrong command lines and library files; with real key and mouse
// events, a walk through a small city, full screen, closing the window, the HUD, and the gallery.
#include <IL/il.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "e2e/Viewer.h"
#include "support/CaptureStdout.h"
#include "support/FakePortal.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

using Shot = const e2e::Screenshot&;

TEST(CommandLine, WrongArgumentsAndLibraryFilesEndWithTheirMessage)
{
    const std::string usage = "No Zandervale.xml file was specified for loading the textures.\n"
                              "Usage: ./zandervale \"path to Zandervale.xml\"\n";
    support::TempDir dir;
    const std::string missing = dir.file("Zandervale.xml"), foreign = dir.write("photos.xml", "<?xml version=\"1.0\"?>\n<Gallery/>\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {{{}, usage}, {{"a.xml", "b.xml"}, usage},
        {{missing}, "### ERROR: There was no xml photo library file at " + missing + "\n"},
        {{foreign}, "### ERROR: The XML document in " + foreign + " is empty or not an Zandervale XML file. "
                    "Please specify the correct Zandervale.xml file\n"}};
    for (const auto& [arguments, message] : cases) {
        e2e::Viewer viewer(arguments);
        EXPECT_EQ(viewer.waitForExit(), 1) << message;
        EXPECT_EQ(viewer.output(), message);
    }
}

enum Hue { magenta = 5, cyan = 6, yellow = 3, white = 7 };   // the strong channels, red = 1

// The strong channels of a colour however it is lit; 0 when one is neither strong nor weak, or it is dark.
int hueOf(int r, int g, int b)
{
    const int high = std::max({r, g, b});
    const auto strong = [high](int c) { return c * 5 > high * 3; };
    const auto clear = [&](int c) { return strong(c) || c * 4 < high; };
    return high > 80 && clear(r) && clear(g) && clear(b) ? strong(r) | strong(g) << 1 | strong(b) << 2 : 0;
}

auto isHue(int hue) { return [hue](int r, int g, int b) { return hueOf(r, g, b) == hue; }; }
bool lit(int r, int g, int b) { return r + g + b > 60; }
// The overview frames the city, the walker's marker near its left end; the walking view has no such red
// in the window's left half below the compass.
double marker(Shot s) { return s.share(0, 140, s.width / 2, s.height - 40, [](int r, int g, int b) { return r > 200 && g < 40 && b < 60; }); }

// 100,000 pictures of one tiny thumbnail keep the progress screen up for seconds, long enough for
// Escape to arrive while the library loads.
TEST(Loading, EscapeQuitsWhileTheProgressShows)
{
    support::TempDir dir;
    ASSERT_TRUE(support::writeWithDevil(dir.file("t.png"), IL_PNG, 8, 6, [](int, int) { return support::green; }));
    std::string xml = "<Zandervale>";
    for (int year = 1998; year <= 2010; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int quarter = 1; quarter <= 4; ++quarter) {
                xml += "<year val=\"" + std::to_string(year) + "\"><month val=\"" + std::to_string(month) +
                       "\"><quarter val=\"" + std::to_string(quarter) + "\">";
                for (int i = 0; i < 160; ++i)
                    xml += "<picture><texture>t.png</texture></picture>";
                xml += "</quarter></month></year>";
            }
    e2e::Viewer viewer({dir.write("Zandervale.xml", xml + "</Zandervale>")});
    viewer.waitFor("the progress bar on black", [](Shot s) {
        const auto grey = [](int r, int g, int b) { return r > 150 && r == g && g == b; };
        return s.share(0, 0, s.width, s.height / 3, lit) == 0 && s.share(s.width / 2 - 210, s.height / 2 - 30, s.width / 2 + 210, s.height / 2 + 30, grey) > 0.005;
    });
    viewer.xdotool("key Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
}

// A quarter's house of six pictures of one texture.
std::string house(int year, int month, int quarter, const std::string& texture)
{
    std::string pictures;
    for (int i = 0; i < 6; ++i)
        pictures += "<p><texture>" + texture + "</texture></p>";
    return "<y val='" + std::to_string(year) + "'><m val='" + std::to_string(month) + "'><q val='" +
           std::to_string(quarter) + "'>" + pictures + "</q></m></y>";
}

e2e::Screenshot waitForChange(e2e::Viewer& viewer, Shot from, const std::string& what, double by = 5.0, int left = 0,
                         int top = 0, int right = 1 << 16, int bottom = 1 << 16)
{
    return viewer.waitFor(what, [&](Shot s) { return s.difference(from, left, top, right, bottom) > by; });
}

// Magenta pictures in all quarters of January and February 2005, so houses stand on both sides of the
// street the walker looks along; one is missing. The city is ready when photo boxes show, the ground
// fills the lower third, and the picture holds still for 3 s (houses grow for up to 20 s).
class City : public testing::Test {
protected:
    support::TempDir dir;
    e2e::Viewer viewer{{library(dir)}};
    const e2e::Screenshot start = grown();
    const std::string discarded = "Discarded an image: " + dir.file("gone.png") + "\n";

    static std::string library(const support::TempDir& dir)
    {
        support::writeTwoBandPng(dir.file("m.png"), 64, 48, support::PngFormat::Rgb, {255, 0, 255, 255}, {200, 0, 200, 255});
        std::string houses;
        for (int quarter = 0; quarter < 8; ++quarter)
            houses += house(2005, 1 + quarter / 4, 1 + quarter % 4, "m.png");
        return dir.write("Zandervale.xml", "<Zandervale>" + houses +
                         "<y val='2005'><m val='3'><q val='1'><p><texture>gone.png</texture></p></q></m></y></Zandervale>");
    }
    e2e::Screenshot grown()
    {
        e2e::Screenshot earlier;
        auto since = std::chrono::steady_clock::now();
        return viewer.waitFor("grown houses in a still picture", [&](Shot s) {
            if (std::chrono::steady_clock::now() - since < std::chrono::seconds(3))
                return false;
            const bool still = s.difference(earlier) < 0.5;
            earlier = s, since = std::chrono::steady_clock::now();
            return still && s.share(0, 0, s.width, s.height, isHue(magenta)) > 0.01 &&
                   s.share(0, s.height * 2 / 3, s.width, s.height, lit) > 0.9;
        }, 90.0);
    }
};

// With mouse look on and no window manager, which resizes the window at once: full screen fills the
// screen to its bottom-right corner; leaving it brings back the same picture at 1024 x 768, unturned,
// but for the strips left of and above the screen, where the window now starts. Closing it ends the viewer.
TEST_F(City, FullScreenAndBackGivesTheSamePictureAt1024x768AgainAndClosingItEndsTheViewer)
{
    const auto before = start;
    viewer.xdotool("key F5");
    viewer.waitFor("the picture filling the 1280 x 1024 screen",
                   [](Shot s) { return s.width == 1280 && s.share(1100, 900, 1270, 1014, lit) > 0.9; });
    viewer.xdotool("key F5");
    viewer.waitFor("the same picture again", [&](Shot s) { return s.difference(before, 10, 10) < 2.0; });
    viewer.closeWindow();
    EXPECT_EQ(viewer.waitForExit(), 0);
    EXPECT_EQ(viewer.output(), discarded);
}

// Clicks the centre of some square patch (2 radius + 1 wide) for which test holds everywhere,
// outside the corners the heads-up display covers; false if none.
template <typename Test> bool clickPatch(const e2e::Viewer& viewer, Shot s, Test test, int radius = 5)
{
    for (int y = 20 + radius; y < s.height - 120; y += 6)   // the patch stays inside the picture
        for (int x = 150; x < s.width - 280; x += 6)
            if (s.share(x - radius, y - radius, x + radius + 1, y + radius + 1, test) == 1.0)
                return viewer.click(x, y), true;
    return false;
}

// Clicks aim where grown boxes stay: walking, with the pointer freed by the right button, a box shows
// its preview; from above, where the walker's marker shows, empty ground clears and a house selects.
// Back to walking, mouse look turns the view and the compass, H shows help, the jet lifts the view;
// Escape closes the help panel first and quits only the next time.
TEST_F(City, WalkClickOverviewMouseLookHelpAndJetUntilEscape)
{
    ASSERT_EQ(start.width, 1024);
    viewer.xdotool("mousedown 3");
    ASSERT_TRUE(clickPatch(viewer, start, isHue(magenta))) << "no photo box to aim at";
    viewer.waitFor("the picked picture's preview", [](Shot s) { return s.preview(isHue(magenta)) > 0.8; });
    viewer.xdotool("mouseup 3 keydown q keydown w");   // run
    waitForChange(viewer, start, "a view changed by walking");
    viewer.xdotool("keyup w keyup q key Tab");
    const auto above = viewer.waitFor("the marker", [](Shot s) { return marker(s) > 0.0005; });
    // Far from every house: the selected one pulses larger than any one screenshot shows.
    const auto ground = [](int r, int g, int b) { return lit(r, g, b) && hueOf(r, g, b) != magenta && r < g + 40; };
    ASSERT_TRUE(clickPatch(viewer, above, ground, 40)) << "no empty ground in the overview";
    // Aimed at what shows now: the house that was selected has stopped pulsing.
    const auto cleared = viewer.waitFor("the panel gone", [](Shot s) { return s.preview(isHue(magenta)) < 0.05; });
    ASSERT_TRUE(clickPatch(viewer, cleared, isHue(magenta))) << "no house seen from above";
    viewer.waitFor("the preview from above", [](Shot s) { return s.preview(isHue(magenta)) > 0.8; });
    viewer.xdotool("key Tab");
    // The walker may have gone on a little after the view first changed, so
    // the walking view is told from the overview, not matched to that view.
    const auto back = viewer.waitFor("the walking view again", [&](Shot s) {
        return marker(s) == 0.0 && s.difference(above) > 5.0;
    });
    viewer.xdotool("mousemove_relative -- 200 0");
    waitForChange(viewer, back, "a view turned by mouse look");
    const auto turned = waitForChange(viewer, back, "a turned compass", 10.0, 448, 6, 576, 134);
    viewer.xdotool("key h");   // the help panel over the middle of the window
    const auto help = waitForChange(viewer, turned, "the help panel", 20.0, 312, 184, 712, 584);
    viewer.xdotool("keydown space");
    const auto lifted = waitForChange(viewer, help, "a view lifted by the jet");
    viewer.xdotool("keyup space key Escape");   // the first closes the help panel, the viewer runs on
    viewer.waitFor("the help panel closed", [&](Shot s) { return s.difference(lifted, 312, 184, 712, 584) > 20.0; });
    viewer.xdotool("key Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
    EXPECT_EQ(viewer.output(), discarded);
}

// A user picks a box from the overview camera, opens its photo with Enter, steps left and right,
// starts the slideshow and goes back to the city.
const Hue photos[] = {yellow, magenta, cyan, white};   // the first one has no thumbnail
constexpr unsigned char on = 255, off = 0;
bool shows(Shot s, int photo) { return s.share(500, 100, 524, 700, isHue(photos[photo])) > 0.99; }

TEST(Gallery, OpenThePickedPhotoStepStartTheSlideshowAndGoBackToTheCity)
{
    support::TempDir dir;
    std::string xml = "<Zandervale><y val='2005'><m val='7'><q val='1'>";
    for (int i = 0; i < 4; ++i) {   // portrait photos leave the top-left corner black
        const std::string name = dir.file(std::to_string(i));
        const support::Colour c{photos[i] & 1 ? on : off, photos[i] & 2 ? on : off, photos[i] & 4 ? on : off, on};
        if (i > 0)
            support::writeWithDevil(name + ".png", IL_PNG, 32, 24, [c](int, int) { return c; });
        support::writeWithDevil(name + ".jpg", IL_JPG, 60, 80, [c](int, int) { return c; });
        xml += "<p><texture>" + std::to_string(i) + ".png</texture><originalPicture>" + name + ".jpg</originalPicture></p>";
    }
    e2e::Viewer viewer({dir.write("Zandervale.xml", xml + "</q></m></y></Zandervale>")});
    // Keys reach the city once it is built: the ground under it, not the loading screen.
    viewer.waitFor("the city", [](Shot s) { return s.share(0, s.height * 2 / 3, s.width, s.height, lit) > 0.9; });
    viewer.xdotool("key Tab");   // from above, the pointer picks
    int picked = 0;   // the picture whose thumbnail the selection panel shows, bottom right
    viewer.waitFor("a picture picked from above", [&](Shot s) {
        for (picked = 1; picked < 4; ++picked)
            if (s.preview(isHue(photos[picked])) > 0.8)
                return true;
        for (int i = 0; i < s.width * s.height; ++i)   // none yet: click a magenta or cyan box
            if (const int hue = hueOf(s.rgb[i * 3], s.rgb[i * 3 + 1], s.rgb[i * 3 + 2]); hue == magenta || hue == cyan)
                return viewer.click(i % s.width, i / s.width), false;
        return false;
    }, 60.0);
    ASSERT_LT(picked, 4);
    viewer.xdotool("key Return");   // the photo fills the middle of the window
    viewer.waitFor("the picked photo", [&](Shot s) { return shows(s, picked); });
    for (const int photo : {picked - 1, picked})   // arrows count once the opening fade is over
        viewer.waitFor("the previous photo, then the picked one again", [&](Shot s) {
            return shows(s, photo) || (viewer.xdotool(photo == picked ? "key Right" : "key Left"), false);
        });
    viewer.xdotool("key space");   // the slideshow moves on within 8 s
    const int next = (picked + 1) % 4;
    viewer.waitFor("the slideshow", [&](Shot s) { return shows(s, next); });
    viewer.xdotool("key Escape");
    viewer.waitFor("the city", [&](Shot s) { return !shows(s, next); });
    viewer.xdotool("key Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
}

// The launcher checks what it is given before the viewer starts and says what to do, with status 2; a folder
// holding a library opens that library.
TEST(Installed, LauncherSaysWhatToDoWithWhatIsNoLibraryAndOpensALibraryFolder)
{
    support::TempDir dir;
    ASSERT_EQ(mkdir(dir.file("lib").c_str(), 0755) + mkdir(dir.file("photos").c_str(), 0755), 0);
    support::writeTwoBandPng(dir.file("lib/m.png"), 64, 48, support::PngFormat::Rgb, {255, 0, 255, 255}, {200, 0, 200, 255});
    dir.write("lib/Zandervale.xml", "<Zandervale>" + house(2005, 1, 1, "m.png") + "</Zandervale>");
    const std::string photo = dir.file("photos/p.xml");   // a photo by its bytes, whatever its name
    ASSERT_TRUE(support::writeWithDevil(dir.file("photos/p.jpg"), IL_JPG, 8, 8, [](int, int) { return support::red; }));
    ASSERT_EQ(std::rename(dir.file("photos/p.jpg").c_str(), photo.c_str()), 0);
    const std::string install = "cmake --install " ZV_BUILD_DIR " --prefix " + dir.file("usr") + " >/dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0) << install;
    const std::string launcher = dir.file("usr/bin/zandervale");
    const struct { std::string argument, message; } cases[] = {
        {"photos", "zandervale: photos holds no library (Zandervale.xml); make one of its photos with: zandervale-index photos"},
        {photo, "zandervale: " + photo + " is a photo, not a library; make a library of its folder with: zandervale-index " + dir.file("photos")},
        {"gone.xml", "zandervale: there is no file gone.xml"},
        {"notes.txt", "zandervale: notes.txt is not a photo library (Zandervale.xml); make one of your photos with: zandervale-index PHOTO_DIR"},
        {"photos/x.HEIC", "zandervale: photos/x.HEIC is a photo, not a library; make a library of its folder with: zandervale-index photos"},
        {"lib photos", "zandervale: one library at a time, 2 arguments given; see zandervale --help"},
        {"--fast", "zandervale: unknown option --fast; see zandervale --help"},
        {"lib", "zandervale needs a graphical display (DISPLAY or WAYLAND_DISPLAY is not set)"},
    };
    dir.write("notes.txt", "<p>A Zandervale library lists <Zandervale> elements.</p>\n");
    dir.write("photos/x.HEIC", std::string("\0\0\0\x18" "ftypheic", 12) + std::string(20, '\0'));
    for (const auto& c : cases) {
        const auto [status, output] = support::commandOutput("cd " + dir.path() + " && env -u DISPLAY -u WAYLAND_DISPLAY " + launcher + " " + c.argument);
        EXPECT_EQ(status, 2) << c.argument;
        EXPECT_EQ(output, c.message + "\n");
    }
    EXPECT_EQ(std::system((launcher + " --version | grep -qx 'zandervale [0-9.]*'").c_str()), 0);
    e2e::Viewer viewer({"lib"}, launcher, dir.path());
    viewer.waitFor("houses of the library in the folder", [](Shot s) { return s.share(0, 0, s.width, s.height, isHue(magenta)) > 0.01; }, 90.0);
    viewer.xdotool("key Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
}

// Photos dated by their file time: count of them a quarter from day 3 of month on, in 2019, in one colour.
void writeDatedPhotos(const std::string& folder, int month, int count, support::Colour colour)
{
    for (int i = 0; i < count; ++i) {
        const std::string photo = folder + "/" + std::to_string(month) + "-" + std::to_string(i) + ".jpg";
        const unsigned char shade = static_cast<unsigned char>(255 - 3 * i);   // no two alike: copies show once
        ASSERT_TRUE(support::writeWithDevil(photo, IL_JPG, 64, 48, [&](int, int) {
            return support::Colour{std::min(colour.r, shade), std::min(colour.g, shade), std::min(colour.b, shade), 255};
        }));
        std::tm taken{};
        taken.tm_year = 2019 - 1900, taken.tm_mon = month - 1, taken.tm_mday = 3 + 7 * (i % 4), taken.tm_hour = 12;
        taken.tm_isdst = -1;
        const utimbuf times{std::mktime(&taken), std::mktime(&taken)};
        ASSERT_EQ(utime(photo.c_str(), &times), 0);
    }
}

// A person who never opens a terminal: the program installed, started from its desktop entry (standard error
// no terminal) with no library yet. The window says what the program does and offers to choose the photo
// folder; the desktop's chooser (a portal on a private session bus) answers, the indexer's count shows, then
// the city. Photos added later and the folders indexed again grow new houses in the open viewer.
TEST(Installed, FromTheDesktopWithoutALibraryAChosenFolderBecomesACityThatGrows)
{
    support::TempDir dir;
    const std::string install = "cmake --install " ZV_BUILD_DIR " --prefix " + dir.file("usr") + " >/dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0) << install;
    const auto read = [&](const std::string& path) {
        std::ifstream in(dir.file("usr/share/" + path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (const char* icon : {"48x48/apps/zandervale.png", "256x256/apps/zandervale.png", "scalable/apps/zandervale.svg"})
        EXPECT_GT(read(std::string("icons/hicolor/") + icon).size(), 100u) << icon;
    EXPECT_NE(read("mime/packages/zandervale.xml").find("type=\"application/x-zandervale-library\""), std::string::npos);
    EXPECT_NE(read("mime/packages/zandervale.xml").find("<glob pattern=\"Zandervale.xml\""), std::string::npos);
    const std::string entry = read("applications/zandervale.desktop");
    EXPECT_NE(entry.find("\nIcon=zandervale\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nMimeType=application/x-zandervale-library;\n"), std::string::npos) << entry;
    ASSERT_EQ(mkdir(dir.file("photos").c_str(), 0755), 0);
    writeDatedPhotos(dir.file("photos"), 1, 12, support::Colour{255, 0, 255, 255});
    support::PrivateSessionBus bus;
    ASSERT_TRUE(bus.running());
    support::FakePortal portal(bus, dir.file("photos"));
    setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);   // no library in the default place
    e2e::Viewer viewer({"-c", "exec " + dir.file("usr/bin/zandervale") + " 2>/dev/null"}, "/bin/sh", dir.path());
    unsetenv("XDG_DATA_HOME");
    const auto button = [](Shot s) {
        return s.share(s.width / 2 - 150, s.height / 2 + 55, s.width / 2 + 150, s.height / 2 + 85, [](int r, int g, int b) {
            return r < 80 && g > 100 && g < 150 && b > 200;
        });
    };
    viewer.waitFor("the offer to choose the photo folder", [&](Shot s) { return button(s) > 0.5; });
    // A taskbar matches the window to the entry by its class and shows the icon the window carries.
    EXPECT_NE(entry.find("\nStartupWMClass=" + viewer.windowClass() + "\n"), std::string::npos) << entry;
    EXPECT_EQ(viewer.windowClass(), "Zandervale");
    EXPECT_EQ(viewer.iconWidth(), 48);
    viewer.xdotool("key c");
    viewer.waitFor("the houses of the chosen folder", [&](Shot s) {
        return button(s) < 0.1 && s.share(0, 0, s.width, s.height, isHue(magenta)) > 0.01;
    }, 90.0);
    EXPECT_EQ(portal.requests(), 1);
    EXPECT_TRUE(portal.directoryAsked());
    writeDatedPhotos(dir.file("photos"), 2, 12, support::Colour{0, 255, 255, 255});
    const std::string again = dir.file("usr/bin/zandervale-index") + " --output " + dir.file("data/zandervale/library") +
                              " >/dev/null 2>&1";
    ASSERT_EQ(std::system(again.c_str()), 0) << again;
    viewer.xdotool("key Tab");   // February stands behind the title sign: the overview shows the row
    viewer.waitFor("the new houses beside the old", [](Shot s) {
        // Seen from above, a quarter's house covers some 0.05 % of the window.
        return s.share(0, 0, s.width, s.height, isHue(cyan)) > 0.0005 && s.share(0, 0, s.width, s.height, isHue(magenta)) > 0.0005;
    }, 60.0);
    viewer.xdotool("key Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
}

} // namespace
