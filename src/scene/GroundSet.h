// What the ground's pieces draw with: the five grass images and the grass
// tile's display list, the street and crossing images and the lists of the
// three road pieces. Made once for the city while a GL context is current,
// and freed with it; the tiles and streets made with it go first.
#pragma once

#include "scene/NotCopyable.h"
#include "textures/TextureName.h"

class GroundSet : NotCopyable {
public:
    static constexpr int grassCount = 5;

    GroundSet();
    ~GroundSet();

    // The grass tile centred on (x, y, z) showing grass image (0 to
    // grassCount - 1; another number leaves the bound texture). Here and in
    // drawStreet, a piece wholly outside the current view is neither drawn
    // nor bound.
    void drawGrass(int image, float x, float y, float z) const;
    // The road piece of kind (a Street::Kind) centred on (x, y, z); nothing
    // for another kind.
    void drawStreet(int kind, float x, float y, float z) const;

private:
    TextureName grassImages[grassCount];
    TextureName streetImage;
    TextureName crossingImage;
    unsigned int grassList;
    unsigned int streetLists[3];   // by Street::Kind
};
