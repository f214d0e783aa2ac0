// Reads the pixel size a PNG or JPEG file claims, without decoding it. DevIL
// allocates width x height x bytes-per-pixel in 32-bit arithmetic as soon as
// it has read a header, so a tiny hostile file can overflow its heap or ask
// for gigabytes; the loaders ask here first and refuse such files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

enum class ImageKind { Other, Png, Jpeg };   // by content, never by extension

struct ImageHeader {
    ImageKind kind = ImageKind::Other;
    bool sizeKnown = false;   // false for a PNG/JPEG whose header cannot be read
    uint32_t width = 0;
    uint32_t height = 0;
};

// Copies up to size bytes from offset into out; returns how many it copied
// (fewer at the end of the data).
using ByteReader = std::function<size_t(uint64_t offset, unsigned char* out, size_t size)>;

ImageHeader readImageHeader(const ByteReader& read);
ImageHeader readImageHeader(const unsigned char* bytes, size_t size);
// A file that cannot be opened reads as ImageKind::Other: the decoder then
// reports it in its own words.
ImageHeader readImageHeaderFile(const char* path);

// Bounds well above any photo or GL texture, and far below where DevIL's
// 32-bit size arithmetic (up to 8 bytes a pixel) overflows.
constexpr uint32_t maxImageSide = 32768;
constexpr uint64_t maxImagePixels = 100000000;

enum class SizeVerdict { Fine, Empty, TooLarge, Unreadable };

// Fine for other formats and for PNG/JPEG sizes within the bounds.
SizeVerdict judgeImageHeader(const ImageHeader& header);
