// The viewer's one store on disk: the DXT1 blocks it prepared for a
// library's thumbnails, full and small, one file per library in the cache
// folder, so that the next opening reads them instead of decoding and
// encoding again, and full levels are read back as the walker nears them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

struct stat;

// What a thumbnail file was when its blocks were made: which file (device
// and inode), its size, and its modification and change times to the
// nanosecond. The change time is the kernel's own: a file replaced and
// given its old times back (cp -p, rsync -t, tar, touch -r) still differs.
struct FileStamp {
    int64_t device = 0;
    int64_t inode = 0;
    int64_t size = -1;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;
    int64_t changedSeconds = 0;
    int64_t changedNanoseconds = 0;
    bool operator==(const FileStamp& other) const;
};
// The stamp of the file at path; size -1 when it cannot be read.
FileStamp stampOf(const char* path);
// The stamp stat or fstat gave.
FileStamp stampOf(const struct stat& info);

// The checksum the cache file keeps of each thumbnail's blocks and of its
// index: any one changed 8-byte word changes it.
uint64_t cacheChecksum(const void* bytes, size_t length);

// $XDG_CACHE_HOME/zandervale, else $HOME/.cache/zandervale; empty when
// neither is set.
std::string thumbnailCacheFolder();
// The most the folder's cache files may hold together, and so the most one
// file may hold; the files of the libraries opened longest ago are removed
// first.
constexpr int64_t thumbnailCacheBytes = int64_t(2) << 30;

// Where a cache keeps a thumbnail's full level, for readFull; an offset
// below 0 when it keeps none.
struct FullLevelAt {
    int64_t offset = -1;
    uint64_t checksum = 0;
    int width = 0, height = 0;
    bool inNextFile = false;   // the file being written, else the one read
};

class ThumbnailCache {
public:
    // Reads the index of the library's file in folder. A file that is cut
    // short, changed, too large or another library's is not used and says
    // so in one line; one of an older format is not used and says nothing.
    ThumbnailCache(std::string folder, const std::string& libraryPath);
    // Stops a writer still running; its unfinished file is removed.
    ~ThumbnailCache();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // The small level kept for path when it is still the file it was made
    // from (the same stamp) and it still holds what was written, the full
    // level's size in texels and where it lies; any thread.
    bool find(const std::string& path, const FileStamp& stamp, int* width, int* height,
              std::vector<unsigned char>* small, FullLevelAt* full) const;
    // The full level at full when it still holds what was written; any
    // thread, for as long as the cache lives.
    bool readFull(const FullLevelAt& full, std::vector<unsigned char>* blocks) const;
    // After a full level failed readFull, on the thread that prints the
    // viewer's messages: says once
    // that the file is damaged and removes it while it is still the file
    // read, so that the next opening makes it again. This one goes on
    // reading the levels that hold.
    void dropDamaged() const;
    // A thumbnail the next file holds, on the loading thread, in order: its
    // levels when they were made anew, or null when find gave them; with
    // only its small level made, the writer makes the full one from the
    // file, still of this stamp. Says where the full level lies (nowhere
    // yet, for the writer's).
    FullLevelAt keep(const std::string& path, const FileStamp& stamp, int width, int height,
                     const unsigned char* madeBlocks, const unsigned char* madeSmall);
    // Says in one line when find met changed blocks; when anything was made
    // anew, writes the next file in the background and puts it in place of
    // the old one. A folder that cannot be written gives one line.
    void finish();
    // Waits for the file finish started to be written (tests, tools).
    void waitForWriter();

    const std::string& filePath() const { return path; }
    size_t entries() const { return index.size(); }

private:
    struct Entry {
        FileStamp stamp;
        int width, height;
        // Of the full level and of the small one, in the old file (kept) or
        // in the next one (made); a full level to make has none yet.
        int64_t offset, smallOffset;
        uint64_t checksum;        // of the full level
        uint64_t smallChecksum;   // of the small one
        bool made;
        bool fullToMake;   // made small only: the writer makes the full level
    };
    enum class Refusal { none, olderFormat, damaged, foreign };
    Refusal readIndex();
    void startNextFile();
    void writeNext(std::vector<std::pair<std::string, Entry>> kept);
    // The small levels waiting, written where they were placed; false when
    // they could not be.
    bool writeSmallRun();
    // The next file given up: removed, and nothing more kept in it.
    void dropNextFile();
    void sayDropped(const char* why) const;

    const std::string folder;
    const std::string libraryPath;
    std::string path;   // this library's file
    int oldFile = -1;
    std::unordered_map<std::string, Entry> index;
    mutable std::atomic<bool> damagedBlocks{false};
    mutable bool damageSaid = false;   // by dropDamaged
    std::vector<std::pair<std::string, Entry>> next;
    int nextFile = -1;
    int nextReader = -1;   // the next file, for full levels made anew
    std::string nextPath;
    int64_t nextEnd = 0;
    std::string smallRun;     // small levels made, not yet written
    int64_t smallRunAt = 0;   // where they go
    bool anyMade = false;
    std::string problem;   // why the folder cannot be written
    std::atomic<bool> stopping{false};
    std::thread writer;
};
