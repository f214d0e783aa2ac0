// A grass tile.
#include "scene/Quarter.h"

#include <cstdlib>

#include "scene/GroundSet.h"


Quarter::Quarter(const GroundSet& ground_, float x_, float y_, float z_)
    : ground(&ground_)
{
    // The grass draw comes first: the city's fixed order of rand() draws
    // makes the same library give the same city.
    grassIndex = std::rand() % GroundSet::grassCount;
    x = x_;
    y = y_;
    z = z_;
}

void Quarter::draw(double /*seconds*/)
{
    ground->drawGrass(grassIndex, x, y, z);
}
