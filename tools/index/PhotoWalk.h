// Finds the photos under a folder, following links once each, passing over
// every library folder (ours or another's), and noting what it could not read.
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
    std::vector<std::string> libraries;   // folders holding a library, never read as photos
    size_t linkedFolders = 0, linkedPhotos = 0;
    size_t seenTwice = 0;   // second paths (links, hard links) to a folder or photo already read
};

// The file whose presence makes a folder a library: ours, or another run's.
bool isLibraryFile(const std::string& name);

// Walks each root (absolute paths without a trailing slash) in turn into one
// result. The folder with device and inode `excluded` (OUTPUT_DIR) is passed
// over as a library wherever it lies. Hidden entries (a leading dot) are
// passed over. found is called with the running count of photos.
WalkResult walkPhotos(const std::vector<std::string>& roots, dev_t excludedDevice, ino_t excludedInode,
                      const std::function<void(size_t found)>& found);

}  // namespace photoindex
