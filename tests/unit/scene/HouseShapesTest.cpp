// The shapes a city's houses share: each picture count and variant keeps
// its own, whatever order they are asked in.
#include <gtest/gtest.h>

#include <vector>

#include "scene/HouseShapes.h"

namespace {

std::vector<float> flattened(const HouseShape& shape)
{
    std::vector<float> all;
    for (const BoxPlacement& b : shape.boxes)
        all.insert(all.end(), { b.x, b.y, b.z, b.rotationY, b.scale });
    for (unsigned faces : shape.unseen)
        all.push_back(static_cast<float>(faces));
    for (int below : shape.beneath)
        all.push_back(static_cast<float>(below));
    for (unsigned faces : shape.shaft.faces)
        all.push_back(static_cast<float>(faces));
    all.insert(all.end(), { shape.shaft.top, shape.shaft.radius });
    return all;
}

} // namespace

// Asked in any order and again, a shape is the one worked out on its own,
// and one handed out earlier stays as it was.
TEST(HouseShapes, EachPictureCountAndVariantKeepsItsOwnShape)
{
    HouseShapes shapes;
    const HouseShape& first = shapes.shapeOf(31, 1);
    const int asks[][2] = { { 31, 2 }, { 3, 2 }, { 31, 1 }, { 3, 0 }, { 32, 1 }, { 3, 2 }, { 14, 0 } };
    for (const auto& ask : asks)
        EXPECT_EQ(flattened(shapes.shapeOf(ask[0], ask[1])), flattened(houseShape(ask[0], ask[1])))
            << ask[0] << " pictures, variant " << ask[1];
    EXPECT_EQ(flattened(first), flattened(houseShape(31, 1)));
}
