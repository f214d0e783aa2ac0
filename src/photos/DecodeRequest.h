// What a program asks of a decoder process and what comes back: plain
// records copied byte for byte over a Unix socket between two builds of
// the same source. The photo itself travels as an open descriptor beside
// the request, and pixels or encoded bytes as a memory file beside the
// reply.
#pragma once

#include <cstdint>

#include "photos/PhotoGate.h"

enum class DecodeOp : uint32_t {
    Square,      // the gallery's side x side RGB square, upright
    Thumbnail,   // the library builder's 128 x 96 JPEG, with the photo's dates
    PreviewCheck,   // a Thumbnail of the whole photo, sent back where the thumbnail beside it differs
};

struct DecodeRequest {
    DecodeOp op = DecodeOp::Square;
    bool rawName = false;   // named like a camera RAW: LibRaw is asked first
    PhotoHeader header;     // what the gate read from the descriptor
    int32_t side = 0;       // Square: the square's side
    // The second descriptor as the decoder received it, -1: none. Set on
    // arrival; what a sender writes here means nothing.
    int32_t second = -1;
};

struct DecodeReply {
    bool done = false;            // false: problem says why not
    char problem[256] = {};
    int32_t width = 0, height = 0;   // Square: the upright photo's size
    char kindName[16] = {};          // Thumbnail: "JPEG", "RAW", ...
    // Thumbnail: the sidecar's date, DateTimeOriginal, DateTimeDigitized, DateTime
    char dates[4][64] = {};
    bool fromPreview = false;        // Thumbnail: made from an embedded preview
    bool damaged = false;            // Thumbnail, PreviewCheck: only part of the photo could be decoded
    bool differs = false;            // PreviewCheck: the payload is the thumbnail to put in its place
    uint64_t payloadBytes = 0;       // the memory file's bytes that count
};
