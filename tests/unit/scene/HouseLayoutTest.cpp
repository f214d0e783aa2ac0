// Where a house's boxes stand for every band of picture counts, and which
// of their faces no eye sees.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scene/BoxFootprint.h"
#include "scene/HouseLayout.h"

// Every band and variant: a box a picture at the band's scale, the first on
// the ground, every other on the ground or on the top of a box before it (the
// tapering tower's shrink by a tenth and rise by their own height); the
// variant counts only outside 8 to 30 pictures, and for more than one.
TEST(HouseLayout, EveryBoxStandsOnTheGroundOrOnABoxBeforeIt)
{
    const struct { int n; float scale; } bands[] = { { 1, 0.6f }, { 7, 0.6f }, { 8, 0.4f }, { 13, 0.4f }, { 14, 0.4f },
                                                      { 30, 0.4f }, { 31, 0.3f }, { 250, 0.3f } };
    EXPECT_TRUE(layoutBoxes(0, 1).empty());
    for (const auto& band : bands)
        for (int variant = 0; variant < 3; ++variant) {
            SCOPED_TRACE("n=" + std::to_string(band.n) + " variant " + std::to_string(variant));
            const std::vector<BoxPlacement> boxes = layoutBoxes(band.n, variant);
            ASSERT_EQ(boxes.size(), static_cast<size_t>(band.n));
            const auto end = [&](size_t i, float side) { return boxes[i].y + side * boxes[i].scale * boxHalfHeight; };
            EXPECT_NEAR(end(0, -1), 0.0f, 1e-4);
            const bool tapering = variant == 2 && band.n < 8;
            for (size_t i = 1; i < boxes.size(); ++i) {
                bool rests = std::fabs(end(i, -1)) < 1e-4f;
                for (size_t j = 0; j < i; ++j)
                    rests = rests || std::fabs(end(i, -1) - end(j, 1)) < 1e-3f;
                EXPECT_TRUE(tapering ? std::fabs(end(i, 0) - end(i - 1, 0) - 2 * boxHalfHeight * boxes[i].scale) < 1e-4f : rests) << i;
                EXPECT_NEAR(boxes[i].scale, tapering ? boxes[i - 1].scale * 0.9f : band.scale, 1e-6) << "box " << i;
            }
            const std::vector<BoxPlacement> other = layoutBoxes(band.n, (variant + 1) % 3);
            EXPECT_EQ(other.back().rotationY != boxes.back().rotationY || other.back().scale != boxes.back().scale ||
                      other.back().x != boxes.back().x, band.n > 1 && layoutUsesVariant(band.n));
        }
}

// What stands on a box hides its top, what a box stands on hides its bottom,
// a neighbour sharing a side hides it, but only where the one face lies
// wholly on or in the other box: sides that touch along an edge (triangles)
// or partly (the sunk tapering boxes) show.
TEST(HouseLayout, LeavesOutOnlyFacesCoveredByTheGroundOrAnotherBox)
{
    constexpr unsigned both = unseenTop | unseenBottom;
    // The inner sides of a four-box level, counter-clockwise from (-x, -z).
    constexpr unsigned in[4] = { unseenRight | unseenFront, unseenLeft | unseenFront, unseenLeft | unseenBack,
                                 unseenRight | unseenBack };
    const struct { const char* what; int n; int variant; std::vector<unsigned> want; } cases[] = {
        { "tower: the top box shows its top", 3, 0, { both, both, unseenBottom } },
        { "twisted tower: the turned corners stick out", 3, 1, { unseenBottom, 0, 0 } },
        { "tapering tower: each top shows around the smaller, sunk box", 3, 2, { unseenBottom, unseenBottom, unseenBottom } },
        { "pairs: two stacks", 10, 0, { both, both, both, both, both, both, both, both, unseenBottom, unseenBottom } },
        { "four a level", 14, 0, { both | in[0], both | in[1], both | in[2], both | in[3], both | in[0], both | in[1],
                                   both | in[2], both | in[3], both | in[0], both | in[1], unseenBottom | in[2],
                                   unseenBottom | in[3], unseenBottom | unseenRight, unseenBottom | unseenLeft } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(unseenFaces(layoutBoxes(c.n, c.variant)), c.want) << c.what;
    // Triangles: straight ones stack, twisted ones turn each level away.
    const std::vector<unsigned> straight = unseenFaces(layoutBoxes(31, 2)), twisted = unseenFaces(layoutBoxes(31, 1));
    EXPECT_EQ(straight[0], both);
    EXPECT_EQ(straight[30], unseenBottom);
    EXPECT_EQ(twisted[0], unseenBottom);
    EXPECT_EQ(twisted[3], 0u);
}

// Only boxes of one place, turn and size stacked straight form a column:
// not the twisted or the tapering tower, nor twisted triangles.
TEST(HouseLayout, FindsTheBoxRightBeneathInItsColumn)
{
    const struct { int n, variant, step; } cases[] = { { 3, 0, 1 }, { 3, 1, 0 }, { 3, 2, 0 }, { 10, 0, 2 },
                                                       { 14, 0, 4 }, { 31, 2, 3 }, { 31, 1, 0 } };
    for (const auto& c : cases) {
        const std::vector<int> beneath = boxesBeneath(layoutBoxes(c.n, c.variant));
        for (int i = 0; i < c.n; ++i)
            EXPECT_EQ(beneath[static_cast<size_t>(i)], c.step > 0 && i >= c.step ? i - c.step : -1)
                << "n=" << c.n << " variant " << c.variant << " box " << i;
    }
}
