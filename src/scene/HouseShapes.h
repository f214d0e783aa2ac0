// HouseShapes: the shapes of the houses of one city, each worked out once.
// Most houses of a large library share their picture count and variant
// with others, and a shape is the costly part of making a house.
#pragma once

#include <map>
#include <utility>

#include "scene/HouseLayout.h"
#include "scene/NotCopyable.h"

class HouseShapes : NotCopyable {
public:
    // The same as houseShape(pictureCount, variant); kept as long as this.
    const HouseShape& shapeOf(int pictureCount, int variant);

private:
    std::map<std::pair<int, int>, HouseShape> shapes;   // by picture count and variant
};
