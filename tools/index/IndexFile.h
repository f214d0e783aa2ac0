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
    // The XMP sidecar's modification time in nanoseconds (0: none): a date
    // corrected in a photo manager changes the sidecar, not the photo.
    long long sidecarStamp = 0;
    bool damaged = false;            // decoded only in part
    bool previewUnchecked = false;   // thumbnail made from an EXIF preview not yet compared with the photo
    std::vector<std::string> notes;  // what the report says of it on every run (no tabs or line breaks)
};

extern const char* const indexFileName;

// The entries of the index text; lines that do not parse are dropped (their
// photos are simply read again). An index of the first version still reads.
std::vector<IndexEntry> parseIndex(const std::string& text);
std::string formatIndex(const std::vector<IndexEntry>& entries);

}  // namespace photoindex
