// The cache file: a header with the format's version, the blocks of the
// thumbnails' full levels and small levels, the small ones side by side in
// the library's order as far as they were made together (a first opening
// writes them in runs, not one by one), then an index of (stamp, offsets
// and checksums of both levels, size in texels, path) and a trailer that
// says where the index starts, how many entries it has, how long the whole
// file is and the index's checksum. A file is written under
// a temporary name and renamed over the old one, so a reader sees a whole
// file or none; one cut short, changed or too large fails the trailer's
// checks, changed blocks fail their entry's checksum.
#include "textures/ThumbnailCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "textures/ThumbnailDecoder.h"

namespace {

const char headMagic[8] = {'Z', 'V', 'C', 'A', 'C', 'H', 'E', '1'};
const char tailMagic[8] = {'Z', 'V', 'C', 'E', 'N', 'D', '0', '1'};
constexpr int64_t headBytes = 16;
constexpr int64_t tailBytes = 40;
// The version of the layout; a file of another one is made again.
constexpr uint32_t formatVersion = 4;
// Seven stamp fields, two offsets and two checksums, then width, height and
// the path's length; the path follows.
constexpr int64_t entryBytes = 11 * 8 + 3 * 2;
constexpr int64_t longestPath = PATH_MAX;
// A 1 x 1 thumbnail framed and widened to whole blocks, one DXT1 block,
// and its small level.
constexpr int64_t smallestBlocks = 8 + smallLevelBytes;
// Small levels made anew wait in memory for this many bytes to be written
// at once: a write of 504 bytes costs the kernel more than a run of a
// thousand.
constexpr size_t smallRunBytes = 512 * 1024;

int64_t blockBytes(int width, int height)
{
    return int64_t(wholeBlocks(width + 2)) * wholeBlocks(height + 2) / 2;
}

std::string hexName(const std::string& text)
{
    uint64_t hash = 14695981039346656037ull;   // FNV-1a
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

// The stamp's fields in their order on disk.
std::array<int64_t*, 7> fieldsOf(FileStamp* stamp)
{
    return {&stamp->device, &stamp->inode, &stamp->size, &stamp->modifiedSeconds, &stamp->modifiedNanoseconds,
            &stamp->changedSeconds, &stamp->changedNanoseconds};
}

// Little helpers for the byte layout, native order (the file never leaves
// the machine; the format word would show another order as foreign).
template <typename T>
void put(std::string* bytes, T value)
{
    bytes->append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
bool take(const char* bytes, size_t size, size_t* at, T* value)
{
    if (size - *at < sizeof(T))
        return false;
    std::memcpy(value, bytes + *at, sizeof(T));
    *at += sizeof(T);
    return true;
}

// pread and pwrite move what they can; this goes on until all of it moved.
template <typename Byte, typename Move>
bool moveWhole(Move move, int file, Byte* bytes, int64_t length, int64_t offset)
{
    while (length > 0) {
        const ssize_t moved = move(file, bytes, static_cast<size_t>(length), offset);
        if (moved <= 0)
            return false;
        bytes += moved, length -= moved, offset += moved;
    }
    return true;
}

bool readAt(int file, void* into, int64_t length, int64_t offset)
{
    return moveWhole(pread, file, static_cast<char*>(into), length, offset);
}

bool writeAt(int file, const void* from, int64_t length, int64_t offset)
{
    return moveWhole(pwrite, file, static_cast<const char*>(from), length, offset);
}

bool makeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

// Cache files beyond the bound, the least recently used first, and the
// temporary files of writers that no longer run.
void prune(const std::string& folder, const std::string& keepPath)
{
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr)
        return;
    struct File {
        std::string path;
        int64_t bytes;
        int64_t seconds;
    };
    std::vector<File> files;
    for (dirent* entry = readdir(directory); entry != nullptr; entry = readdir(directory)) {
        const std::string name = entry->d_name, full = folder + "/" + name;
        struct stat info;
        if (lstat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        int pid = 0;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0 &&
            std::sscanf(name.c_str(), "%*16[0-9a-f].zvcache.%d.tmp", &pid) == 1 && kill(pid, 0) != 0 && errno == ESRCH)
            unlink(full.c_str());
        else if (name.size() > 8 && name.compare(name.size() - 8, 8, ".zvcache") == 0)
            files.push_back({full, int64_t(info.st_size), int64_t(info.st_mtime)});
    }
    closedir(directory);
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.seconds > b.seconds; });
    int64_t total = 0;
    for (const File& file : files) {
        total += file.bytes;
        if (total > thumbnailCacheBytes && file.path != keepPath)
            unlink(file.path.c_str());
    }
}

uint64_t rotateLeft(uint64_t value, int bits)
{
    return value << bits | value >> (64 - bits);
}

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size &&
           modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds &&
           changedSeconds == other.changedSeconds && changedNanoseconds == other.changedNanoseconds;
}

FileStamp stampOf(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 ? stampOf(info) : FileStamp();
}

FileStamp stampOf(const struct stat& info)
{
    FileStamp stamp;
    stamp.device = int64_t(info.st_dev);
    stamp.inode = int64_t(info.st_ino);
    stamp.size = info.st_size;
    stamp.modifiedSeconds = info.st_mtim.tv_sec;
    stamp.modifiedNanoseconds = info.st_mtim.tv_nsec;
    stamp.changedSeconds = info.st_ctim.tv_sec;
    stamp.changedNanoseconds = info.st_ctim.tv_nsec;
    return stamp;
}

uint64_t cacheChecksum(const void* bytes, size_t length)
{
    // Each step is one-to-one in the running value and in the word, and so
    // is folding the four lanes together, so a single changed word always
    // shows. Four lanes let the multiplies overlap: a second opening checks
    // every thumbnail it draws.
    constexpr uint64_t mix = 0x9E3779B185EBCA87ull, spread = 0xC2B2AE3D27D4EB4Full;
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    const auto step = [](uint64_t hash, uint64_t word) { return rotateLeft(hash ^ word * spread, 31) * mix; };
    const auto wordAt = [](const unsigned char* place) {
        uint64_t word;
        std::memcpy(&word, place, 8);
        return word;
    };
    uint64_t a = 0x27D4EB2F165667C5ull ^ length, b = 0x165667B19E3779F9ull, c = 0x85EBCA77C2B2AE63ull, d = mix;
    for (; length >= 32; at += 32, length -= 32) {
        a = step(a, wordAt(at));
        b = step(b, wordAt(at + 8));
        c = step(c, wordAt(at + 16));
        d = step(d, wordAt(at + 24));
    }
    uint64_t hash = (((a ^ b) * mix ^ c) * mix ^ d) * mix;
    for (; length >= 8; at += 8, length -= 8)
        hash = step(hash, wordAt(at));
    for (; length > 0; ++at, --length)
        hash = step(hash, *at);
    return hash ^ hash >> 29;
}

std::string thumbnailCacheFolder()
{
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    // The base directory rules ignore a relative path.
    if (cacheHome != nullptr && cacheHome[0] == '/')
        return std::string(cacheHome) + "/zandervale";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.cache/zandervale";
    return std::string();
}

ThumbnailCache::ThumbnailCache(std::string folder_, const std::string& libraryPath_)
    : folder(std::move(folder_)), libraryPath([&] {
          char* resolved = realpath(libraryPath_.c_str(), nullptr);
          const std::string full = resolved != nullptr ? resolved : libraryPath_;
          std::free(resolved);
          return full;
      }())
{
    if (folder.empty())
        return;
    path = folder + "/" + hexName(libraryPath) + ".zvcache";
    // Not blocking: a FIFO in the file's place must not hold the viewer.
    oldFile = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (oldFile < 0)
        return;
    switch (readIndex()) {
    case Refusal::none:
        // Marks the library as opened now, for the bound's oldest-first rule.
        futimens(oldFile, nullptr);
        break;
    case Refusal::olderFormat:
        break;
    case Refusal::damaged:
        sayDropped("it is damaged");
        break;
    case Refusal::foreign:
        sayDropped("it belongs to another library");
        break;
    }
}

ThumbnailCache::Refusal ThumbnailCache::readIndex()
{
    struct stat info;
    char head[headBytes], tail[tailBytes];
    // The size is judged before anything is read or allocated: the writer
    // never makes a file beyond the bound.
    if (fstat(oldFile, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < headBytes + tailBytes ||
        info.st_size > thumbnailCacheBytes || !readAt(oldFile, head, headBytes, 0) ||
        !readAt(oldFile, tail, tailBytes, info.st_size - tailBytes) || std::memcmp(head, headMagic, 8) != 0)
        return Refusal::damaged;
    uint32_t format = 0;
    std::memcpy(&format, head + 8, 4);
    if (format != formatVersion)
        return Refusal::olderFormat;
    int64_t indexAt = 0, count = 0, length = 0;
    uint64_t indexChecksum = 0;
    std::memcpy(&indexAt, tail, 8);
    std::memcpy(&count, tail + 8, 8);
    std::memcpy(&length, tail + 16, 8);
    std::memcpy(&indexChecksum, tail + 24, 8);
    if (std::memcmp(tail + 32, tailMagic, 8) != 0 || length != info.st_size || indexAt < headBytes ||
        indexAt > length - tailBytes || count < 0 || count > (indexAt - headBytes) / smallestBlocks)
        return Refusal::damaged;
    // The index holds the library's path and count entries, each with a
    // path no longer than the system's.
    const int64_t indexLength = length - tailBytes - indexAt;
    if (indexLength < 4 + count * entryBytes || indexLength > 4 + longestPath + count * (entryBytes + longestPath))
        return Refusal::damaged;
    const size_t size = static_cast<size_t>(indexLength);
    const std::unique_ptr<char[]> bytes(new (std::nothrow) char[size]);
    if (bytes == nullptr || !readAt(oldFile, bytes.get(), indexLength, indexAt) ||
        cacheChecksum(bytes.get(), size) != indexChecksum)
        return Refusal::damaged;
    size_t at = 0;
    uint32_t libraryLength = 0;
    if (!take(bytes.get(), size, &at, &libraryLength) || size - at < libraryLength ||
        std::string(&bytes[at], libraryLength) != libraryPath)
        return Refusal::foreign;   // another library's file under this name
    at += libraryLength;
    std::unordered_map<std::string, Entry> read;
    for (int64_t i = 0; i < count; ++i) {
        Entry entry{};
        uint16_t width = 0, height = 0, pathLength = 0;
        bool whole = true;
        for (int64_t* field : fieldsOf(&entry.stamp))
            whole = whole && take(bytes.get(), size, &at, field);
        if (!whole || !take(bytes.get(), size, &at, &entry.offset) || !take(bytes.get(), size, &at, &entry.smallOffset) ||
            !take(bytes.get(), size, &at, &entry.checksum) ||
            !take(bytes.get(), size, &at, &entry.smallChecksum) || !take(bytes.get(), size, &at, &width) || !take(bytes.get(), size, &at, &height) ||
            !take(bytes.get(), size, &at, &pathLength) || size - at < pathLength)
            return Refusal::damaged;
        entry.width = width, entry.height = height;
        if (width == 0 || height == 0 || width > largestAtlasPhoto || height > largestAtlasPhoto ||
            entry.offset < headBytes || entry.offset > indexAt - blockBytes(width, height) ||
            entry.smallOffset < headBytes || entry.smallOffset > indexAt - smallLevelBytes)
            return Refusal::damaged;
        read[std::string(&bytes[at], pathLength)] = entry;
        at += pathLength;
    }
    if (at != size)
        return Refusal::damaged;
    index = std::move(read);
    return Refusal::none;
}

void ThumbnailCache::sayDropped(const char* why) const
{
    std::printf("Not using the thumbnail cache %s: %s; it is made again\n", path.c_str(), why);
}

ThumbnailCache::~ThumbnailCache()
{
    stopping = true;
    waitForWriter();
    if (nextFile >= 0) {
        close(nextFile);
        unlink(nextPath.c_str());
    }
    if (nextReader >= 0)
        close(nextReader);
    if (oldFile >= 0)
        close(oldFile);
}

bool ThumbnailCache::find(const std::string& file, const FileStamp& stamp, int* width, int* height,
                          std::vector<unsigned char>* small, FullLevelAt* full) const
{
    const auto found = index.find(file);
    if (found == index.end() || stamp.size < 0 || !(found->second.stamp == stamp))
        return false;
    const Entry& entry = found->second;
    small->resize(smallLevelBytes);
    if (!readAt(oldFile, small->data(), smallLevelBytes, entry.smallOffset) ||
        cacheChecksum(small->data(), small->size()) != entry.smallChecksum) {
        damagedBlocks = true;
        return false;
    }
    *width = entry.width;
    *height = entry.height;
    *full = FullLevelAt{entry.offset, entry.checksum, entry.width, entry.height, false};
    return true;
}

bool ThumbnailCache::readFull(const FullLevelAt& full, std::vector<unsigned char>* blocks) const
{
    const int file = full.inNextFile ? nextReader : oldFile;
    blocks->resize(static_cast<size_t>(blockBytes(full.width, full.height)));
    if (full.offset >= 0 && file >= 0 && readAt(file, blocks->data(), int64_t(blocks->size()), full.offset) &&
        cacheChecksum(blocks->data(), blocks->size()) == full.checksum)
        return true;
    damagedBlocks = true;
    return false;
}

void ThumbnailCache::dropDamaged() const
{
    if (damageSaid)
        return;
    damageSaid = true;
    sayDropped("it is damaged");
    // A file the writer put in its place since holds none of the levels
    // that failed: it stays.
    struct stat read, named;
    if (oldFile >= 0 && fstat(oldFile, &read) == 0 && stat(path.c_str(), &named) == 0 && read.st_dev == named.st_dev &&
        read.st_ino == named.st_ino)
        unlink(path.c_str());
}

void ThumbnailCache::startNextFile()
{
    nextPath = path + "." + std::to_string(getpid()) + ".tmp";
    std::string head(headMagic, 8);
    put(&head, formatVersion);
    put(&head, uint32_t(0));
    if (!makeFolders(folder) || (nextFile = open(nextPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)) < 0 ||
        !writeAt(nextFile, head.data(), headBytes, 0)) {
        problem = std::strerror(errno);
        if (nextFile >= 0) {
            close(nextFile);
            unlink(nextPath.c_str());
        }
        nextFile = -2;
        return;
    }
    // Full levels made anew are read back from here while the file is
    // written, renamed or even removed.
    nextReader = open(nextPath.c_str(), O_RDONLY | O_CLOEXEC);
    nextEnd = smallRunAt = headBytes;
}

FullLevelAt ThumbnailCache::keep(const std::string& file, const FileStamp& stamp, int width, int height,
                                 const unsigned char* madeBlocks, const unsigned char* madeSmall)
{
    if (path.empty() || nextFile == -2 || file.size() > size_t(longestPath))
        return {};
    Entry entry{stamp, width, height, -1, -1, 0, 0, madeSmall != nullptr, madeBlocks == nullptr && madeSmall != nullptr};
    if (madeSmall == nullptr) {
        const auto old = index.find(file);
        if (old == index.end())
            return {};
        entry = old->second;
        entry.made = entry.fullToMake = false;
    } else {
        anyMade = true;
        if (nextFile == -1)
            startNextFile();
        const int64_t bytes = madeBlocks != nullptr ? blockBytes(width, height) : 0;
        if (nextFile < 0)
            return {};
        if (nextEnd + bytes + smallLevelBytes > thumbnailCacheBytes) {
            // Too large a library costs only its speed.
            dropNextFile();
            return {};
        }
        if (madeBlocks != nullptr) {   // after the small levels waiting
            if (!writeSmallRun() || !writeAt(nextFile, madeBlocks, bytes, nextEnd)) {
                problem = std::strerror(errno);
                dropNextFile();
                return {};
            }
            entry.offset = nextEnd;
            entry.checksum = cacheChecksum(madeBlocks, size_t(bytes));
            nextEnd += bytes;
            smallRunAt = nextEnd;
        }
        entry.smallOffset = nextEnd;
        entry.smallChecksum = cacheChecksum(madeSmall, smallLevelBytes);
        smallRun.append(reinterpret_cast<const char*>(madeSmall), smallLevelBytes);
        nextEnd += smallLevelBytes;
        if (smallRun.size() >= smallRunBytes && !writeSmallRun()) {
            problem = std::strerror(errno);
            dropNextFile();
            return {};
        }
    }
    next.emplace_back(file, entry);
    if (entry.fullToMake)
        return FullLevelAt{-1, 0, width, height, false};
    return FullLevelAt{entry.offset, entry.checksum, width, height, entry.made};
}

bool ThumbnailCache::writeSmallRun()
{
    const bool written = smallRun.empty() || writeAt(nextFile, smallRun.data(), int64_t(smallRun.size()), smallRunAt);
    smallRun.clear();
    smallRunAt = nextEnd;
    return written;
}

void ThumbnailCache::dropNextFile()
{
    close(nextFile);
    unlink(nextPath.c_str());
    nextFile = -2;
    smallRun.clear();
}

void ThumbnailCache::finish()
{
    if (damagedBlocks.exchange(false))
        sayDropped("it is damaged");
    if (nextFile >= 0 && !writeSmallRun()) {
        problem = std::strerror(errno);
        dropNextFile();
    }
    if (!problem.empty())
        std::printf("Cannot keep the thumbnail cache in %s: %s\n", folder.c_str(), problem.c_str());
    problem.clear();
    if (!anyMade || nextFile < 0) {
        next.clear();
        return;
    }
    waitForWriter();
    // Joined by waitForWriter or the destructor, which stops it early: a
    // file left unfinished is removed.
    writer = std::thread([this, kept = std::move(next)]() mutable { writeNext(std::move(kept)); });
    next.clear();
}

void ThumbnailCache::writeNext(std::vector<std::pair<std::string, Entry>> kept)
{
    // Full levels to make share the cores with the frames: they wait.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
    bool written = true;
    std::vector<bool> dropped(kept.size(), false);
    const auto append = [&](const unsigned char* bytes, int64_t length) {
        written = written && nextEnd + length <= thumbnailCacheBytes && writeAt(nextFile, bytes, length, nextEnd);
        nextEnd += length;
    };
    // The full levels first: made from the file, still of the stamp its
    // small level was made from, or brought over from the old file, checked
    // again on the way.
    std::vector<unsigned char> blocks;
    for (size_t i = 0; i < kept.size() && !stopping; ++i) {
        const std::string& file = kept[i].first;
        Entry& entry = kept[i].second;
        if (entry.fullToMake) {
            DecodedThumbnail full;
            if (stampOf(file.c_str()) == entry.stamp)
                full = decodeThumbnail(file.c_str(), true, true, ThumbnailLevels::fullOnly);
            dropped[i] = !full.decoded || full.width != entry.width || full.height != entry.height;
            blocks = std::move(full.blocks);
        } else if (!entry.made) {
            blocks.resize(static_cast<size_t>(blockBytes(entry.width, entry.height)));
            dropped[i] = !readAt(oldFile, blocks.data(), int64_t(blocks.size()), entry.offset) ||
                         cacheChecksum(blocks.data(), blocks.size()) != entry.checksum;
        } else {
            continue;   // in place since it was made
        }
        if (dropped[i])
            continue;
        entry.offset = nextEnd;
        entry.checksum = cacheChecksum(blocks.data(), blocks.size());
        append(blocks.data(), int64_t(blocks.size()));
    }
    // Then the small levels brought over, side by side in the library's
    // order, as the next opening reads them.
    std::vector<unsigned char> run;
    for (size_t i = 0; i < kept.size() && !stopping; ++i) {
        Entry& entry = kept[i].second;
        if (dropped[i] || entry.made)
            continue;
        const size_t at = run.size();
        run.resize(at + smallLevelBytes);
        dropped[i] = !readAt(oldFile, &run[at], smallLevelBytes, entry.smallOffset) ||
                     cacheChecksum(&run[at], smallLevelBytes) != entry.smallChecksum;
        if (dropped[i]) {
            run.resize(at);
            continue;
        }
        entry.smallOffset = nextEnd + int64_t(at);
        if (run.size() >= smallRunBytes) {
            append(run.data(), int64_t(run.size()));
            run.clear();
        }
    }
    append(run.data(), int64_t(run.size()));
    std::string tail;
    put(&tail, uint32_t(libraryPath.size()));
    tail += libraryPath;
    int64_t count = 0;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (dropped[i])
            continue;
        auto& [file, entry] = kept[i];
        for (int64_t* field : fieldsOf(&entry.stamp))
            put(&tail, *field);
        put(&tail, entry.offset);
        put(&tail, entry.smallOffset);
        put(&tail, entry.checksum);
        put(&tail, entry.smallChecksum);
        put(&tail, uint16_t(entry.width));
        put(&tail, uint16_t(entry.height));
        put(&tail, uint16_t(file.size()));
        tail += file;
        ++count;
    }
    const int64_t length = nextEnd + int64_t(tail.size()) + tailBytes;
    const uint64_t indexChecksum = cacheChecksum(tail.data(), tail.size());
    put(&tail, nextEnd);
    put(&tail, count);
    put(&tail, length);
    put(&tail, indexChecksum);
    tail.append(tailMagic, 8);
    // Too large a library costs only its speed, and a stopped writer nothing.
    const bool quiet = stopping || length > thumbnailCacheBytes;
    written = written && !quiet && writeAt(nextFile, tail.data(), int64_t(tail.size()), nextEnd);
    const int closed = close(nextFile);
    nextFile = -1;
    if (written && closed == 0 && rename(nextPath.c_str(), path.c_str()) == 0) {
        prune(folder, path);
        return;
    }
    if (!quiet) {
        std::printf("Cannot keep the thumbnail cache in %s: %s\n", folder.c_str(), std::strerror(errno));
        std::fflush(stdout);
    }
    unlink(nextPath.c_str());
}

void ThumbnailCache::waitForWriter()
{
    if (writer.joinable())
        writer.join();
}
