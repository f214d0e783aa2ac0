// Owns the caches of the libraries opened; their writers end with them.
#include "textures/ThumbnailCacheSet.h"

std::shared_ptr<ThumbnailCache> ThumbnailCacheSet::open(const std::string& folder, const std::string& libraryPath)
{
    caches.push_back(std::make_shared<ThumbnailCache>(folder, libraryPath));
    return caches.back();
}

void ThumbnailCacheSet::waitForWriters()
{
    for (const std::shared_ptr<ThumbnailCache>& cache : caches)
        cache->waitForWriter();
}
