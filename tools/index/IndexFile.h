// The index beside the library file: what the last run knew of each photo,
// so that a re-run reads only new or changed photos.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "PhotoDate.h"

namespace photoindex {

struct IndexEntry {
    std::string thumbnail;   // file name beside the library file
    long long size = 0;
    std::time_t mtime = 0;
    long mtimeNanoseconds = 0;
    LocalDate date;
    DateSource source = DateSource::none;
    std::string path;        // absolute; no tab or line break (pathProblem holds it out)
};

extern const char* const indexFileName;

// The entries of the index text; lines that do not parse are dropped (their
// photos are simply read again).
std::vector<IndexEntry> parseIndex(const std::string& text);
std::string formatIndex(const std::vector<IndexEntry>& entries);

}  // namespace photoindex
