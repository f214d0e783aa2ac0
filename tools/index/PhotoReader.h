// Reads one photo: its date from an XMP sidecar or EXIF (else its name, else the file time) and its
// 128 x 96 upright, centre-cropped JPEG thumbnail, made by libvips in a decoder process.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "PhotoDate.h"
#include "PhotoThumbnail.h"
#include "photos/DecoderPool.h"

namespace photoindex {

struct PhotoReading {
    DateChoice date;
    std::string problem;          // why the photo is left out ("" when it is in)
    bool unreadable = false;      // the problem is the file's permissions or the disk, not its content
    std::string outputProblem;    // the thumbnail could not be written: the library's fault, not the photo's
    bool fromPreview = false;     // the thumbnail was made from the EXIF preview, not the decoded photo
    bool damaged = false;         // only part of the photo could be decoded; the thumbnail shows that part
};

struct PreviewCheck {
    bool checked = false;       // compared with a thumbnail of the decoded photo
    bool replaced = false;      // it differed, and that thumbnail took its place
    std::string problem;        // the photo cannot be decoded now
    std::string outputProblem;  // the thumbnail could not be replaced
};

// How many threads a run reads photos on.
unsigned readingThreads();

// The run's decoders, each started when first needed and stopped with the
// reader, and the decode budget they share.
class PhotoReader {
public:
    PhotoReader();

    // Dates the photo at path and writes its thumbnail to thumbnailPath. now is
    // the latest date accepted as taken. Safe to call from several threads.
    PhotoReading read(const std::string& path, const std::string& thumbnailPath, const LocalDate& fileDate,
                      const LocalDate& now);
    // Has a decoder make a thumbnail of the whole photo at path and replaces the
    // one at thumbnailPath (made from its EXIF preview) where they differ
    // (previewFaithfulDecibels). Safe to call from several threads.
    PreviewCheck checkPreview(const std::string& path, const std::string& thumbnailPath);

private:
    // Photos decoding on several workers at once together stay within the
    // decode budget. A photo waits until what it needs is free; one alone
    // always fits, since the gate refused larger ones.
    class DecodeBudget {
    public:
        void take(uint64_t bytes);
        void give(uint64_t bytes);
        // A photo's bytes, held while it decodes.
        class Share {
        public:
            Share(DecodeBudget& budget, uint64_t bytes) : budget(budget), bytes(bytes) { budget.take(bytes); }
            ~Share() { budget.give(bytes); }
            Share(const Share&) = delete;
            Share& operator=(const Share&) = delete;

        private:
            DecodeBudget& budget;
            uint64_t bytes;
        };

    private:
        std::mutex mutex;
        std::condition_variable freed;
        uint64_t taken = 0;
    };

    DecodeBudget budget;
    DecoderPool decoders;
};

}  // namespace photoindex
