// House arithmetic: layouts, growth, pulse and glow width.
#include "scene/HouseLayout.h"

#include <cmath>

#include "scene/Angles.h"
#include "scene/BoxFootprint.h"

namespace {

// The unit box's extents, in double as the layouts compute.
constexpr double halfHeight = boxHalfHeight, boxHeight = 2.0 * halfHeight, halfWidth = boxHalfWidth;

constexpr float towerScale = 0.6f;
constexpr float pairScale = 0.4f;
constexpr float levelScale = 0.4f;
constexpr float smallScale = 0.3f;

// Offsets are products of extents and the float scale taken in double, then
// stored as float: the values the drawing and the collision test share.
float times(double extent, float scale) { return static_cast<float>(extent * scale); }

// Corners of a four-box level, counter-clockwise from (-1, -1).
const int cornerSigns[4][2] = { { -1, -1 }, { 1, -1 }, { 1, 1 }, { -1, 1 } };

void addTower(std::vector<BoxPlacement>& boxes, int n, int variant)
{
    const float s = towerScale;
    for (int i = 0; i < n; ++i) {
        const float y = times(halfHeight + boxHeight * i, s);
        const float turn = variant == 1 ? 22.5f * i : 0.0f;
        boxes.push_back({ 0.0f, y, 0.0f, turn, s });
    }
}

void addTaperingTower(std::vector<BoxPlacement>& boxes, int n)
{
    float s = towerScale;
    float y = times(halfHeight, s);
    for (int i = 0; i < n; ++i) {
        boxes.push_back({ 0.0f, y, 0.0f, 0.0f, s });
        // Each step is taken in double precision and stored as a float.
        s = static_cast<float>(0.9 * s);
        y = static_cast<float>(y + boxHeight * static_cast<double>(s));   // the smaller box's full height
    }
}

void addPairs(std::vector<BoxPlacement>& boxes, int n)
{
    const float s = pairScale;
    const float side = times(31.25, s);   // 12.5: the two boxes just clear each other
    for (int i = 0; i < n; ++i) {
        const int level = i / 2;
        const float y = times(halfHeight + boxHeight * level, s);
        boxes.push_back({ i % 2 == 0 ? -side : side, y, 0.0f, 315.0f, s });
    }
}

void addFourPerLevel(std::vector<BoxPlacement>& boxes, int n, float s)
{
    const float side = times(halfWidth, s);
    for (int i = 0; i < n; ++i) {
        const int level = i / 4;
        const float y = times(halfHeight + boxHeight * level, s);
        const int* sign = cornerSigns[i % 4];
        boxes.push_back({ sign[0] * side, y, sign[1] * side, 0.0f, s });
    }
}

void addTriangles(std::vector<BoxPlacement>& boxes, int n, bool twisted)
{
    const float s = smallScale;
    // Distance from the axis at which three boxes, 120 degrees apart, touch.
    const float radius = times(halfWidth + halfWidth / std::sqrt(3.0), s);
    const float turns[3] = { 0.0f, 60.0f, -60.0f };
    const float twistedTurns[3] = { -5.0f, 55.0f, -65.0f };
    for (int i = 0; i < n; ++i) {
        const int level = i / 3;
        const int k = i % 3;
        const float y = times(halfHeight + boxHeight * level, s);
        const float turn = twisted ? twistedTurns[k] + 10.0f * level : turns[k];
        boxes.push_back({ k == 0 ? -radius : radius, y, 0.0f, turn, s });
    }
}

// A box's top or bottom square in the house's frame: corners (x, z) in turn
// order, and its height.
struct Square {
    double corner[4][2];
    double height;
};

Square faceSquare(const BoxPlacement& box, bool top)
{
    const double turn = box.rotationY * pi / 180.0;
    const double c = std::cos(turn), s = std::sin(turn), w = halfWidth * box.scale;
    Square square;
    for (int k = 0; k < 4; ++k) {
        // Placed after the turn, as Cube draws it: rotate (position + corner).
        const double x = box.x + cornerSigns[k][0] * w, z = box.z + cornerSigns[k][1] * w;
        square.corner[k][0] = c * x + s * z;
        square.corner[k][1] = -s * x + c * z;
    }
    square.height = box.y + (top ? halfHeight : -halfHeight) * box.scale;
    return square;
}

// Whether every corner of inner lies in outer (a convex quad), with a
// little room for the rounding of float layouts.
bool covers(const Square& outer, const Square& inner)
{
    constexpr double room = 1e-3;
    for (const auto& p : inner.corner) {
        double sign = 0;
        for (int k = 0; k < 4; ++k) {
            const double* a = outer.corner[k];
            const double* b = outer.corner[(k + 1) % 4];
            const double cross = (b[0] - a[0]) * (p[1] - a[1]) - (b[1] - a[1]) * (p[0] - a[0]);
            const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
            if (std::fabs(cross) <= room * length)
                continue;   // on the edge
            if (sign == 0)
                sign = cross;
            else if ((cross > 0) != (sign > 0))
                return false;
        }
    }
    return true;
}

} // namespace

std::vector<unsigned> unseenFaces(const std::vector<BoxPlacement>& boxes)
{
    constexpr double room = 1e-3;
    std::vector<unsigned> unseen(boxes.size(), 0u);
    std::vector<Square> tops, bottoms;
    for (const BoxPlacement& box : boxes) {
        tops.push_back(faceSquare(box, true));
        bottoms.push_back(faceSquare(box, false));
    }
    // A face that lies wholly in another box, on its surface or inside it,
    // can only be reached through that box's own faces.
    const auto inAnother = [&](size_t i, const Square& face) {
        for (size_t j = 0; j < boxes.size(); ++j) {
            if (j != i && face.height >= bottoms[j].height - room && face.height <= tops[j].height + room &&
                covers(tops[j], face))
                return true;
        }
        return false;
    };
    for (size_t i = 0; i < boxes.size(); ++i) {
        // The eye never goes below the ground.
        if (bottoms[i].height <= room || inAnother(i, bottoms[i]))
            unseen[i] |= unseenBottom;
        if (inAnother(i, tops[i]))
            unseen[i] |= unseenTop;
    }
    return unseen;
}

bool layoutUsesVariant(int pictureCount)
{
    return pictureCount <= 7 || pictureCount >= 31;
}

std::vector<BoxPlacement> layoutBoxes(int pictureCount, int variant)
{
    std::vector<BoxPlacement> boxes;
    const int n = pictureCount;
    if (n <= 0)
        return boxes;
    boxes.reserve(static_cast<size_t>(n));
    if (n <= 7) {
        if (variant == 2)
            addTaperingTower(boxes, n);
        else
            addTower(boxes, n, variant);
    } else if (n <= 13) {
        addPairs(boxes, n);
    } else if (n <= 30) {
        addFourPerLevel(boxes, n, levelScale);
    } else if (variant == 0) {
        addFourPerLevel(boxes, n, smallScale);
    } else {
        addTriangles(boxes, n, variant == 1);
    }
    return boxes;
}

float growthStep(float growth, float growthRate, double seconds)
{
    if (growth < 1.0f)
        return static_cast<float>(growth + growthRate * seconds);
    if (growth > 1.0f)
        return 1.0f;
    return growth;
}

float pulseFactor(float distance, float age)
{
    const float wave = std::sin(5.0f * age);
    if (distance > 130.0f)
        return 1.0f + wave / 40.0f;
    if (distance > 30.0f)
        return 1.0f + wave * (distance - 30.0f) / 4000.0f;
    return 1.0f;
}

float baseLineWidth(float distance)
{
    return (300.0f - distance) / 300.0f * 8.0f;
}

float glowLevel(float age)
{
    return (std::sin(5.0f * age) + 1.0f) * 0.5f;
}
