// Turns the photo library into the objects of the city, in a fixed order.
#pragma once

#include <vector>

class SceneObject;

class CityBuilder {
public:
    explicit CityBuilder(const char* libraryPath);
    // Appends every object of the city to sceneObjects (empty on entry).
    bool build(std::vector<SceneObject*>* sceneObjects);

private:
    const char* libraryPath;   // not owned
};
