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

TEST(Walk, HousesGrowAndWalkingOverviewMouseLookAndJetMoveTheViewUntilEscape)
{
    support::TempDir dir;
    e2e::Viewer viewer({writeMagentaLibrary(dir)});
    // Houses grow for up to 20 s: the city is ready when the picture holds still for 3 s.
    Screenshot earlier;
    auto since = std::chrono::steady_clock::now();
    const Screenshot start = viewer.waitFor([&](const Screenshot& s) {
        if (std::chrono::steady_clock::now() - since < std::chrono::seconds(3))
            return false;
        const bool still = s.difference(earlier) < 0.5;
        earlier = s, since = std::chrono::steady_clock::now();
        return still && cityInView(s);
    }, 90.0, "grown houses in a still picture");
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

// Going full screen moves the window under the pointer, so mouse look may
// turn the view: look for the compass at the top centre instead of the city.
TEST(Window, FullScreenAndBackGivesTheWindowItsSizeAgain)
{
    support::TempDir dir;
    e2e::Viewer viewer({writeMagentaLibrary(dir)});
    auto shownAt = [](int width, int height) {
        return [=](const Screenshot& s) {
            return s.width == width && s.height == height && s.share(width / 2 - 20, 50, width / 2 + 20, 90, lit) > 0.9;
        };
    };
    viewer.waitFor(shownAt(1024, 768), 30.0, "a 1024 x 768 window");
    viewer.key("F5");
    viewer.waitFor(shownAt(1280, 1024), 30.0, "a window filling the 1280 x 1024 screen");
    viewer.key("F5");
    viewer.waitFor(shownAt(1024, 768), 30.0, "a 1024 x 768 window again");
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

} // namespace
