// A camera RAW shown by the preview its camera embedded, read by LibRaw:
// JPEG and 8-bit bitmap previews only, never the raw sensor data, and only
// previews large enough to stand for the photo.
#pragma once

#include <vips/vips.h>

#include <ctime>
#include <string>

// DNG, CR2, CR3, NEF, ARW, RAF, ORF, RW2 and PEF, by the name's extension in
// any case: LibRaw then tells whether the content is one.
bool isRawName(const std::string& name);

// A preview shorter than this on its long side is no stand-in for the photo.
constexpr int minRawPreviewSide = 640;

struct RawPreview {
    VipsImage* image = nullptr;   // the caller's to unref; its orientation is the RAW's
    std::string problem;          // why there is none, as a short phrase
    std::time_t taken = 0;        // when the camera says it was taken; 0 when it does not
};

// The RAW already opened as fd, read by LibRaw from memory: LibRaw would
// otherwise open the path again, which may by then name a FIFO or another
// file. Checks the preview's size against the photo decode budget before
// LibRaw unpacks it. Needs libvips started by startVipsForPhotos. Safe to
// call from several threads.
RawPreview openRawPreview(int fd);

// The problem of a file LibRaw does not take as a RAW: such a file is read
// by its content like any other photo.
extern const char* const notRawProblem;
