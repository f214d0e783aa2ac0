// Cube: a box showing one photo on all six faces, the building block of a
// house. Boxes draw the one unit box (50 x 37.5 x 50) they are made with,
// turned, placed and scaled.
#pragma once

#include "textures/TextureName.h"
#include "scene/BoxFootprint.h"
#include "scene/SceneObject.h"

class UnitBox;

// The unit box's six faces with their normals and texture coordinates, as
// one GL_QUADS primitive.
void emitUnitBox();

class Cube : public SceneObject {
public:
    // Drawn with box, which must outlive it.
    Cube(const UnitBox& box, float x, float y, float z, float rotationX, float rotationY, float rotationZ,
         float scale, TextureName texture);

    void draw(double seconds) override;
    void drawForPicking() override;
    bool collides(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                  float* outX, float* outY, float* outZ) override;

    // The box as the collision test sees it.
    BoxShape shape() const { return { x, y, z, rotationY, scale }; }

    const UnitBox& unitBox() const { return *box; }
    // Binds the box's photo for texture coordinates 0 to 1 (unbindPhoto resets).
    void bindPhoto() const;

    // The six faces as quads already turned, placed and scaled into the
    // parent frame, for a list that draws many boxes in one go; the texture
    // coordinates are mapped into the rectangle (s0, t0)-(s1, t1). Faces
    // whose bit (1 << face, see unseenFaces) is set in leftOut are not
    // emitted. Where levelsBelow is given, side f (0 to 3) reaches
    // levelsBelow[f] box heights further down, standing in for the sides of
    // the boxes stacked under it. Call between glBegin(GL_QUADS) and glEnd.
    void emitInParentFrame(float s0, float t0, float s1, float t1, unsigned leftOut = 0,
                           const int* levelsBelow = nullptr) const;
    // The middle of side f's (0 to 3) top edge, or of its bottom edge, in
    // the parent frame.
    void sideEdgeMiddle(int f, bool top, float out[3]) const;
    // The bits (1 << face) of the faces that turn their back, in the parent
    // frame, to every eye whose x, y and z lie between eyeLow and eyeHigh
    // (which may be infinite): such a face is culled wherever the eye is in
    // that region.
    unsigned facesAwayFrom(const float eyeLow[3], const float eyeHigh[3]) const;
    // The bits of the faces whose plane the eye (parent frame) stands more
    // than margin behind, where they turn their back to it.
    unsigned facesBehind(const float eye[3], float margin) const;
    // Widens the box min/max (x, y, z each, parent frame) to hold this box.
    void extendBounds(float* min, float* max) const;

    TextureName texture;
    float scale;

private:
    void applyTransform() const;
    template <typename Test> unsigned facesWhere(Test test) const;

    const UnitBox* box;
};
