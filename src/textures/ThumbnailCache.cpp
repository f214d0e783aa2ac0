// The cache file: a header, the blocks of each thumbnail, then an index of
// (stamp, size in texels, offset, path) and a trailer that says where the
// index starts and how long the whole file is. A file is written under a
// temporary name and renamed over the old one, so a reader sees a whole
// file or none; one cut short or changed fails the trailer's checks.
#include "textures/ThumbnailCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "textures/ThumbnailDecoder.h"

namespace {

const char headMagic[8] = {'Z', 'V', 'C', 'A', 'C', 'H', 'E', '1'};
const char tailMagic[8] = {'Z', 'V', 'C', 'E', 'N', 'D', '0', '1'};
constexpr int64_t headBytes = 16;
constexpr int64_t tailBytes = 32;
constexpr uint32_t dxt1Format = 1;

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

// Little helpers for the byte layout, native order (the file never leaves
// the machine; the format word would show another order as foreign).
template <typename T>
void put(std::string* bytes, T value)
{
    bytes->append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
bool take(const std::vector<char>& bytes, size_t* at, T* value)
{
    if (bytes.size() - *at < sizeof(T))
        return false;
    std::memcpy(value, &bytes[*at], sizeof(T));
    *at += sizeof(T);
    return true;
}

bool readAt(int file, void* into, int64_t length, int64_t offset)
{
    char* bytes = static_cast<char*>(into);
    while (length > 0) {
        const ssize_t got = pread(file, bytes, static_cast<size_t>(length), offset);
        if (got <= 0)
            return false;
        bytes += got, length -= got, offset += got;
    }
    return true;
}

bool writeAt(int file, const void* from, int64_t length, int64_t offset)
{
    const char* bytes = static_cast<const char*>(from);
    while (length > 0) {
        const ssize_t put = pwrite(file, bytes, static_cast<size_t>(length), offset);
        if (put <= 0)
            return false;
        bytes += put, length -= put, offset += put;
    }
    return true;
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

}  // namespace

FileStamp stampOf(const char* path)
{
    FileStamp stamp;
    struct stat info;
    if (stat(path, &info) == 0) {
        stamp.size = info.st_size;
        stamp.seconds = info.st_mtim.tv_sec;
        stamp.nanoseconds = info.st_mtim.tv_nsec;
    }
    return stamp;
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
    oldFile = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (oldFile < 0 || fstat(oldFile, &info) != 0 || info.st_size < headBytes + tailBytes)
        return;
    char head[headBytes], tail[tailBytes];
    uint32_t format = 0;
    int64_t indexAt = 0, count = 0, length = 0;
    if (!readAt(oldFile, head, headBytes, 0) || !readAt(oldFile, tail, tailBytes, info.st_size - tailBytes))
        return;
    std::memcpy(&format, head + 8, 4);
    std::memcpy(&indexAt, tail, 8);
    std::memcpy(&count, tail + 8, 8);
    std::memcpy(&length, tail + 16, 8);
    if (std::memcmp(head, headMagic, 8) != 0 || format != dxt1Format || std::memcmp(tail + 24, tailMagic, 8) != 0 ||
        length != info.st_size || indexAt < headBytes || indexAt > length - tailBytes || count < 0)
        return;
    std::vector<char> bytes(static_cast<size_t>(length - tailBytes - indexAt));
    if (!readAt(oldFile, bytes.data(), int64_t(bytes.size()), indexAt))
        return;
    size_t at = 0;
    uint32_t libraryLength = 0;
    if (!take(bytes, &at, &libraryLength) || bytes.size() - at < libraryLength ||
        std::string(&bytes[at], libraryLength) != libraryPath)
        return;   // another library's file under this name
    at += libraryLength;
    std::unordered_map<std::string, Entry> read;
    for (int64_t i = 0; i < count; ++i) {
        Entry entry{};
        uint16_t width = 0, height = 0, pathLength = 0;
        if (!take(bytes, &at, &entry.stamp.size) || !take(bytes, &at, &entry.stamp.seconds) ||
            !take(bytes, &at, &entry.stamp.nanoseconds) || !take(bytes, &at, &entry.offset) ||
            !take(bytes, &at, &width) || !take(bytes, &at, &height) || !take(bytes, &at, &pathLength) ||
            bytes.size() - at < pathLength)
            return;
        entry.width = width, entry.height = height;
        if (width == 0 || height == 0 || width > largestAtlasPhoto || height > largestAtlasPhoto ||
            entry.offset < headBytes || entry.offset > indexAt - blockBytes(width, height))
            return;
        read[std::string(&bytes[at], pathLength)] = entry;
        at += pathLength;
    }
    if (at != bytes.size())
        return;
    index = std::move(read);
    // Marks the library as opened now, for the bound's oldest-first rule.
    futimens(oldFile, nullptr);
}

ThumbnailCache::~ThumbnailCache()
{
    stopping = true;
    waitForWriter();
    if (nextFile >= 0) {
        close(nextFile);
        unlink(nextPath.c_str());
    }
    if (oldFile >= 0)
        close(oldFile);
}

bool ThumbnailCache::find(const std::string& file, const FileStamp& stamp, int* width, int* height,
                          std::vector<unsigned char>* blocks) const
{
    const auto found = index.find(file);
    if (found == index.end() || stamp.size < 0 || !(found->second.stamp == stamp))
        return false;
    const Entry& entry = found->second;
    blocks->resize(static_cast<size_t>(blockBytes(entry.width, entry.height)));
    if (!readAt(oldFile, blocks->data(), int64_t(blocks->size()), entry.offset))
        return false;
    *width = entry.width;
    *height = entry.height;
    return true;
}

void ThumbnailCache::startNextFile()
{
    nextPath = path + "." + std::to_string(getpid()) + ".tmp";
    std::string head(headMagic, 8);
    put(&head, dxt1Format);
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
    nextEnd = headBytes;
}

void ThumbnailCache::keep(const std::string& file, const FileStamp& stamp, int width, int height,
                          const unsigned char* madeBlocks)
{
    if (path.empty() || nextFile == -2)
        return;
    Entry entry{stamp, width, height, 0, madeBlocks != nullptr};
    if (madeBlocks == nullptr) {
        const auto old = index.find(file);
        if (old == index.end())
            return;
        entry.offset = old->second.offset;
    } else {
        anyMade = true;
        if (nextFile == -1)
            startNextFile();
        const int64_t bytes = blockBytes(width, height);
        if (nextFile < 0)
            return;
        if (nextEnd + bytes > thumbnailCacheBytes || !writeAt(nextFile, madeBlocks, bytes, nextEnd)) {
            // Too large a library costs only its speed; a full disk says so.
            if (nextEnd + bytes <= thumbnailCacheBytes)
                problem = std::strerror(errno);
            close(nextFile);
            unlink(nextPath.c_str());
            nextFile = -2;
            return;
        }
        entry.offset = nextEnd;
        nextEnd += bytes;
    }
    next.emplace_back(file, entry);
}

void ThumbnailCache::finish()
{
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
    bool written = true;
    std::vector<unsigned char> blocks;
    std::string tail;
    put(&tail, uint32_t(libraryPath.size()));
    tail += libraryPath;
    for (auto& [file, entry] : kept) {
        if (stopping)
            break;
        if (!entry.made) {   // from the old file into the next
            blocks.resize(static_cast<size_t>(blockBytes(entry.width, entry.height)));
            written = written && nextEnd + int64_t(blocks.size()) <= thumbnailCacheBytes &&
                      readAt(oldFile, blocks.data(), int64_t(blocks.size()), entry.offset) &&
                      writeAt(nextFile, blocks.data(), int64_t(blocks.size()), nextEnd);
            entry.offset = nextEnd;
            nextEnd += int64_t(blocks.size());
        }
        put(&tail, entry.stamp.size);
        put(&tail, entry.stamp.seconds);
        put(&tail, entry.stamp.nanoseconds);
        put(&tail, entry.offset);
        put(&tail, uint16_t(entry.width));
        put(&tail, uint16_t(entry.height));
        put(&tail, uint16_t(std::min<size_t>(file.size(), USHRT_MAX)));
        tail += file.substr(0, USHRT_MAX);
    }
    put(&tail, nextEnd);
    put(&tail, int64_t(kept.size()));
    put(&tail, int64_t(nextEnd + int64_t(tail.size()) + 16));
    tail.append(tailMagic, 8);
    written = written && !stopping && writeAt(nextFile, tail.data(), int64_t(tail.size()), nextEnd);
    const int closed = close(nextFile);
    nextFile = -1;
    if (written && closed == 0 && rename(nextPath.c_str(), path.c_str()) == 0) {
        prune(folder, path);
        return;
    }
    if (!stopping) {
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
