// The box collision test: footprint with margin, start-inside rule, height
// band and turned boxes.
#include <gtest/gtest.h>

#include "scene/BoxFootprint.h"

namespace {

struct StepCase {
    const char* what;
    BoxShape box;
    float from[3];
    float to[3];
    bool blocked;
};

const BoxShape plain = { 0, 0, 0, 0, 0.6f };            // h = 17
const BoxShape turned = { 10, 0, 0, 90, 0.2f };         // h = 7, drawn at (0, 0, -10)
const BoxShape pairBox = { -12.5f, 7.5f, 0, 315, 0.4f };  // drawn at about (-8.84, 7.5, -8.84)

const StepCase steps[] = {
    { "walking into the box", plain, { 0, 0, 100 }, { 0, 0, 0 }, true },
    { "starting inside", plain, { 0, 0, 10 }, { 0, 0, 0 }, false },
    { "ending on the +z border", plain, { 0, 0, 100 }, { 0, 0, 17 }, false },
    { "ending on the -z border", plain, { 0, 0, -100 }, { 0, 0, -17 }, false },
    { "ending just inside the border", plain, { 0, 0, 100 }, { 0, 0, 16.99f }, true },
    { "ending on the x border", plain, { 100, 0, 0 }, { 17, 0, 0 }, false },
    { "ending at the box's top", plain, { 0, 0, 100 }, { 0, 18.75f * 0.6f, 0 }, false },
    { "ending just below the top", plain, { 0, 0, 100 }, { 0, 11.2499f, 0 }, true },
    { "ending at the bottom", plain, { 0, 0, 100 }, { 0, -11.25f, 0 }, false },
    { "starting above, ending inside", plain, { 0, 50, 100 }, { 0, 5, 0 }, true },
    { "passing far away", plain, { 100, 0, 100 }, { 50, 0, 50 }, false },
    { "turned box where it is drawn", turned, { 0, 0, 50 }, { 0, 0, -10 }, true },
    { "turned box near its drawn edge", turned, { 0, 0, 50 }, { 0, 0, -3.1f }, true },
    { "turned box just outside its drawn edge", turned, { 0, 0, 50 }, { 0, 0, -2.9f }, false },
    { "turned box not at its unturned place", turned, { 50, 0, 0 }, { 10, 0, 0 }, false },
    { "turned box entered from its drawn inside", turned, { 0, 0, -10 }, { 0, 0, -12 }, false },
    { "pair box at its drawn centre", pairBox, { 0, 7.5f, 50 }, { -8.84f, 7.5f, -8.84f }, true },
    { "pair box not at (-12.5, 0)", pairBox, { 50, 7.5f, 50 }, { -12.5f, 7.5f, 8.0f }, false },
    // The turned square's corner reaches along the axis: 12 * sqrt 2 from
    // the centre, beyond an unturned square of half-size 12.
    { "pair box corner", pairBox, { 50, 7.5f, 50 }, { -8.84f - 16.5f, 7.5f, -8.84f }, true },
};

} // namespace

TEST(BoxFootprint, StepsAgainstPlainAndTurnedBoxes)
{
    for (const StepCase& c : steps) {
        EXPECT_EQ(boxBlocksStep(c.box, c.from[0], c.from[2], c.to[0], c.to[1], c.to[2]), c.blocked)
            << c.what;
    }
}

TEST(BoxFootprint, FullTurnBlocksLikeNoTurn)
{
    BoxShape full = plain;
    full.x = 20;
    full.rotationY = 360;
    BoxShape none = full;
    none.rotationY = 0;
    for (float z = -30; z <= 30; z += 2.5f) {
        for (float x = -10; x <= 50; x += 2.5f)
            EXPECT_EQ(boxBlocksStep(full, 100, 100, x, 0, z), boxBlocksStep(none, 100, 100, x, 0, z))
                << x << "," << z;
    }
}
