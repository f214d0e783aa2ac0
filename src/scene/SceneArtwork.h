// Everything the city's objects share: the images and display lists of the
// signs and of the ground, and the unit box. Made once for a city, with a GL
// context current and the library's years known; every object made with it
// goes first.
#pragma once

#include "library/PictureLibrary.h"
#include "scene/GroundSet.h"
#include "scene/SignSet.h"
#include "scene/UnitBox.h"

struct SceneArtwork {
    SceneArtwork(YearSpan years, PhotoAtlas& photos) : signs(years), box(photos) {}

    SignSet signs;
    GroundSet ground;
    UnitBox box;
};
