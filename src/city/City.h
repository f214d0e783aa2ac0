// A built city: the library's records and the objects made from them, and
// how far it reaches. It owns both; the objects are declared after the
// records so that they go first, as every house points at its record.
#pragma once

#include <memory>
#include <vector>

#include "city/CityPlan.h"
#include "library/MonthQuarter.h"
#include "scene/SceneObject.h"

struct City {
    std::vector<std::unique_ptr<MonthQuarter>> records;
    std::vector<std::unique_ptr<SceneObject>> objects;   // in drawing order
    double viewDistance = 0.0;   // how far the far plane must reach to show it all
    CityGround ground{};
    bool libraryEmpty = false;   // the library held no record at all
};
