// zv-demo-tour: make demo's tour of the sample city without a display. The
// end-to-end harness starts the viewer on an X server of its own and drives
// it with real key and mouse events: walk into the city, turn to a house,
// select it, open its photos, step once, leave, look from above. Saves a
// screenshot of each stage in the build folder and prints their paths;
// fails with the harness's message when a stage does not come.
#include <IL/il.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/Viewer.h"
#include "support/ImageFiles.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Region { int left, top, right, bottom; };
const Region whole{0, 0, 1 << 16, 1 << 16}, panel{775, 520, 1015, 630}, photoNumber{12, 747, 22, 763};

bool failed() { return testing::UnitTest::GetInstance()->Failed(); }

class Tour {
public:
    e2e::Viewer viewer{{ZV_BUILD_DIR "/sample-library/Zandervale.xml"}};
    std::vector<std::string> shots;

    // The first of two screenshots a second apart that match: growing
    // houses, a fading photo and walking all move the picture.
    void still(const char* what, double seconds)
    {
        if (failed())
            return;
        e2e::Screenshot earlier;
        Clock::time_point taken;
        save(viewer.waitFor(std::string("a still picture: ") + what, [&](const e2e::Screenshot& shot) {
            if (Clock::now() - taken < std::chrono::seconds(1))
                return false;
            const bool same = !earlier.rgb.empty() && shot.difference(earlier) <= 0.003 * 255;
            earlier = shot;
            taken = Clock::now();
            return same;
        }, seconds));
    }
    // The first screenshot whose region differs from the last stage's by
    // more than share of full scale; again, if given, is sent every 2 s
    // while none does.
    void changed(const char* what, Region region, double share, double seconds, const std::string& again = "")
    {
        if (failed())
            return;
        const e2e::Screenshot before = last;
        Clock::time_point sent = Clock::now();
        save(viewer.waitFor(what, [&](const e2e::Screenshot& shot) {
            if (shot.difference(before, region.left, region.top, region.right, region.bottom) > share * 255)
                return true;
            if (!again.empty() && Clock::now() - sent >= std::chrono::seconds(2))
                viewer.xdotool(again), sent = Clock::now();
            return false;
        }, seconds));
    }
    // Names the next stage's screenshot; the waits above keep its latest.
    void stage(const char* name)
    {
        shots.push_back(ZV_BUILD_DIR "/demo-" + std::to_string(shots.size() + 1) + "-" + name + ".png");
    }

private:
    void save(const e2e::Screenshot& shot)
    {
        last = shot;
        if (!failed())   // a stage that did not come leaves no picture
            support::writeWithDevil(shots.back(), IL_PNG, shot.width, shot.height, [&](int x, int y) {
                const unsigned char* p = &shot.rgb[(static_cast<size_t>(y) * shot.width + x) * 3];
                return support::Colour{p[0], p[1], p[2], 255};
            });
    }
    e2e::Screenshot last;
};

void say(const char* line)
{
    if (!failed())
        std::fprintf(stderr, "demo: %s\n", line);
}

void tour(Tour& t)
{
    say("waiting for the houses to grow...");
    t.stage("start"), t.still("the grown city", 90);
    // The walker stands at the west end of the first year's street, looking
    // east. Running (Q, 50 units a second) for 5.7 s brings it to x = 210,
    // past the houses of January and February 2008.
    say("walking into the city...");
    t.viewer.xdotool("keydown q keydown w sleep 5.7 keyup w keyup q");
    t.stage("walked"), t.still("the walk's end", 30);
    // Mouse look turns 0.6 degrees a pixel: 45 degrees right faces the house
    // of March 2008's second quarter (20 photos), 42 units away.
    t.viewer.xdotool("mousemove_relative -- 75 0");
    t.stage("house"), t.still("the house ahead", 30);
    // The click picks the box under the crosshair; the panel at the bottom
    // right names its house. Should the walk have ended elsewhere and the aim
    // miss, turn right 3 degrees at a time and click again.
    t.viewer.xdotool("click 1");
    t.stage("selected"), t.changed("the selection panel", panel, 0.03, 40, "mousemove_relative -- 5 0 click 1");
    // Enter opens the house's photos; the first one fades in for 1.6 s.
    t.viewer.xdotool("key Return");
    t.stage("gallery"), t.changed("the gallery", whole, 0.1, 20), t.still("the first photo", 20);
    // Arrows count once the fade is over: press Right until the number changes.
    t.viewer.xdotool("key Right");
    t.stage("next-photo"), t.changed("the next photo's number", photoNumber, 0.03, 20, "key Right");
    t.still("the next photo", 20);
    // Escape goes back to the city, the selected house pulsing.
    t.viewer.xdotool("key Escape");
    t.stage("back"), t.changed("the city again", whole, 0.1, 20);
    // Tab lifts the camera high above the city.
    t.viewer.xdotool("key Tab");
    t.stage("overview"), t.changed("the overview", whole, 0.1, 20), t.still("the city from above", 30);
    // Tab back to the walker, then Escape ends the viewer.
    t.viewer.xdotool("key Tab key Escape");
    if (!failed()) {
        EXPECT_EQ(t.viewer.waitForExit(), 0) << "the viewer's status after Escape; its output:\n" << t.viewer.output();
    }
}

}  // namespace

int main()
{
    // The harness reports on standard output: keep that for the paths.
    const int out = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    std::vector<std::string> shots;
    {
        Tour t;
        tour(t);
        shots = t.shots;
        std::ofstream(ZV_BUILD_DIR "/demo-viewer.log") << t.viewer.output();
    }
    std::fflush(stdout);
    dup2(out, STDOUT_FILENO);
    if (failed())
        return 1;
    for (const std::string& shot : shots)
        std::printf("%s\n", shot.c_str());
    return 0;
}
