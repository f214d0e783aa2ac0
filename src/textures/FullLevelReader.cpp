// One worker is enough: a full level is one pread of a few kilobytes and
// its checksum (or, on a first opening, one thumbnail decoded), and the GL
// thread places only a few dozen a frame.
#include "textures/FullLevelReader.h"

#include "textures/ThumbnailDecoder.h"

namespace {

// Reads finished and not yet taken, at most: a few frames' worth.
constexpr size_t readsAhead = 256;

}  // namespace

FullLevelReader::~FullLevelReader()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    asked.notify_all();
    if (worker.joinable())
        worker.join();
}

void FullLevelReader::ask(TextureName photo, const FullLevelSource& source)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        asks.push_back({photo, source});
    }
    if (!worker.joinable())
        worker = std::thread([this] { work(); });
    asked.notify_one();
}

std::vector<FullLevelReader::Read> FullLevelReader::take(size_t most)
{
    std::vector<Read> taken;
    {
        std::lock_guard<std::mutex> guard(lock);
        while (!reads.empty() && taken.size() < most) {
            taken.push_back(std::move(reads.front()));
            reads.pop_front();
        }
    }
    if (!taken.empty())
        asked.notify_one();
    return taken;
}

void FullLevelReader::work()
{
    for (;;) {
        Ask next;
        {
            std::unique_lock<std::mutex> guard(lock);
            // Never far ahead of the GL thread: a walk past thousands of
            // photos would otherwise hold all their blocks at once.
            asked.wait(guard, [this] { return stopping || (!asks.empty() && reads.size() < readsAhead); });
            if (stopping)
                return;
            next = std::move(asks.front());
            asks.pop_front();
        }
        Read read{next.photo, next.source.at, {}, false};
        if (next.source.cache != nullptr && next.source.at.offset >= 0) {
            read.whole = next.source.cache->readFull(next.source.at, &read.blocks);
        } else {
            DecodedThumbnail again = decodeThumbnail(next.source.path.c_str(), true, true, ThumbnailLevels::fullOnly);
            read.whole = again.decoded && again.width == read.at.width && again.height == read.at.height;
            read.blocks = std::move(again.blocks);
        }
        std::lock_guard<std::mutex> guard(lock);
        reads.push_back(std::move(read));
    }
}
