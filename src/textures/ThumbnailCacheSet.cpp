// Owns the caches of the libraries opened; their writers end with them.
#include "textures/ThumbnailCacheSet.h"

ThumbnailCache* ThumbnailCacheSet::open(const std::string& folder, const std::string& libraryPath)
{
    caches.push_back(std::make_unique<ThumbnailCache>(folder, libraryPath));
    return caches.back().get();
}

void ThumbnailCacheSet::waitForWriters()
{
    for (const std::unique_ptr<ThumbnailCache>& cache : caches)
        cache->waitForWriter();
}
