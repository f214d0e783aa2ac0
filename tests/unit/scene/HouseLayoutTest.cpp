// Layouts of the house boxes, for every band of picture counts and variant.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "scene/HouseLayout.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Where a box's centre lies in the house frame: glRotatef about y, then the
// position.
void parentCentre(const BoxPlacement& b, double* px, double* pz)
{
    const double a = b.rotationY * kPi / 180.0;
    *px = b.x * std::cos(a) + b.z * std::sin(a);
    *pz = -b.x * std::sin(a) + b.z * std::cos(a);
}

using Expected = std::function<BoxPlacement(int i)>;

struct LayoutCase {
    const char* name;
    int n;
    int variant;
    Expected box;
};

BoxPlacement tower(int i) { return { 0, 11.25f + 22.5f * i, 0, 0, 0.6f }; }
BoxPlacement twisted(int i) { return { 0, 11.25f + 22.5f * i, 0, 22.5f * i, 0.6f }; }
BoxPlacement pair(int i)
{
    const int level = i / 2;
    return { i % 2 == 0 ? -12.5f : 12.5f, 7.5f + 15.0f * level, 0, 315, 0.4f };
}
BoxPlacement fourAt(int i, float side, float y0, float step, float scale)
{
    const float xs[4] = { -side, side, side, -side };
    const float zs[4] = { -side, -side, side, side };
    return { xs[i % 4], y0 + step * (i / 4), zs[i % 4], 0, scale };
}
BoxPlacement levels(int i) { return fourAt(i, 10, 7.5f, 15, 0.4f); }
BoxPlacement block(int i) { return fourAt(i, 7.5f, 5.625f, 11.25f, 0.3f); }
BoxPlacement triangle(int i, bool twistedLevels)
{
    const int level = i / 3;
    const float turn[3] = { 0, 60, -60 };
    const float twist[3] = { -5 + 10.0f * level, 55 + 10.0f * level, -65 + 10.0f * level };
    const float x = i % 3 == 0 ? -11.830128f : 11.830128f;
    return { x, 5.625f + 11.25f * level, 0, twistedLevels ? twist[i % 3] : turn[i % 3], 0.3f };
}

std::vector<LayoutCase> layoutCases()
{
    std::vector<LayoutCase> cases;
    for (int n : { 1, 7 }) {
        cases.push_back({ "tower", n, 0, tower });
        cases.push_back({ "twisted tower", n, 1, twisted });
    }
    for (int n : { 8, 13 })
        cases.push_back({ "pairs", n, 0, pair });
    for (int n : { 14, 30 })
        cases.push_back({ "two by two", n, 0, levels });
    for (int n : { 31, 250 }) {
        cases.push_back({ "block", n, 0, block });
        cases.push_back({ "twisted triangle", n, 1, [](int i) { return triangle(i, true); } });
        cases.push_back({ "triangle", n, 2, [](int i) { return triangle(i, false); } });
    }
    return cases;
}

} // namespace

TEST(HouseLayout, EveryBoxStandsWhereItsLayoutPutsIt)
{
    for (const LayoutCase& c : layoutCases()) {
        SCOPED_TRACE(testing::Message() << c.name << " n=" << c.n);
        const std::vector<BoxPlacement> boxes = layoutBoxes(c.n, c.variant);
        ASSERT_EQ(boxes.size(), static_cast<size_t>(c.n));
        for (int i = 0; i < c.n; ++i) {
            const BoxPlacement want = c.box(i);
            const BoxPlacement& got = boxes[static_cast<size_t>(i)];
            SCOPED_TRACE(i);
            EXPECT_NEAR(got.x, want.x, 1e-5);
            EXPECT_NEAR(got.y, want.y, 2e-4 + 1e-6 * want.y);
            EXPECT_NEAR(got.z, want.z, 1e-5);
            EXPECT_FLOAT_EQ(got.rotationY, want.rotationY);
            EXPECT_FLOAT_EQ(got.scale, want.scale);
        }
    }
}

TEST(HouseLayout, TaperingTowerShrinksEachBoxAndStandsItOnTheOneBelow)
{
    const float heights[4] = { 11.25f, 31.5f, 49.725f, 66.1275f };
    const float scales[4] = { 0.6f, 0.54f, 0.486f, 0.4374f };
    for (int n : { 1, 4, 7 }) {
        const std::vector<BoxPlacement> boxes = layoutBoxes(n, 2);
        ASSERT_EQ(boxes.size(), static_cast<size_t>(n));
        for (int i = 0; i < n && i < 4; ++i) {
            EXPECT_NEAR(boxes[i].y, heights[i], 1e-4) << "box " << i;
            EXPECT_NEAR(boxes[i].scale, scales[i], 1e-6) << "box " << i;
            EXPECT_EQ(boxes[i].x, 0.0f);
            EXPECT_EQ(boxes[i].rotationY, 0.0f);
        }
        // Each box overlaps the one below a little: its bottom sits below the
        // top of the lower, larger box.
        for (int i = 1; i < n; ++i) {
            const float top = boxes[i - 1].y + 18.75f * boxes[i - 1].scale;
            const float bottom = boxes[i].y - 18.75f * boxes[i].scale;
            EXPECT_LT(bottom, top) << "box " << i;
            EXPECT_NEAR(boxes[i].scale, 0.9f * boxes[i - 1].scale, 1e-6);
        }
    }
}

TEST(HouseLayout, PairsStandOnTheDiagonalAfterTheirTurn)
{
    const std::vector<BoxPlacement> boxes = layoutBoxes(13, 0);
    for (size_t i = 0; i < boxes.size(); ++i) {
        double px = 0, pz = 0;
        parentCentre(boxes[i], &px, &pz);
        const double side = i % 2 == 0 ? -8.8388 : 8.8388;
        EXPECT_NEAR(px, side, 1e-3) << "box " << i;
        EXPECT_NEAR(pz, side, 1e-3) << "box " << i;
    }
    // Seven levels, the last one holding only its even box.
    EXPECT_FLOAT_EQ(boxes.back().y, 7.5f + 15.0f * 6);
    EXPECT_LT(boxes.back().x, 0.0f);
}

TEST(HouseLayout, TriangleBoxesStand120DegreesApartAroundTheAxis)
{
    for (int variant : { 1, 2 }) {
        const std::vector<BoxPlacement> boxes = layoutBoxes(33, variant);
        for (size_t level = 0; level < boxes.size() / 3; ++level) {
            double angles[3];
            for (int k = 0; k < 3; ++k) {
                double px = 0, pz = 0;
                parentCentre(boxes[level * 3 + k], &px, &pz);
                EXPECT_NEAR(std::hypot(px, pz), 11.830128, 1e-5);
                angles[k] = std::atan2(pz, px) * 180.0 / kPi;
            }
            for (int k = 1; k < 3; ++k) {
                const double gap = std::fmod(angles[k] - angles[0] + 720.0, 360.0);
                EXPECT_NEAR(std::fmin(gap, 360.0 - gap), 120.0, 1e-3)
                    << "variant " << variant << " level " << level;
            }
        }
    }
}

TEST(HouseLayout, BlockOffsetsAreTheScaledExtentsInSinglePrecision)
{
    const std::vector<BoxPlacement> boxes = layoutBoxes(31, 0);
    EXPECT_EQ(boxes[1].x, static_cast<float>(25.0 * 0.3f));
    EXPECT_NE(boxes[1].x, 7.5f);   // 7.5000005: the float scale is slightly above 0.3
}

TEST(HouseLayout, LevelCountsAtTheBandEdges)
{
    struct Case { int n; int variant; float topY; int lastLevelBoxes; int perLevel; };
    const Case cases[] = {
        { 8, 0, 7.5f + 15 * 3, 2, 2 },
        { 13, 0, 7.5f + 15 * 6, 1, 2 },
        { 14, 0, 7.5f + 15 * 3, 2, 4 },
        { 30, 0, 7.5f + 15 * 7, 2, 4 },
        { 31, 0, 5.625f + 11.25f * 7, 3, 4 },
        { 31, 1, 5.625f + 11.25f * 10, 1, 3 },
    };
    for (const Case& c : cases) {
        const std::vector<BoxPlacement> boxes = layoutBoxes(c.n, c.variant);
        ASSERT_EQ(boxes.size(), static_cast<size_t>(c.n));
        EXPECT_NEAR(boxes.back().y, c.topY, 1e-4) << "n=" << c.n;
        int onTop = 0;
        for (const BoxPlacement& b : boxes)
            onTop += std::fabs(b.y - boxes.back().y) < 1e-3f ? 1 : 0;
        EXPECT_EQ(onTop, c.lastLevelBoxes) << "n=" << c.n;
    }
}

TEST(HouseLayout, OnlyTheSmallAndLargeBandsDependOnChance)
{
    const struct { int n; bool random; } cases[] = {
        { 0, true }, { 1, true }, { 7, true }, { 8, false }, { 13, false },
        { 14, false }, { 30, false }, { 31, true }, { 250, true },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(layoutUsesVariant(c.n), c.random) << "n=" << c.n;
        if (c.random || c.n == 0)
            continue;
        const std::vector<BoxPlacement> a = layoutBoxes(c.n, 0);
        const std::vector<BoxPlacement> b = layoutBoxes(c.n, 2);
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].x, b[i].x);
            EXPECT_EQ(a[i].y, b[i].y);
            EXPECT_EQ(a[i].rotationY, b[i].rotationY);
        }
    }
    EXPECT_TRUE(layoutBoxes(0, 1).empty());
}
