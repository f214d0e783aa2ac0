// A piece of road.
#include "scene/Street.h"

#include <cmath>

#include "scene/GroundSet.h"

Street::Street(const GroundSet& ground_, float x_, float y_, float z_, int kind_, int month_, int year_)
    : kind(kind_), month(month_), year(year_), ground(&ground_)
{
    x = x_;
    y = y_;
    z = z_;
}

void Street::draw(double /*seconds*/)
{
    ground->drawStreet(kind, x, y, z);
}

int Street::distanceTo(float px, float py, float pz) const
{
    // All in single precision, truncated toward zero.
    const float dx = x - px;
    const float dy = y - py;
    const float dz = z - pz;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy + dz * dz));
}
