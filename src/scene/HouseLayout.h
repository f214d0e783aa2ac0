// The arithmetic of a house, kept free of GL so it can be checked directly:
// where its boxes stand, how it grows, how a selected house pulses and how
// thick its glow edges are.
#pragma once

#include <vector>

// One box of a layout, in the house's frame. The position is taken after the
// box's turn about y (rotation before translation), as Cube draws it.
struct BoxPlacement {
    float x;
    float y;
    float z;
    float rotationY;   // degrees
    float scale;
};

// Whether a house of this many pictures draws a random layout variant.
bool layoutUsesVariant(int pictureCount);

// The boxes of a house of pictureCount pictures; variant (0 to 2) picks the
// tower or triangle kind where layoutUsesVariant is true and is ignored
// otherwise.
std::vector<BoxPlacement> layoutBoxes(int pictureCount, int variant);

// Faces of a grown house's boxes that no eye at or above the ground can
// see, one bit per face as Cube numbers them: a bottom on the ground, and
// any face that lies wholly in another box, on the face of a neighbour it
// touches or sunk into it.
constexpr unsigned unseenBack = 1u << 0;    // -z
constexpr unsigned unseenFront = 1u << 1;   // +z
constexpr unsigned unseenLeft = 1u << 2;    // -x
constexpr unsigned unseenRight = 1u << 3;   // +x
constexpr unsigned unseenTop = 1u << 4;
constexpr unsigned unseenBottom = 1u << 5;
std::vector<unsigned> unseenFaces(const std::vector<BoxPlacement>& boxes);

// For each box, the one right beneath it in its column (same place, turn
// and size, its top at this one's bottom), whose sides continue this one's
// sides in their planes; -1 where there is none.
std::vector<int> boxesBeneath(const std::vector<BoxPlacement>& boxes);

// The shaft down the axis of a house whose levels are three boxes turned
// 120 degrees apart: their inner sides meet at the corners and close it,
// so it opens only at the top of the last full level. faces holds, per
// box, the bits (as unseenFaces) of the sides that line it; every point of
// it lies within radius of the axis. No faces where the layout has none.
struct Shaft {
    std::vector<unsigned> faces;
    float top = 0.0f;
    float radius = 0.0f;
};
Shaft layoutShaft(int pictureCount, int variant);

// What a house's picture count and variant decide about its boxes, worked
// out together.
struct HouseShape {
    std::vector<BoxPlacement> boxes;
    std::vector<unsigned> unseen;   // see unseenFaces
    std::vector<int> beneath;       // see boxesBeneath
    Shaft shaft;
};
HouseShape houseShape(int pictureCount, int variant);

// One frame of growth: grows while below 1 and snaps back to exactly 1 on
// the frame after it passed 1.
float growthStep(float growth, float growthRate, double seconds);

// Size factor of a selected house seen from distance d at the given age.
float pulseFactor(float distance, float age);

// Width of the glow edges at distance d: 8 pixels at the eye, 0 at 300.
float baseLineWidth(float distance);

// Brightness of the glow colour, 0 to 1, at the given age.
float glowLevel(float age);
