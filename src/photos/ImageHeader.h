// Reads the pixel size an image file claims, without decoding it. DevIL
// allocates width x height x bytes-per-pixel in 32-bit arithmetic as soon as
// it has read a header, so a tiny hostile file can overflow its heap or ask
// for gigabytes; the loaders ask here first and refuse such files. Only the
// formats whose headers are read here reach DevIL at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// PNG, JPEG and BMP are told by their content, never by their extension;
// TGA has no signature and is taken by its ".tga" name. Unopened: the file
// cannot be read at all (DevIL reports that in its own words).
enum class ImageKind { Other, Unopened, Png, Jpeg, Bmp, Tga };

struct ImageHeader {
    ImageKind kind = ImageKind::Other;
    bool sizeKnown = false;   // false for a header that cannot be read
    uint32_t width = 0;
    uint32_t height = 0;
    // What a JPEG's frame or a PNG's IHDR says of the pixels, where known:
    // samples a pixel (JPEG components, PNG channels with a palette counted
    // as RGBA), bits a sample, and whether the whole image must be held
    // while it decodes (a progressive or other multi-scan JPEG, an
    // interlaced PNG).
    uint8_t samples = 0;
    uint8_t bitsPerSample = 0;
    bool wholeImageHeld = false;
};

// A JPEG's markers are searched for its frame header this far into the
// file at most: a file of zeros behind SOI would otherwise be read to its end.
constexpr uint64_t maxMarkerSearchBytes = uint64_t(16) << 20;

// Copies up to size bytes from offset into out; returns how many it copied
// (fewer at the end of the data).
using ByteReader = std::function<size_t(uint64_t offset, unsigned char* out, size_t size)>;

ImageHeader readImageHeader(const ByteReader& read);
ImageHeader readImageHeader(const unsigned char* bytes, size_t size);
// Content without a known signature is a TGA when the path ends in ".tga"
// (any case), else Other.
ImageHeader readImageHeaderFile(const char* path);
// The TGA header alone (no signature to check).
ImageHeader readTgaHeader(const unsigned char* bytes, size_t size);

// Bounds well above any photo or GL texture, and far below where DevIL's
// 32-bit size arithmetic (up to 8 bytes a pixel) overflows.
constexpr uint32_t maxImageSide = 32768;
constexpr uint64_t maxImagePixels = 100000000;

enum class SizeVerdict { Fine, Empty, TooLarge, Unreadable, Unsupported };

// Fine for sizes within the bounds and for files that cannot be opened;
// Unsupported for content of any format not read here.
SizeVerdict judgeImageHeader(const ImageHeader& header);
