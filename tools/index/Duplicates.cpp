// Sizes first, since almost every photo's differs; a hash of the content's
// ends groups the rest, and a byte comparison makes sure before a photo is hidden.
#include "Duplicates.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>

namespace photoindex {

namespace {

constexpr size_t chunkBytes = size_t(1) << 20, hashedBytes = size_t(64) << 10;
// Past the decode budget a photo is refused anyway; two sparse files of one
// huge size must not cost a read of every zero.
constexpr long long largestCompared = 512ll << 20;

// Reads the file at path in chunks, handing each to use; false when it cannot be read whole.
template <typename Use>
bool readChunks(const std::string& path, long long size, Use use)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    std::vector<unsigned char> chunk(chunkBytes);
    long long done = 0;
    while (done < size) {
        const ssize_t got = read(fd, chunk.data(), chunk.size());
        if (got <= 0 || !use(chunk.data(), static_cast<size_t>(got), done))
            break;
        done += got;
    }
    close(fd);
    return done == size;
}

// FNV-1a over the file's first and last hashedBytes, where photos of one
// size differ (EXIF times and the end of the scan data); 0 where it cannot
// be read. Equal hashes are compared whole.
uint64_t contentHash(const FoundPhoto& photo)
{
    const int fd = open(photo.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    std::vector<unsigned char> bytes(hashedBytes);
    uint64_t hash = 14695981039346656037ull;
    bool read = true;
    for (const long long at : {0ll, std::max(0ll, photo.size - static_cast<long long>(hashedBytes))}) {
        const size_t want = static_cast<size_t>(std::min<long long>(photo.size, hashedBytes));
        read = read && pread(fd, bytes.data(), want, at) == static_cast<ssize_t>(want);
        for (size_t i = 0; read && i < want; ++i)
            hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    close(fd);
    return read ? hash | 1 : 0;
}

bool sameBytes(const FoundPhoto& a, const FoundPhoto& b)
{
    const int fd = open(b.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    std::vector<unsigned char> other(chunkBytes);
    const bool same = readChunks(a.path, a.size, [&](const unsigned char* bytes, size_t size, long long at) {
        return pread(fd, other.data(), size, at) == static_cast<ssize_t>(size) &&
               std::memcmp(bytes, other.data(), size) == 0;
    });
    close(fd);
    return same;
}

}  // namespace

std::vector<Duplicate> removeDuplicates(std::vector<FoundPhoto>* photos)
{
    std::map<long long, std::vector<size_t>> bySize;
    for (size_t i = 0; i < photos->size(); ++i)
        bySize[(*photos)[i].size].push_back(i);
    std::vector<bool> duplicate(photos->size(), false);
    std::vector<Duplicate> found;
    for (const auto& [size, indices] : bySize) {
        if (indices.size() < 2 || size > largestCompared)
            continue;
        std::map<uint64_t, std::vector<size_t>> kept;   // hash -> the photos kept with it
        for (size_t i : indices) {
            const uint64_t hash = contentHash((*photos)[i]);
            std::vector<size_t>& same = kept[hash];
            for (size_t first : same)
                if (hash != 0 && sameBytes((*photos)[first], (*photos)[i])) {
                    duplicate[i] = true;
                    found.push_back({(*photos)[i].path, (*photos)[first].path});
                    break;
                }
            if (!duplicate[i])
                same.push_back(i);
        }
    }
    std::sort(found.begin(), found.end(), [](const Duplicate& a, const Duplicate& b) { return a.path < b.path; });
    std::vector<FoundPhoto> unique;
    for (size_t i = 0; i < photos->size(); ++i)
        if (!duplicate[i])
            unique.push_back(std::move((*photos)[i]));
    *photos = std::move(unique);
    return found;
}

}  // namespace photoindex
