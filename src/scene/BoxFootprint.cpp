// Box collision: both points are taken into the box's own frame before the
// footprint test, so the blocked square follows a turned box as drawn.
#include "scene/BoxFootprint.h"

#include <cmath>

#include "scene/Angles.h"

namespace {

constexpr float degreesToRadians = static_cast<float>(pi) / 180.0f;
constexpr float margin = 2.0f;

// The inverse of Cube's transform as far as y turns and position go: turn
// the point back by -rotationY about the parent's y axis, then subtract the
// position.
void toBoxFrame(const BoxShape& box, float px, float pz, float* dx, float* dz)
{
    float lx = px;
    float lz = pz;
    if (box.rotationY != 0.0f) {
        const float a = -box.rotationY * degreesToRadians;
        const float c = std::cos(a);
        const float s = std::sin(a);
        lx = c * px + s * pz;     // glRotatef about y: x' = x cos + z sin
        lz = -s * px + c * pz;    //                    z' = -x sin + z cos
    }
    *dx = lx - box.x;
    *dz = lz - box.z;
}

bool strictlyInside(float dx, float dz, float h)
{
    return -h < dx && dx < h && -h < dz && dz < h;
}

} // namespace

bool boxBlocksStep(const BoxShape& box, float fromX, float fromZ,
                   float toX, float toY, float toZ)
{
    if (!(std::fabs(toY - box.y) < boxHalfHeight * box.scale))
        return false;
    const float h = boxHalfWidth * box.scale + margin;
    float dx = 0.0f;
    float dz = 0.0f;
    toBoxFrame(box, fromX, fromZ, &dx, &dz);
    if (strictlyInside(dx, dz, h))
        return false;
    toBoxFrame(box, toX, toZ, &dx, &dz);
    return strictlyInside(dx, dz, h);
}
