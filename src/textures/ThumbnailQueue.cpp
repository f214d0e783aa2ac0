// Workers claim planned files in order, never more than `ahead` past the
// reader, and the reader empties each result once it has moved on, so the
// decoded pictures held at once stay bounded whatever the library's size.
#include "textures/ThumbnailQueue.h"

#include <algorithm>

namespace {

// Workers claim this many planned files at a time, and one waiting for
// room wakes only once a whole batch fits; the reader wakes only for the
// file it waits on. Woken for every file, the workers and the reader spent
// a large part of a 250,000-photo opening waking each other.
constexpr size_t batchFiles = 32;

}  // namespace

#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"

ThumbnailQueue::ThumbnailQueue(PhotoAtlas& photos_, std::vector<PlannedFile> plan_, int workerCount, int ahead_,
                               bool compress_, std::shared_ptr<ThumbnailCache> cache_)
    : photos(photos_), plan(std::move(plan_)), ahead(static_cast<size_t>(std::max(1, ahead_))), compress(compress_),
      cache(compress_ ? std::move(cache_) : nullptr),
      results(plan.size()),
      finished(std::make_unique<bool[]>(plan.size()))
{
    for (int i = 0; i < workerCount && !plan.empty(); ++i)
        workers.emplace_back([this] { work(); });
}

ThumbnailQueue::~ThumbnailQueue()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    roomAhead.notify_all();
    for (std::thread& worker : workers)
        worker.join();
}

bool ThumbnailQueue::roomForBatch() const
{
    const size_t batch = std::min({batchFiles, ahead, plan.size() - claimed});
    return claimed + batch <= taken + ahead;
}

void ThumbnailQueue::work()
{
    for (;;) {
        size_t first = 0, end = 0;
        {
            std::unique_lock<std::mutex> guard(lock);
            roomAhead.wait(guard, [this] { return stopping || claimed >= plan.size() || roomForBatch(); });
            if (stopping || claimed >= plan.size())
                return;
            first = claimed;
            end = claimed = std::min({plan.size(), taken + ahead, claimed + batchFiles});
        }
        for (size_t index = first; index < end; ++index) {
            DecodedThumbnail thumbnail = prepare(plan[index]);
            bool wake = false;
            {
                std::lock_guard<std::mutex> guard(lock);
                if (stopping)
                    return;
                results[index] = std::move(thumbnail);
                finished[index] = true;
                wake = readerWaitsFor == index;
            }
            if (wake)
                resultReady.notify_one();
        }
    }
}

DecodedThumbnail ThumbnailQueue::prepare(const PlannedFile& file) const
{
    if (cache == nullptr || !file.wanted)
        return decodeThumbnail(file.path.c_str(), file.wanted, compress);
    if (cache->entries() > 0) {
        // A file of the very stamp its levels were made from, change time
        // included, is the regular file read then, its mode and owner as
        // they were: the cache stands for it without opening it again.
        DecodedThumbnail thumbnail;
        thumbnail.stamp = stampOf(file.path.c_str());
        if (cache->find(file.path, thumbnail.stamp, &thumbnail.width, &thumbnail.height, &thumbnail.small,
                        &thumbnail.fullAt)) {
            thumbnail.file = FileCheck::Readable;
            thumbnail.decoded = thumbnail.cached = true;
            return thumbnail;
        }
    }
    // The small level only: the cache's writer makes the full one later.
    return decodeThumbnail(file.path.c_str(), true, compress, ThumbnailLevels::smallOnly);
}

FileCheck ThumbnailQueue::check(const char* path)
{
    const size_t end = std::min(plan.size(), current + ahead);
    size_t next = current;
    while (next < end && plan[next].path != path)
        ++next;
    offPlan = next == end;
    if (offPlan)
        return checkReadableFile(path);
    std::unique_lock<std::mutex> guard(lock);
    // Whatever the reader passed over is of no more use; a result still
    // being made there is left to its worker.
    for (; released < next; ++released) {
        if (finished[released])
            results[released] = DecodedThumbnail();
    }
    const bool roomBefore = roomForBatch();
    taken = next;
    if (!roomBefore && roomForBatch())
        roomAhead.notify_all();
    readerWaitsFor = next;
    resultReady.wait(guard, [this, next] { return finished[next]; });
    readerWaitsFor = nobody;
    current = next + 1;
    return results[next].file;
}

TextureName ThumbnailQueue::load(const char* path)
{
    DecodedThumbnail here;
    DecodedThumbnail* thumbnail = &here;
    // The worker's result was seen finished under the lock in check and is
    // not touched by any worker again.
    if (!offPlan && current > 0 && plan[current - 1].wanted && plan[current - 1].path == path)
        thumbnail = &results[current - 1];
    else
        here = decodeThumbnail(path, true, compress);
    // The full level stays in the cache file, made anew or not, wherever
    // the cache can keep it; the atlas reads it back when a house nears.
    // Until then, a full level made small only is decoded again from its file.
    FullLevelSource source;
    if (cache != nullptr && thumbnail != &here && thumbnail->decoded && !thumbnail->small.empty()) {
        const bool made = !thumbnail->cached;
        const FullLevelAt kept = cache->keep(path, thumbnail->stamp, thumbnail->width, thumbnail->height,
                                             made && !thumbnail->blocks.empty() ? thumbnail->blocks.data() : nullptr,
                                             made ? thumbnail->small.data() : nullptr);
        source.cache = cache;
        source.at = made ? kept : thumbnail->fullAt;
        if (source.at.offset < 0) {
            source.at = FullLevelAt{-1, 0, thumbnail->width, thumbnail->height, false};
            source.path = path;
        }
    }
    const TextureName name = thumbnail->decoded ? photos.upload(*thumbnail, source) : loadTexture(path);
    thumbnail->framed = std::vector<unsigned char>();
    thumbnail->blocks = std::vector<unsigned char>();
    thumbnail->small = std::vector<unsigned char>();
    return name;
}

int ThumbnailQueue::workersForThisMachine()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 8u));
}
