// Turns the photo library into the objects of the city, in a fixed order.
#pragma once

#include <memory>
#include <vector>

#include "city/CityPlan.h"
#include "library/PictureLibrary.h"

class SceneObject;
struct SceneArtwork;

class CityBuilder {
public:
    explicit CityBuilder(const char* libraryPath);
    // Releases the records it read and the artwork the objects share; the
    // objects built from them must go first.
    ~CityBuilder();
    CityBuilder(const CityBuilder&) = delete;
    CityBuilder& operator=(const CityBuilder&) = delete;
    // Appends every object of the city to sceneObjects (empty on entry),
    // telling progress while the library's textures load.
    bool build(std::vector<SceneObject*>* sceneObjects, const LoadProgress& progress = {});
    // After build: how far the far plane must reach to show the whole city.
    double viewDistance() const { return sightDistance; }
    // After build: the ground the city covers.
    const CityGround& ground() const { return cityArea; }
    // After build: whether the library held no record at all.
    bool libraryEmpty() const { return noRecords; }

private:
    const char* libraryPath;   // not owned
    std::vector<MonthQuarter*> library;   // the records every house points at, owned
    std::unique_ptr<SceneArtwork> artwork;   // what the objects draw with
    double sightDistance = 0.0;
    CityGround cityArea{};
    bool noRecords = false;
};
