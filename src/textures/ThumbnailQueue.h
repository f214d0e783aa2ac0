// Decodes the thumbnails a library will ask for on worker threads, a
// bounded distance ahead of the one thread that takes them in order: that
// thread uploads them and prints every message, so the console keeps the
// library's document order and every GL call stays on it.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "textures/TextureName.h"
#include "textures/ThumbnailDecoder.h"

class PhotoAtlas;

// A file the reader will check, and load when wanted, in this order.
struct PlannedFile {
    std::string path;
    bool wanted;
};

class ThumbnailQueue {
public:
    // Decoded pictures are uploaded into photos, which must outlive the
    // queue. At most ahead decoded pictures wait to be taken at any time; with
    // compress the workers make both levels as DXT1 blocks, or take the
    // small level from cache (may be null) where it holds them, and hand
    // them to it once loaded. The workers share the cache until the queue
    // is destroyed, the atlas for as long as it reads full levels from it.
    ThumbnailQueue(PhotoAtlas& photos, std::vector<PlannedFile> plan, int workers, int ahead, bool compress = false,
                   std::shared_ptr<ThumbnailCache> cache = nullptr);
    ~ThumbnailQueue();
    ThumbnailQueue(const ThumbnailQueue&) = delete;
    ThumbnailQueue& operator=(const ThumbnailQueue&) = delete;

    // The next planned file's check, waiting for its worker. A path that is
    // not the next planned one (the plan and the reader disagree) is
    // checked here, and a later load decodes it here too.
    FileCheck check(const char* path);
    // The texture of the file last checked: the decoded picture uploaded
    // into photos, or DevIL's texture where it was not decoded.
    TextureName load(const char* path);

    // Workers for this machine: one per core, at most eight.
    static int workersForThisMachine();

private:
    void work();
    // Under lock: whether a worker may claim a whole batch, or all that is left.
    bool roomForBatch() const;
    DecodedThumbnail prepare(const PlannedFile& file) const;

    PhotoAtlas& photos;
    const std::vector<PlannedFile> plan;
    const size_t ahead;
    const bool compress;
    const std::shared_ptr<ThumbnailCache> cache;
    std::vector<DecodedThumbnail> results;
    std::unique_ptr<bool[]> finished;   // per planned file, under lock
    std::mutex lock;
    std::condition_variable resultReady;
    std::condition_variable roomAhead;
    size_t claimed = 0;   // planned files handed to workers
    size_t taken = 0;     // planned files the reader has moved past
    size_t released = 0;  // results before this one are emptied or being made
    static constexpr size_t nobody = size_t(-1);
    size_t readerWaitsFor = nobody;   // the result the reader sleeps on
    bool stopping = false;
    std::vector<std::thread> workers;

    // The reader's side, used by its thread alone.
    size_t current = 0;    // 1 + the planned file last checked, 0 for none
    bool offPlan = false;  // the last check was not the planned one
};
