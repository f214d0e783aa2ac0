// The fuzz targets' scratch folder: made once under $TMPDIR (or /tmp) and
// removed when the process ends. Inputs are written there as files, since
// the code under test reads files by path.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <stdlib.h>

// The folder's path with a trailing slash; aborts if it cannot be made.
inline const std::string& scratchFolder(const char* name)
{
    // Never destroyed: the exit handler that removes the folder still reads
    // it after static objects are gone.
    static const std::string* folder = [name] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zv-fuzz-" + name + "-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return new std::string(pattern + "/");
    }();
    static const bool removedAtExit = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(*folder, ignored);
    }) == 0;
    (void)removedAtExit;
    return *folder;
}
