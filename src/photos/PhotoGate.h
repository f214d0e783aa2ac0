// The one gate every original photo passes before a decoder sees it, in the
// gallery and in the library builder alike. The kind is told by the file's
// content, never by its name; the header is read; and the photo is refused
// when decoding it would take more memory than one budget allows. Decoders
// are then called by that kind, never by probing.
#pragma once

#include <cstdint>
#include <string>

#include "photos/ImageHeader.h"

// Every kind the gate tells apart; decodablePhotoKind says which of them
// the decoders take.
enum class PhotoKind { Unknown, Jpeg, Png, Gif, Tiff, Heif, Webp, Bmp };

bool decodablePhotoKind(PhotoKind kind);
// "JPEG", "PNG", ... for messages.
const char* photoKindName(PhotoKind kind);

// The most memory one photo's decode may take.
constexpr uint64_t photoDecodeBudgetBytes = uint64_t(512) << 20;

struct PhotoHeader {
    PhotoKind kind = PhotoKind::Unknown;
    bool sizeKnown = false;   // false where the header cannot be read
    // As the decoder's header gives it: an orientation tag may still turn it.
    uint32_t width = 0;
    uint32_t height = 0;
    int samples = 4;          // a pixel's samples and a sample's bytes once decoded
    int bytesPerSample = 1;
    // A decoder may shrink it on load by up to 8 and keep only strips of it:
    // a baseline JPEG.
    bool shrinksOnLoad = false;
    // The header names two different sizes for the image (a repeated TIFF
    // tag, a HEIF whose coded picture is larger than its extent).
    bool twoSizes = false;
    bool tooSlow = false;     // reading the header ran past its time
};

PhotoHeader readPhotoHeader(const ByteReader& read);
PhotoHeader readPhotoHeader(const unsigned char* bytes, size_t size);
// opened is false when the file cannot be read at all.
PhotoHeader readPhotoHeaderFile(const char* path, bool* opened);

// The refusal of a photo whose decoder, once it has read the header itself,
// makes another size than the gate was told.
extern const char* const twoSizesProblem;
// twoSizesProblem when the decoder's width x height, opened at 1/shrink of
// the size, is not the gate's; "" when they agree.
std::string decodedSizeProblem(const PhotoHeader& header, uint64_t width, uint64_t height, int shrink = 1);

// The bytes a decode of the photo holds at most: the whole image, or for a
// baseline JPEG an eighth of each side, which is all the decoders ever
// ask of one that large.
uint64_t photoDecodeBytes(const PhotoHeader& header);

// Why no decoder may be given the photo, as a short phrase ("its size ...
// is too large: ..."), or "" when one may.
std::string photoProblem(const PhotoHeader& header);
