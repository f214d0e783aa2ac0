// The order a city frame draws its objects in: the light first, the nearest
// unselected houses ahead of the ground, the houses behind them only where
// an occlusion query saw their bounds, then the rest in list order. Owns
// the queries it asks with.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

class SceneObject;

class DrawingOrder {
public:
    DrawingOrder() = default;
    ~DrawingOrder();
    DrawingOrder(const DrawingOrder&) = delete;
    DrawingOrder& operator=(const DrawingOrder&) = delete;

    // Draws objects with the view already in the modelview matrix.
    void draw(const std::vector<SceneObject*>& objects, double dt);

    // How many of the nearest houses are drawn before the rest are asked
    // whether they hide behind them, and how many boxes the rest must hold
    // for the question to pay: it waits until the nearest are drawn.
    std::size_t occludingHouses = 16, questionedBoxes = 8000;

private:
    void drawUnlessHidden(const std::vector<std::pair<float, SceneObject*>>& houses, double dt);

    std::vector<unsigned int> queries;   // GL query names, grown as needed
};
