// The unit box every photo box draws, as one display list: made once for
// the city while a GL context is current, and freed with it; the boxes made
// with it go first.
#pragma once

#include "scene/NotCopyable.h"

class UnitBox : NotCopyable {
public:
    UnitBox();
    ~UnitBox();

    // The box at the origin, with the bound texture on every face.
    void draw() const;

private:
    unsigned int list;
};
