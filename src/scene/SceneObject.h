// The common interface of everything drawn in the city: position, rotation,
// pick name and selection, and the three operations the scene root calls on
// every object (draw, draw for picking, collision test).
#pragma once

class SceneObject {
public:
    // Carried by every object that is not a house; house numbers start at 10,
    // so a pick can never match it.
    static constexpr int noPickName = -1;

    virtual ~SceneObject() = default;

    // Draws the object under the current modelview matrix; seconds is the
    // time since the previous frame.
    virtual void draw(double seconds) = 0;

    // Draws the object for the selection buffer. Only houses push names, so
    // the default draws nothing.
    virtual void drawForPicking() {}

    // Whether a step of the walker's eye from "from" to "to" (both in the
    // object's parent frame) is blocked. Objects never write the out
    // parameters; the scene root does. The default never blocks.
    virtual bool collides(float fromX, float fromY, float fromZ,
                          float toX, float toY, float toZ,
                          float* outX, float* outY, float* outZ)
    {
        (void)fromX; (void)fromY; (void)fromZ;
        (void)toX; (void)toY; (void)toZ;
        (void)outX; (void)outY; (void)outZ;
        return false;
    }

    int pickName = noPickName;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float rotationX = 0.0f;   // degrees
    float rotationY = 0.0f;
    float rotationZ = 0.0f;
    int selectedPicture = -1;
};
