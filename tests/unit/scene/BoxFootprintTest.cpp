// The walker's step against one box: margin, start-inside rule, height band, turn.
#include <gtest/gtest.h>

#include "scene/BoxFootprint.h"

TEST(BoxFootprint, StepsAgainstPlainAndTurnedBoxes)
{
    const BoxShape plain = { 0, 0, 0, 0, 0.6f };      // half width 25 * 0.6 + 2 = 17, half height 11.25
    const BoxShape turned = { 10, 0, 0, 90, 0.2f };   // half width 7, drawn at (0, 0, -10)
    const struct { const char* what; BoxShape box; float fromX, fromZ; float to[3]; bool blocked; } steps[] = {
        { "walking into the box", plain, 0, 100, { 0, 0, 0 }, true }, { "starting inside", plain, 0, 10, { 0, 0, 0 }, false },
        { "ending on the +z border", plain, 0, 100, { 0, 0, 17 }, false }, { "ending on the -x border", plain, -100, 0, { -17, 0, 0 }, false },
        { "ending just inside the border", plain, 0, 100, { 0, 0, 16.99f }, true }, { "ending at the box's top", plain, 0, 100, { 0, 18.75f * 0.6f, 0 }, false },
        { "ending just below the top", plain, 0, 100, { 0, 11.2499f, 0 }, true }, { "ending at the bottom", plain, 0, 100, { 0, -11.25f, 0 }, false },
        { "turned box where it is drawn", turned, 0, 50, { 0, 0, -10 }, true }, { "turned box just inside its drawn edge", turned, 0, 50, { 0, 0, -3.1f }, true },
        { "turned box just outside its drawn edge", turned, 0, 50, { 0, 0, -2.9f }, false }, { "turned box not at its unturned place", turned, 50, 0, { 10, 0, 0 }, false },
    };
    for (const auto& c : steps)
        EXPECT_EQ(boxBlocksStep(c.box, c.fromX, c.fromZ, c.to[0], c.to[1], c.to[2]), c.blocked) << c.what;
}
