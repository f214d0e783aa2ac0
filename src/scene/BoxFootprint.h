// The walker's collision test against one box, free of GL: a step is
// blocked when it enters the box's footprint (half width plus a margin) at
// a height within the box.
#pragma once

// Half the unit box's width (and depth) and height: its sides are 4:3 like a photo.
constexpr float boxHalfWidth = 25.0f, boxHalfHeight = 18.75f;

struct BoxShape {
    float x;           // position in the box's turned frame, as Cube draws it
    float y;
    float z;
    float rotationY;   // degrees
    float scale;
};

// Whether the step from -> to (both in the box's parent frame) is blocked.
// A step that starts inside the footprint is never blocked, so a walker
// caught inside (a box that grew around him) can leave; borders count as
// outside.
bool boxBlocksStep(const BoxShape& box, float fromX, float fromZ,
                   float toX, float toY, float toZ);
