// Where a house's boxes stand for every band of picture counts.
#include <gtest/gtest.h>

#include <vector>

#include "scene/HouseLayout.h"

TEST(HouseLayout, BoxesStandWhereTheirBandAndVariantPutThem)
{
    constexpr float tri = 11.830128f;   // three boxes 120 degrees apart just touch
    // First box, last box and a level boundary of each layout.
    const struct { int n; int variant; int index; BoxPlacement want; } cases[] = {
        // tower, twisted tower, tapering tower (0.9 of the box below, raised by its own height)
        { 1, 0, 0, { 0, 11.25f, 0, 0, 0.6f } }, { 7, 0, 6, { 0, 146.25f, 0, 0, 0.6f } },
        { 1, 1, 0, { 0, 11.25f, 0, 0, 0.6f } }, { 7, 1, 6, { 0, 146.25f, 0, 135, 0.6f } },
        { 1, 2, 0, { 0, 11.25f, 0, 0, 0.6f } }, { 7, 2, 1, { 0, 31.5f, 0, 0, 0.54f } },
        { 7, 2, 3, { 0, 66.1275f, 0, 0, 0.4374f } }, { 7, 2, 6, { 0, 106.1332f, 0, 0, 0.3188646f } },
        // pairs, then four per level; from 8 to 30 pictures the variant is ignored
        { 8, 0, 0, { -12.5f, 7.5f, 0, 315, 0.4f } }, { 8, 1, 2, { -12.5f, 22.5f, 0, 315, 0.4f } },
        { 8, 2, 7, { 12.5f, 52.5f, 0, 315, 0.4f } }, { 13, 2, 12, { -12.5f, 97.5f, 0, 315, 0.4f } },
        { 14, 0, 0, { -10, 7.5f, -10, 0, 0.4f } }, { 14, 1, 3, { -10, 7.5f, 10, 0, 0.4f } },
        { 14, 2, 4, { -10, 22.5f, -10, 0, 0.4f } }, { 14, 0, 13, { 10, 52.5f, -10, 0, 0.4f } },
        { 30, 2, 29, { 10, 112.5f, -10, 0, 0.4f } },
        // block, twisted triangle, triangle
        { 31, 0, 0, { -7.5f, 5.625f, -7.5f, 0, 0.3f } }, { 31, 0, 30, { 7.5f, 84.375f, 7.5f, 0, 0.3f } },
        { 250, 0, 249, { 7.5f, 703.125f, -7.5f, 0, 0.3f } },
        { 31, 1, 0, { -tri, 5.625f, 0, -5, 0.3f } }, { 31, 1, 4, { tri, 16.875f, 0, 65, 0.3f } },
        { 31, 1, 30, { -tri, 118.125f, 0, 95, 0.3f } }, { 250, 1, 249, { -tri, 939.375f, 0, 825, 0.3f } },
        { 31, 2, 2, { tri, 5.625f, 0, -60, 0.3f } }, { 31, 2, 3, { -tri, 16.875f, 0, 0, 0.3f } },
        { 250, 2, 248, { tri, 928.125f, 0, -60, 0.3f } },
    };
    EXPECT_TRUE(layoutBoxes(0, 1).empty());
    const auto values = [](const BoxPlacement& b) { return std::vector<float>{ b.x, b.y, b.z, b.rotationY, b.scale }; };
    for (const auto& c : cases) {
        const std::vector<BoxPlacement> boxes = layoutBoxes(c.n, c.variant);
        ASSERT_EQ(boxes.size(), static_cast<size_t>(c.n)) << "n=" << c.n;
        const std::vector<float> got = values(boxes[static_cast<size_t>(c.index)]), want = values(c.want);
        for (size_t k = 0; k < 5; k++)   // x, y, z, turn, scale
            EXPECT_NEAR(got[k], want[k], 1e-4) << "n=" << c.n << " variant " << c.variant << " box " << c.index << " value " << k;
    }
}

// What stands on a box hides its top, what a box stands on hides its bottom,
// but only where the one face lies wholly on or in the other box.
TEST(HouseLayout, LeavesOutOnlyFacesCoveredByTheGroundOrAnotherBox)
{
    constexpr unsigned both = unseenTop | unseenBottom;
    const struct { const char* what; int n; int variant; std::vector<unsigned> want; } cases[] = {
        { "tower: the top box shows its top", 3, 0, { both, both, unseenBottom } },
        { "twisted tower: the turned corners stick out", 3, 1, { unseenBottom, 0, 0 } },
        { "tapering tower: each top shows around the smaller, sunk box", 3, 2, { unseenBottom, unseenBottom, unseenBottom } },
        { "pairs: two stacks", 10, 0, { both, both, both, both, both, both, both, both, unseenBottom, unseenBottom } },
        { "four a level", 14, 0, { both, both, both, both, both, both, both, both,
                                   both, both, unseenBottom, unseenBottom, unseenBottom, unseenBottom } },
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
