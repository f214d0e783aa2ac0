// The house shapes of one city, kept by picture count and variant and
// worked out the first time a house asks for one.
#include "scene/HouseShapes.h"

const HouseShape& HouseShapes::shapeOf(int pictureCount, int variant)
{
    const auto key = std::make_pair(pictureCount, variant);
    auto found = shapes.find(key);
    if (found == shapes.end())
        found = shapes.emplace(key, houseShape(pictureCount, variant)).first;
    return found->second;
}
