// Notices when a library file is written anew, so an open viewer can read
// it again: inotify on the file's folder, because the indexer replaces the
// file by renaming a finished copy over it (a watch on the file itself
// would follow the old, unlinked one).
#pragma once

#include <string>

class LibraryWatch {
public:
    explicit LibraryWatch(const std::string& libraryPath);
    ~LibraryWatch();
    LibraryWatch(const LibraryWatch&) = delete;
    LibraryWatch& operator=(const LibraryWatch&) = delete;

    // True once for each time the file was finished anew since the last
    // call (renamed into place or closed after writing); never blocks. A
    // folder that does not exist yet is looked for again on each call, and
    // a library found in it when it appears counts as written.
    bool rewritten();
    std::string libraryPath() const { return folder + "/" + name; }

private:
    bool startWatching();

    std::string folder, name;
    int inotify = -1;
    bool watching = false;
};
