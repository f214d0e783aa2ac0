// The viewer as a user meets it: wrong command lines and library files, a
// walk through a small city driven by real key events, full screen and
// closing the window.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "e2e/Viewer.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

using e2e::Screenshot;

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

// Magenta pictures in all quarters of January and February 2005, so houses
// stand on both sides of the street the walker looks along; one is missing.
std::string writeMagentaLibrary(const support::TempDir& dir)
{
    support::writeTwoBandPng(dir.file("m.png"), 64, 48, support::PngFormat::Rgb, {255, 0, 255, 255}, {200, 0, 200, 255});
    std::string pictures, quarters;
    for (int i = 0; i < 6; ++i)
        pictures += "<picture><texture>m.png</texture></picture>";
    for (int quarter = 1; quarter <= 4; ++quarter)
        quarters += "<quarter val=\"" + std::to_string(quarter) + "\">" + pictures + "</quarter>";
    return dir.write("Zandervale.xml", "<?xml version=\"1.0\"?>\n<Zandervale><year val=\"2005\"><month val=\"1\">" +
                                           quarters + "</month><month val=\"2\">" + quarters +
                                           "</month><month val=\"3\"><quarter val=\"1\"><picture><texture>gone.png"
                                           "</texture></picture></quarter></month></year></Zandervale>\n");
}

bool magenta(int r, int g, int b) { return r > 60 && b > 60 && g * 2 < r && g * 2 < b; }
bool lit(int r, int g, int b) { return r + g + b > 60; }
// The overview shows the walker's marker near the top-left corner, where the walking view has only sky.
double marker(const Screenshot& s) { return s.share(0, 40, 120, 170, [](int r, int g, int b) { return r > 200 && g < 40 && b < 60; }); }
bool cityInView(const Screenshot& s)   // photo boxes, and the ground across the lower third
{
    return s.share(0, 0, s.width, s.height, magenta) > 0.01 && s.share(0, s.height * 2 / 3, s.width, s.height, lit) > 0.9;
}

Screenshot waitForChange(e2e::Viewer& viewer, const Screenshot& from, const std::string& what)
{
    return viewer.waitFor([&](const Screenshot& s) { return s.difference(from) > 5.0; }, 30.0, what);
}

// Houses grow for up to 20 s: the city is ready when the picture holds still for 3 s.
Screenshot waitForGrownCity(e2e::Viewer& viewer)
{
    Screenshot earlier;
    auto since = std::chrono::steady_clock::now();
    return viewer.waitFor([&](const Screenshot& s) {
        if (std::chrono::steady_clock::now() - since < std::chrono::seconds(3))
            return false;
        const bool still = s.difference(earlier) < 0.5;
        earlier = s, since = std::chrono::steady_clock::now();
        return still && cityInView(s);
    }, 90.0, "grown houses in a still picture");
}

TEST(Walk, HousesGrowAndWalkingOverviewMouseLookAndJetMoveTheViewUntilEscape)
{
    support::TempDir dir;
    e2e::Viewer viewer({writeMagentaLibrary(dir)});
    const Screenshot start = waitForGrownCity(viewer);
    ASSERT_EQ(start.width, 1024);
    EXPECT_EQ(marker(start), 0.0);

    viewer.xdotool("keydown q keydown w");   // run
    const Screenshot walked = waitForChange(viewer, start, "a view changed by walking");
    viewer.xdotool("keyup w keyup q");
    viewer.key("Tab");
    const Screenshot overview = viewer.waitFor([](const Screenshot& s) { return marker(s) > 0.01; }, 30.0, "the marker");
    viewer.key("Tab");
    const Screenshot back = viewer.waitFor([&](const Screenshot& s) {
        return marker(s) == 0.0 && s.difference(walked) < overview.difference(walked);
    }, 30.0, "the walking view again");
    // Mouse look: a pointer move to the right turns the view; the jet lifts it.
    viewer.xdotool("mousemove_relative -- 150 0");
    const Screenshot turned = waitForChange(viewer, back, "a view turned by mouse look");
    viewer.xdotool("keydown space");
    waitForChange(viewer, turned, "a view lifted by the jet");
    viewer.xdotool("keyup space");
    viewer.key("Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
    EXPECT_EQ(viewer.output(), "Discarded an image: " + dir.file("gone.png") + "\n");
}

// Mouse look off (F4), so that the window moving under the pointer does not
// turn the view: full screen fills the screen up to its bottom-right corner,
// and leaving it brings back the same picture at 1024 x 768 (but for the
// strips left of and above the screen, where the window now starts).
TEST(Window, FullScreenAndBackGivesTheSamePictureAt1024x768Again)
{
    support::TempDir dir;
    e2e::Viewer viewer({writeMagentaLibrary(dir)});
    waitForGrownCity(viewer);
    viewer.key("F4");
    viewer.waitFor([](const Screenshot& s) {
        return s.share(511, 376, 513, 392, [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; }) == 0.0;
    }, 30.0, "the crosshair gone");
    const Screenshot before = waitForGrownCity(viewer);   // still, should a slow frame have hidden growth
    viewer.key("F5");
    viewer.waitFor([](const Screenshot& s) { return s.width == 1280 && s.share(1100, 900, 1270, 1014, lit) > 0.9; }, 30.0,
                   "the picture filling the 1280 x 1024 screen");
    viewer.key("F5");
    viewer.waitFor([&](const Screenshot& s) { return s.difference(before, 10, 10) < 2.0; }, 30.0, "the same picture again");
    viewer.key("Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
}

TEST(Window, ClosingItEndsTheViewerWithStatusZeroAndItsMessagesKept)
{
    support::TempDir dir;
    e2e::Viewer viewer({writeMagentaLibrary(dir)});
    viewer.waitFor(cityInView, 30.0, "the city");
    viewer.closeWindow();
    EXPECT_EQ(viewer.waitForExit(), 0);
    EXPECT_EQ(viewer.output(), "Discarded an image: " + dir.file("gone.png") + "\n");
}

// The centre of some square patch (2 radius + 1 wide) for which test holds
// everywhere, outside the corners the heads-up display covers; (-1, -1)
// when there is none.
template <typename Test> std::pair<int, int> findPatch(const Screenshot& s, Test test, int radius = 5)
{
    for (int y = 20; y < s.height - 120; y += 6)
        for (int x = 150; x < s.width - 280; x += 6)
            if (s.share(x - radius, y - radius, x + radius + 1, y + radius + 1, test) == 1.0)
                return {x, y};
    return {-1, -1};
}

// The selection panel's preview of the picked picture, bottom right.
double preview(const Screenshot& s) { return s.share(s.width - 184, s.height - 98, s.width - 72, s.height - 18, magenta); }

TEST(HeadsUpDisplay, ClicksSelectWhereTheUserAimsWalkingAndFromAboveAndTheCompassTurns)
{
    support::TempDir dir;
    e2e::Viewer viewer({writeMagentaLibrary(dir)});
    const Screenshot city = waitForGrownCity(viewer);   // aim where boxes stay
    // Walking with the pointer freed by the right button.
    viewer.xdotool("mousedown 3");
    const auto [x, y] = findPatch(city, magenta);
    ASSERT_GE(x, 0) << "no photo box to aim at";
    viewer.click(x, y);
    viewer.waitFor([](const Screenshot& s) { return preview(s) > 0.8; }, 30.0, "the picked picture's preview");
    viewer.xdotool("mouseup 3");

    // From above the pointer aims: empty ground clears, a house selects.
    viewer.key("Tab");
    const Screenshot above = viewer.waitFor([](const Screenshot& s) { return marker(s) > 0.01; }, 30.0, "the overview");
    // Far from every house: the selected one pulses larger than any one screenshot shows.
    const auto ground = findPatch(above, [](int r, int g, int b) { return lit(r, g, b) && !magenta(r, g, b) && r < g + 40; }, 40);
    ASSERT_GE(ground.first, 0) << "no empty ground in the overview";
    viewer.click(ground.first, ground.second);
    viewer.waitFor([](const Screenshot& s) { return preview(s) < 0.05; }, 30.0, "the panel gone");
    const auto house = findPatch(above, magenta);
    ASSERT_GE(house.first, 0) << "no house seen from above";
    viewer.click(house.first, house.second);
    viewer.waitFor([](const Screenshot& s) { return preview(s) > 0.8; }, 30.0, "the preview from above");

    // Back to walking: the compass at the top centre turns with the view.
    viewer.key("Tab");
    const Screenshot walking = viewer.waitFor([](const Screenshot& s) { return marker(s) == 0.0; }, 30.0, "walking");
    auto part = [](const Screenshot& s, int left, int top, int size) {
        Screenshot square;
        square.width = square.height = size;
        for (int y = top; y < top + size; ++y)
            square.rgb.insert(square.rgb.end(), &s.rgb[(y * s.width + left) * 3], &s.rgb[(y * s.width + left + size) * 3]);
        return square;
    };
    viewer.xdotool("mousemove_relative -- 200 0");
    const Screenshot turned = viewer.waitFor([&](const Screenshot& s) {
        return part(s, 448, 6, 128).difference(part(walking, 448, 6, 128)) > 10.0;
    }, 30.0, "a turned compass");
    viewer.key("h");   // the help panel over the middle of the window
    viewer.waitFor([&](const Screenshot& s) { return part(s, 312, 184, 400).difference(part(turned, 312, 184, 400)) > 20.0; },
                   30.0, "the help panel");
    viewer.key("Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
}

} // namespace
