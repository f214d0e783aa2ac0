// Reads one photo: its date from an XMP sidecar or EXIF (else its name, else the file time) and its
// 128 x 96 upright, centre-cropped JPEG thumbnail, made by libvips in a decoder process.
#pragma once

#include <string>

#include "PhotoDate.h"
#include "PhotoThumbnail.h"

namespace photoindex {

struct PhotoReading {
    DateChoice date;
    std::string problem;          // why the photo is left out ("" when it is in)
    bool unreadable = false;      // the problem is the file's permissions or the disk, not its content
    std::string outputProblem;    // the thumbnail could not be written: the library's fault, not the photo's
    bool fromPreview = false;     // the thumbnail was made from the EXIF preview, not the decoded photo
    bool damaged = false;         // only part of the photo could be decoded; the thumbnail shows that part
};

// Readies the decoders, each started when first needed; false when it cannot.
bool startPhotoReading(const char* programPath);
void stopPhotoReading();

// Dates the photo at path and writes its thumbnail to thumbnailPath. now is
// the latest date accepted as taken. Safe to call from several threads.
PhotoReading readPhoto(const std::string& path, const std::string& thumbnailPath,
                       const LocalDate& fileDate, const LocalDate& now);

struct PreviewCheck {
    bool checked = false;       // compared with a thumbnail of the decoded photo
    bool replaced = false;      // it differed, and that thumbnail took its place
    std::string problem;        // the photo cannot be decoded now
    std::string outputProblem;  // the thumbnail could not be replaced
};

// Has a decoder make a thumbnail of the whole photo at path and replaces the
// one at thumbnailPath (made from its EXIF preview) where they differ
// (previewFaithfulDecibels). Safe to call from several threads.
PreviewCheck checkPreview(const std::string& path, const std::string& thumbnailPath);

}  // namespace photoindex
