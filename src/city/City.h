// A built city: the library's records, the artwork its objects share and
// the objects made from them, and how far it reaches. It owns them all; the
// objects are declared last so that they go first, as every house points at
// its record and every object at the artwork.
#pragma once

#include <memory>
#include <vector>

#include "city/CityPlan.h"
#include "library/MonthQuarter.h"
#include "scene/SceneArtwork.h"
#include "scene/SceneObject.h"

struct City {
    std::vector<std::unique_ptr<MonthQuarter>> records;
    std::unique_ptr<SceneArtwork> artwork;
    std::vector<std::unique_ptr<SceneObject>> objects;   // in drawing order
    double viewDistance = 0.0;   // how far the far plane must reach to show it all
    CityGround ground{};
    bool libraryEmpty = false;   // the library held no record at all
};
