// A textured box showing one photo on all six faces: the building block of a
// house. All boxes share one display list of the unit box (50 x 37.5 x 50).
#pragma once

#include "textures/TextureName.h"
#include "scene/BoxFootprint.h"
#include "scene/SceneObject.h"

class Cube : public SceneObject {
public:
    Cube(float x, float y, float z, float rotationX, float rotationY, float rotationZ,
         float scale, TextureName texture);

    void draw(double seconds) override;
    void drawForPicking() override;
    bool collides(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                  float* outX, float* outY, float* outZ) override;

    // The box as the collision test sees it.
    BoxShape shape() const { return { x, y, z, rotationY, scale }; }

    // The display list of the unit box, 0 until the first box is made.
    static unsigned int sharedList();

    // The six faces as quads already turned, placed and scaled into the
    // parent frame, for a list that draws many boxes in one go; the texture
    // coordinates are mapped into the rectangle (s0, t0)-(s1, t1). Faces
    // whose bit (1 << face, see unseenFaces) is set in leftOut are not
    // emitted. Call between glBegin(GL_QUADS) and glEnd.
    void emitInParentFrame(float s0, float t0, float s1, float t1, unsigned leftOut = 0) const;
    // Whether face f (0 to 5) turns its back, in the parent frame, to every
    // eye whose x, y and z lie between eyeLow and eyeHigh (which may be
    // infinite): such a face is culled wherever the eye is in that region.
    bool facesAwayFrom(int f, const float eyeLow[3], const float eyeHigh[3]) const;
    // Widens the box min/max (x, y, z each, parent frame) to hold this box.
    void extendBounds(float* min, float* max) const;

    TextureName texture;
    float scale;

private:
    void applyTransform() const;
};
