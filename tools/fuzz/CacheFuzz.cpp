// libFuzzer target for the thumbnail cache's reader: every input is written
// as a library's cache file and read as the viewer reads it, then read again
// with the trailer's length and index checksum made right, so that mutations
// reach the index's entries and the blocks behind them, not only the
// checksum that guards them. What the reader hands out must be a size the
// atlas takes, with levels of that size.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "textures/ThumbnailCache.h"
#include "textures/ThumbnailDecoder.h"

namespace {

// A library path that does not exist is kept as given, so the seeds, made
// with it, name this library wherever the scratch folder lies.
const char libraryPath[] = "/zv-fuzz/Zandervale.xml";
constexpr size_t trailerBytes = 40;
// The scratch folder without its slash, and the cache file the viewer reads there.
struct Scratch {
    std::string folder, cacheFile;
};

const Scratch& scratch()
{
    static const Scratch made = [] {
        std::string folder = scratchFolder("cache");
        folder.pop_back();
        return Scratch{folder, ThumbnailCache(folder, libraryPath).filePath()};
    }();
    return made;
}

void writeFile(const std::string& bytes)
{
    std::FILE* file = std::fopen(scratch().cacheFile.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        std::abort();
    std::fclose(file);
}

// The stamps the seeds were made with: t1.jpg from 10 up, t2.png from 20.
FileStamp seedStamp(int64_t first)
{
    FileStamp stamp;
    stamp.device = first, stamp.inode = first + 1, stamp.size = first + 2;
    stamp.modifiedSeconds = first + 3, stamp.modifiedNanoseconds = first + 4;
    stamp.changedSeconds = first + 5, stamp.changedNanoseconds = first + 6;
    return stamp;
}

void readAsTheViewerDoes()
{
    const ThumbnailCache cache(scratch().folder, libraryPath);
    for (const char* name : {"/zv-fuzz/t1.jpg", "/zv-fuzz/t2.png"}) {
        int width = 0, height = 0;
        std::vector<unsigned char> small, blocks;
        FullLevelAt full;
        if (!cache.find(name, seedStamp(name[10] == '1' ? 10 : 20), &width, &height, &small, &full))
            continue;
        const size_t expected = size_t(wholeBlocks(width + 2)) * wholeBlocks(height + 2) / 2;
        if (width < 1 || height < 1 || width > largestAtlasPhoto || height > largestAtlasPhoto ||
            small.size() != size_t(smallLevelBytes) || full.width != width || full.height != height ||
            (cache.readFull(full, &blocks) && blocks.size() != expected))
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    scratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    writeFile(bytes);
    readAsTheViewerDoes();
    if (size < trailerBytes)
        return 0;
    // The trailer: index start, entry count, length, index checksum, mark.
    const size_t trailer = size - trailerBytes;
    int64_t indexAt = 0;
    std::memcpy(&indexAt, &bytes[trailer], 8);
    if (indexAt < 0 || uint64_t(indexAt) > trailer)
        return 0;
    const int64_t length = int64_t(size);
    const uint64_t checksum = cacheChecksum(bytes.data() + indexAt, trailer - size_t(indexAt));
    std::memcpy(&bytes[trailer + 16], &length, 8);
    std::memcpy(&bytes[trailer + 24], &checksum, 8);
    writeFile(bytes);
    readAsTheViewerDoes();
    return 0;
}
