// LightObject: the city's directional light (GL_LIGHT0). Drawing it places
// the light under the frame's view transform so it keeps its direction in
// the world.
#pragma once

#include "scene/SceneObject.h"

class LightObject : public SceneObject {
public:
    // (x, y, z) points from the scene toward the light.
    LightObject(float x, float y, float z);
    void draw(double seconds) override;
};
