// Quarter: a grass tile, 100 x 100 units of the ground, showing one of the
// five grass images.
#pragma once

#include "scene/SceneObject.h"

class GroundSet;

class Quarter : public SceneObject {
public:
    // Drawn with ground's grass images and list, which must outlive it.
    Quarter(const GroundSet& ground, float x, float y, float z);
    void draw(double seconds) override;

    int grassIndex;   // 0 to 4

private:
    const GroundSet* ground;
};
