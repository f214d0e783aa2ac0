// CityBuilder: turns the photo library into a city, its records and the
// objects made from them, in a fixed order.
#pragma once

#include "city/City.h"
#include "library/PictureLibrary.h"

class PhotoAtlas;

class CityBuilder {
public:
    // The library's thumbnails go into photos, and its thumbnail cache is
    // opened into caches.
    CityBuilder(const char* libraryPath, PhotoAtlas& photos, ThumbnailCacheSet& caches);
    // Reads the library into city (empty on entry) and makes every object of
    // the city, telling progress while the textures load. A library that
    // cannot be read prints its error line, leaves city empty and is false.
    bool build(City* city, const LoadProgress& progress = {});

private:
    const char* libraryPath;   // not owned
    PhotoAtlas& photos;
    ThumbnailCacheSet& caches;
};
