// Reads thumbnails' full levels back from their cache on a thread of its
// own, in the order they were asked for, so that the GL thread only places
// what was read and a walk never waits on the disk.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "textures/TextureName.h"
#include "textures/ThumbnailCache.h"

// Where a photo's full level can be read again: its cache, which the
// source keeps open, and the place in it; or, while no cache holds it yet,
// the thumbnail's file, decoded again.
struct FullLevelSource {
    std::shared_ptr<const ThumbnailCache> cache;
    FullLevelAt at;
    std::string path;
    bool known() const { return (cache != nullptr && at.offset >= 0) || !path.empty(); }
};

class FullLevelReader {
public:
    struct Read {
        TextureName photo;
        FullLevelAt at;
        std::vector<unsigned char> blocks;
        bool whole;   // false when the cache no longer holds what was written
    };

    FullLevelReader() = default;
    ~FullLevelReader();
    FullLevelReader(const FullLevelReader&) = delete;
    FullLevelReader& operator=(const FullLevelReader&) = delete;

    // The thread starts with the first ask.
    void ask(TextureName photo, const FullLevelSource& source);
    // Up to most reads finished since the last take, oldest first.
    std::vector<Read> take(size_t most);

private:
    void work();

    struct Ask {
        TextureName photo;
        FullLevelSource source;
    };
    std::mutex lock;
    std::condition_variable asked;
    std::deque<Ask> asks;
    std::deque<Read> reads;
    bool stopping = false;
    std::thread worker;
};
