// A 100 x 100 grass tile of the ground, showing one of five grass images.
#pragma once

#include "scene/SceneObject.h"

class Quarter : public SceneObject {
public:
    Quarter(float x, float y, float z);
    void draw(double seconds) override;

    int grassIndex;   // 0 to 4
};
