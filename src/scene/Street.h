// Street: a piece of road 20 units wide, a crossing or a 100-unit straight
// piece. It also names the month and year of its place in the city.
#pragma once

#include "scene/SceneObject.h"

class GroundSet;

class Street : public SceneObject {
public:
    enum Kind { crossing = 0, eastWest = 1, northSouth = 2 };

    // Drawn with ground's road images and lists, which must outlive it.
    Street(const GroundSet& ground, float x, float y, float z, int kind, int month, int year);
    void draw(double seconds) override;

    // Distance from the piece's centre to the point, truncated.
    int distanceTo(float px, float py, float pz) const;

    int kind;
    int month;
    int year;

private:
    const GroundSet* ground;
};
