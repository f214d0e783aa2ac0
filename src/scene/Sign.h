// Sign: a year or month banner over the streets, a year or month label on
// the ground, or the title sign, drawn with the city's sign set.
#pragma once

#include "scene/SceneObject.h"

class SignSet;

class Sign : public SceneObject {
public:
    enum Kind { title = 0, yearBanner = 1, monthBanner = 2, yearLabel = 3, monthLabel = 4 };

    // Drawn with signs' images and lists, which must outlive it.
    Sign(const SignSet& signs, float x, float y, float z, int kind, int index);
    void draw(double seconds) override;

    int kind;
    int index;   // kinds 1 and 3: year - the sign set's first year; kinds 2 and 4: a month number
    const SignSet& set() const { return *signs; }

private:
    const SignSet* signs;
};
