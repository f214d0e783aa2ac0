// The unit box every photo box draws, as one display list, and the atlas its
// photos lie in: made once for the city while a GL context is current, and
// freed with it; the boxes made with it go first.
#pragma once

#include "scene/NotCopyable.h"

class PhotoAtlas;

class UnitBox : NotCopyable {
public:
    // The photos' atlas must outlive the box.
    explicit UnitBox(PhotoAtlas& photos);
    ~UnitBox();

    // The box at the origin, with the bound texture on every face.
    void draw() const;
    PhotoAtlas& photos() const { return *atlas; }

private:
    unsigned int list;
    PhotoAtlas* atlas;   // not owned
};
