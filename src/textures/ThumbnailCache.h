// The viewer's one store on disk: the DXT1 blocks it prepared for a
// library's thumbnails, one file per library in the cache folder, so that
// the next opening reads them instead of decoding and encoding again.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

// What a thumbnail file was when its blocks were made.
struct FileStamp {
    int64_t size = -1;
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    bool operator==(const FileStamp& other) const
    {
        return size == other.size && seconds == other.seconds && nanoseconds == other.nanoseconds;
    }
};
// The stamp of the file at path; size -1 when it cannot be read.
FileStamp stampOf(const char* path);

// $XDG_CACHE_HOME/zandervale, else $HOME/.cache/zandervale; empty when
// neither is set.
std::string thumbnailCacheFolder();
// The most the folder's cache files may hold together; the files of the
// libraries opened longest ago are removed first.
constexpr int64_t thumbnailCacheBytes = int64_t(2) << 30;

class ThumbnailCache {
public:
    // Reads the index of the library's file in folder. A file that is not
    // whole, not of this format or of another library is not used.
    ThumbnailCache(std::string folder, const std::string& libraryPath);
    // Stops a writer still running; its unfinished file is removed.
    ~ThumbnailCache();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // The blocks kept for path when it is still the file they were made
    // from (same size and time) and of that size in texels; any thread.
    bool find(const std::string& path, const FileStamp& stamp, int* width, int* height,
              std::vector<unsigned char>* blocks) const;
    // A thumbnail the next file holds, on the loading thread, in order: its
    // blocks when they were made anew, or null when find gave them.
    void keep(const std::string& path, const FileStamp& stamp, int width, int height,
              const unsigned char* madeBlocks);
    // When anything was made anew, writes the next file in the background
    // and puts it in place of the old one; a folder that cannot be written
    // gives one line and nothing else.
    void finish();
    // Waits for the file finish started to be written (tests, tools).
    void waitForWriter();

    const std::string& filePath() const { return path; }
    size_t entries() const { return index.size(); }

private:
    struct Entry {
        FileStamp stamp;
        int width, height;
        int64_t offset;   // in the old file (kept) or in the next one (made)
        bool made;
    };
    void startNextFile();
    void writeNext(std::vector<std::pair<std::string, Entry>> kept);

    const std::string folder;
    const std::string libraryPath;
    std::string path;   // this library's file
    int oldFile = -1;
    std::unordered_map<std::string, Entry> index;
    std::vector<std::pair<std::string, Entry>> next;
    int nextFile = -1;
    std::string nextPath;
    int64_t nextEnd = 0;
    bool anyMade = false;
    std::string problem;   // why the folder cannot be written
    std::atomic<bool> stopping{false};
    std::thread writer;
};
