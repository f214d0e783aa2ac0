// Year and month banners over the streets, year and month labels on the
// ground and the title sign. All signs share nine display lists and the
// year, month and title textures.
#pragma once

#include "scene/SceneObject.h"

class Sign : public SceneObject {
public:
    enum Kind { title = 0, yearBanner = 1, monthBanner = 2, yearLabel = 3, monthLabel = 4 };

    Sign(float x, float y, float z, int kind, int index);
    void draw(double seconds) override;

    int kind;
    int index;   // kinds 1 and 3: year - 1998; kinds 2 and 4: a month number
};
