// House arithmetic: layouts, growth, pulse and glow width.
#include "scene/HouseLayout.h"

#include <algorithm>
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

// A face's axis and side as Cube numbers them: -z, +z, -x, +x, top, bottom.
constexpr int faceAxis[6] = { 2, 2, 0, 0, 1, 1 };
constexpr double faceSide[6] = { -1, 1, -1, 1, 1, -1 };
constexpr double extent[3] = { halfWidth, halfHeight, halfWidth };

// A box's turn about y, as its sine and cosine: taken once per box, the
// same values every corner and every test of it would compute.
struct Turned {
    double c, s;
    explicit Turned(const BoxPlacement& b)
    {
        const double turn = b.rotationY * pi / 180.0;
        c = std::cos(turn);
        s = std::sin(turn);
    }
};

// The corner k (0 to 3) of box b's face f in the house's frame, placed after
// the turn as Cube draws it: turn (position + scaled corner).
void faceCorner(const BoxPlacement& b, const Turned& t, int f, int k, double out[3])
{
    const int a = faceAxis[f];
    double local[3];
    local[a] = faceSide[f];
    local[(a + 1) % 3] = cornerSigns[k][0];
    local[(a + 2) % 3] = cornerSigns[k][1];
    const double x = b.x + local[0] * extent[0] * b.scale, z = b.z + local[2] * extent[2] * b.scale;
    out[0] = t.c * x + t.s * z;
    out[1] = b.y + local[1] * extent[1] * b.scale;
    out[2] = -t.s * x + t.c * z;
}

// A little room for the rounding of float layouts.
constexpr double room = 1e-3;

// Whether the point p of the house's frame lies in box b or on its surface.
bool inBox(const BoxPlacement& b, const Turned& t, const double p[3])
{
    if (std::fabs(p[1] - b.y) > extent[1] * b.scale + room)
        return false;
    const double local[3] = { t.c * p[0] - t.s * p[2] - b.x, p[1] - b.y, t.s * p[0] + t.c * p[2] - b.z };
    for (int axis = 0; axis < 3; ++axis)
        if (std::fabs(local[axis]) > extent[axis] * b.scale + room)
            return false;
    return true;
}

// The boxes by the height of their tops, so that a face is tried only
// against those whose height range holds its own: boxes stand in levels, so
// a tall house asks a handful of boxes per face instead of all of them.
class BoxesByHeight {
public:
    explicit BoxesByHeight(const std::vector<BoxPlacement>& boxes)
    {
        spans.reserve(boxes.size());
        for (size_t j = 0; j < boxes.size(); ++j) {
            const double half = extent[1] * boxes[j].scale;
            spans.push_back({ boxes[j].y + half, boxes[j].y - half, j });
            tallest = std::max(tallest, 2.0 * half);
        }
        std::sort(spans.begin(), spans.end(), [](const Span& l, const Span& r) { return l.top < r.top; });
    }

    // Calls tryBox(j) for every box j whose height range could hold low to
    // high (inBox's test, with twice its room so that no box it passes is
    // missed), until tryBox returns true; returns whether one did.
    template <typename Try> bool anyHolding(double low, double high, Try tryBox) const
    {
        constexpr double slack = 2.0 * room;
        const auto first = std::lower_bound(spans.begin(), spans.end(), high - slack,
                                            [](const Span& span, double top) { return span.top < top; });
        // A box reaching down to low has its top within its height of it.
        for (auto it = first; it != spans.end() && it->top <= low + tallest + slack; ++it)
            if (it->bottom <= low + slack && tryBox(it->index))
                return true;
        return false;
    }

private:
    struct Span {
        double top, bottom;
        size_t index;
    };
    std::vector<Span> spans;
    double tallest = 0.0;
};

} // namespace

std::vector<unsigned> unseenFaces(const std::vector<BoxPlacement>& boxes)
{
    std::vector<unsigned> unseen(boxes.size(), 0u);
    std::vector<Turned> turns;
    turns.reserve(boxes.size());
    for (const BoxPlacement& b : boxes)
        turns.emplace_back(b);
    const BoxesByHeight byHeight(boxes);
    // A box is convex: a face whose four corners lie in another box, on its
    // surface or inside it, lies wholly in it and can only be reached
    // through that box's own faces.
    const auto inAnother = [&](size_t i, int f) {
        double corners[4][3];
        for (int k = 0; k < 4; ++k)
            faceCorner(boxes[i], turns[i], f, k, corners[k]);
        double low = corners[0][1], high = corners[0][1];
        for (int k = 1; k < 4; ++k)
            low = std::min(low, corners[k][1]), high = std::max(high, corners[k][1]);
        return byHeight.anyHolding(low, high, [&](size_t j) {
            bool all = j != i;
            for (int k = 0; all && k < 4; ++k)
                all = inBox(boxes[j], turns[j], corners[k]);
            return all;
        });
    };
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (int f = 0; f < 6; ++f)
            unseen[i] |= inAnother(i, f) ? 1u << f : 0u;
        // The eye never goes below the ground.
        if (boxes[i].y - halfHeight * boxes[i].scale <= 1e-3)
            unseen[i] |= unseenBottom;
    }
    return unseen;
}

std::vector<int> boxesBeneath(const std::vector<BoxPlacement>& boxes)
{
    constexpr float room = 1e-3f;
    std::vector<int> beneath(boxes.size(), -1);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const BoxPlacement& b = boxes[i];
        for (size_t j = 0; j < i && beneath[i] < 0; ++j) {
            const BoxPlacement& c = boxes[j];
            if (c.x == b.x && c.z == b.z && c.rotationY == b.rotationY && c.scale == b.scale &&
                std::fabs(static_cast<float>(c.y + boxHeight * c.scale) - b.y) < room)
                beneath[i] = static_cast<int>(j);
        }
    }
    return beneath;
}

Shaft layoutShaft(int pictureCount, int variant)
{
    Shaft shaft;
    shaft.faces.assign(static_cast<size_t>(std::max(pictureCount, 0)), 0u);
    if (pictureCount < 31 || variant == 0)
        return shaft;
    const int levels = pictureCount / 3;
    shaft.top = times(boxHeight * levels, smallScale);
    // The circle through the corners of the triangle the inner sides make.
    shaft.radius = times(2.0 * halfWidth / std::sqrt(3.0), smallScale);
    // The first box of a level stands at -x, its inner side at +x; the
    // other two stand at +x in their turned frames.
    for (int i = 0; i < 3 * levels; ++i)
        shaft.faces[static_cast<size_t>(i)] = i % 3 == 0 ? unseenRight : unseenLeft;
    return shaft;
}

HouseShape houseShape(int pictureCount, int variant)
{
    HouseShape shape;
    shape.boxes = layoutBoxes(pictureCount, variant);
    shape.unseen = unseenFaces(shape.boxes);
    shape.beneath = boxesBeneath(shape.boxes);
    shape.shaft = layoutShaft(pictureCount, variant);
    return shape;
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
