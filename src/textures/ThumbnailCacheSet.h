// The thumbnail caches of the libraries a process opened. Each may still be
// writing its next file in the background after its library was read; the
// set keeps them until its owner lets it go, which stops and joins them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "textures/ThumbnailCache.h"

class ThumbnailCacheSet {
public:
    // The cache of the library at libraryPath in folder, kept by the set.
    ThumbnailCache* open(const std::string& folder, const std::string& libraryPath);
    // Waits for every file the caches began to write (tests, tools).
    void waitForWriters();

private:
    std::vector<std::unique_ptr<ThumbnailCache>> caches;
};
