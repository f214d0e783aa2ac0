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
    // The cache of the library at libraryPath in folder, kept by the set and
    // shared with the load that reads the library: a process ended in the
    // middle of a load (Escape while the progress shows) lets the set go
    // while the load's workers still ask the cache.
    std::shared_ptr<ThumbnailCache> open(const std::string& folder, const std::string& libraryPath);
    // Waits for every file the caches began to write (tests, tools).
    void waitForWriters();

private:
    std::vector<std::shared_ptr<ThumbnailCache>> caches;
};
