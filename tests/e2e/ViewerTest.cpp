// The viewer as a user meets it: wrong command lines and library files, and
// a walk through a small city driven by real key events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e/Viewer.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

const std::string usage =
    "No Zandervale.xml file was specified for loading the textures.\n"
    "Usage: ./zandervale \"path to Zandervale.xml\"\n";

TEST(CommandLine, NoArgumentPrintsTheUsageLines)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run the end-to-end tests under xvfb-run";
    auto [status, output] = e2e::runToExit({});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(output, usage);
}

TEST(CommandLine, TwoArgumentsPrintTheUsageLines)
{
    auto [status, output] = e2e::runToExit({"a.xml", "b.xml"});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(output, usage);
}

TEST(CommandLine, MissingLibraryFileEndsWithItsMessage)
{
    support::TempDir dir;
    const std::string path = dir.file("Zandervale.xml");
    auto [status, output] = e2e::runToExit({path});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(output, "### ERROR: There was no xml photo library file at " + path + "\n");
}

TEST(CommandLine, ForeignXmlFileEndsWithItsMessage)
{
    support::TempDir dir;
    const std::string path = dir.write("photos.xml", "<?xml version=\"1.0\"?>\n<Gallery/>\n");
    auto [status, output] = e2e::runToExit({path});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(output, "### ERROR: The XML document in " + path +
                          " is empty or not an Zandervale XML file. Please specify the correct "
                          "Zandervale.xml file\n");
}

// A library of magenta pictures: July 2005, all four quarters, so houses
// stand on both sides of the first street the walker looks along.
std::string writeMagentaLibrary(const support::TempDir& dir)
{
    std::string xml = "<?xml version=\"1.0\"?>\n<Zandervale><year val=\"2005\">";
    for (int month = 1; month <= 2; ++month) {
        xml += "<month val=\"" + std::to_string(month) + "\">";
        for (int quarter = 1; quarter <= 4; ++quarter) {
            xml += "<quarter val=\"" + std::to_string(quarter) + "\">";
            for (int i = 0; i < 6; ++i) {
                const std::string name =
                    "m" + std::to_string(month) + "q" + std::to_string(quarter) + "_" + std::to_string(i) + ".png";
                support::writeTwoBandPng(dir.file(name), 64, 48, support::PngFormat::Rgb,
                                         {255, 0, 255, 255}, {200, 0, 200, 255});
                xml += "<picture><texture>" + name + "</texture><originalPicture>" +
                       dir.file(name) + "</originalPicture></picture>";
            }
            xml += "</quarter>";
        }
        xml += "</month>";
    }
    xml += "</year></Zandervale>\n";
    return dir.write("Zandervale.xml", xml);
}

bool magenta(int r, int g, int b) { return r > 60 && b > 60 && g * 2 < r && g * 2 < b; }
bool walkerMarkerRed(int r, int g, int b) { return r > 200 && g < 40 && b < 60; }

TEST(Walk, HousesGrowAndWalkingOverviewMouseLookAndJetMoveTheViewUntilEscape)
{
    support::TempDir dir;
    e2e::Viewer viewer({writeMagentaLibrary(dir)});
    ASSERT_TRUE(viewer.waitForWindow()) << viewer.output();
    e2e::pause(6.0);   // houses grow out of the ground in their first seconds

    const e2e::Screenshot start = viewer.screenshot();
    ASSERT_EQ(start.width, 1024);
    ASSERT_EQ(start.height, 768);
    EXPECT_GT(start.share(0, 0, 1024, 768, magenta), 0.01) << "no photo boxes in view";
    // The ground (grass and street) fills the lower half.
    EXPECT_GT(start.share(0, 500, 1024, 768, [](int r, int g, int b) { return r + g + b > 60; }), 0.9);
    EXPECT_EQ(start.share(0, 40, 120, 170, walkerMarkerRed), 0.0);

    viewer.xdotool("keydown q keydown w sleep 1 keyup w keyup q");   // run 50 units
    e2e::pause(0.3);
    const e2e::Screenshot walked = viewer.screenshot();
    EXPECT_GT(walked.difference(start), 5.0) << "walking did not change the view";

    viewer.xdotool("key Tab");
    e2e::pause(0.5);
    const e2e::Screenshot overview = viewer.screenshot();
    // Seen from the overview camera the walker's marker stands near the
    // top-left corner, where the walking view shows only sky.
    EXPECT_GT(overview.share(0, 40, 120, 170, walkerMarkerRed), 0.01) << "no walker marker";

    viewer.xdotool("key Tab");
    e2e::pause(0.5);
    const e2e::Screenshot back = viewer.screenshot();
    EXPECT_EQ(back.share(0, 40, 120, 170, walkerMarkerRed), 0.0);
    EXPECT_LT(back.difference(walked), overview.difference(walked)) << "Tab did not return to the walk";

    // Mouse look: a pointer move to the right turns the view; the space bar
    // lifts the walker above the houses.
    viewer.xdotool("mousemove_relative -- 150 0");
    e2e::pause(0.5);
    const e2e::Screenshot turned = viewer.screenshot();
    EXPECT_GT(turned.difference(back), 5.0) << "mouse look did not turn the view";
    viewer.xdotool("keydown space sleep 1 keyup space");
    e2e::pause(0.2);
    EXPECT_GT(viewer.screenshot().difference(turned), 5.0) << "the jet did not lift the view";

    viewer.xdotool("key Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
}

} // namespace
