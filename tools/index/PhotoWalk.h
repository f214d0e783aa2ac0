// Finds the photos under a folder without following links to folders,
// without entering the library's own folder, and noting what it could not read.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace photoindex {

struct FoundPhoto {
    std::string path;   // absolute, valid UTF-8, no control characters
    long long size = 0;
    std::time_t mtime = 0;
    long mtimeNanoseconds = 0;
};

struct SkippedEntry {
    std::string path;    // as found; may need printable()
    std::string reason;
};

struct WalkResult {
    std::vector<FoundPhoto> photos;       // in path order
    std::vector<SkippedEntry> skipped;    // photo files that cannot be indexed
    std::vector<SkippedEntry> folders;    // folders not entered
    // Folders and photos that exist but could not be read: what the last
    // run knew of them is kept rather than taken for gone.
    std::vector<std::string> unreadable;
    // Files that are not photos, so the report can say where they went.
    size_t videos = 0, others = 0;
};

// Walks root (an absolute path without a trailing slash). The folder with
// device and inode `excluded` is not entered. Hidden entries (a leading dot)
// are passed over. found is called with the running count of photos.
WalkResult walkPhotos(const std::string& root, dev_t excludedDevice, ino_t excludedInode,
                      const std::function<void(size_t found)>& found);

}  // namespace photoindex
