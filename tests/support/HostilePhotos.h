// Photo files an attacker or a bad download could hand either program: tiny
// headers that claim huge pictures, kinds no decoder of ours takes, and a
// sparse file of gigabytes. Each comes with the words the gate refuses it in.
#pragma once

#include <string>
#include <vector>

namespace support {

// AddressSanitizer's shadow memory makes resident sizes meaningless: checks
// of a child's peak memory hold only without it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool sanitizedBuild = true;
#else
inline constexpr bool sanitizedBuild = false;
#endif

struct HostilePhoto {
    const char* what;
    std::string name;      // a photo's name, whatever the content
    std::string bytes;
    std::string refusal;   // part of the line that refuses it
};

// A JPEG's SOI, one frame header (baseline or progressive, three
// components) and EOI.
std::string jpegFrameBytes(unsigned width, unsigned height, bool progressive);
// A PNG signature and IHDR of any depth, colour type and interlace.
std::string pngIhdrBytes(unsigned width, unsigned height, int bitDepth, int colourType, bool interlaced);
// A GIF's header and first image descriptor (with one byte of data); a little-endian TIFF whose one directory holds only its size and
// pixel layout; a HEIC's boxes down to its primary item's extent, turn and
// bits, with no image data; a WebP's extended header.
std::string gifBytes(unsigned width, unsigned height);
std::string tiffBytes(unsigned width, unsigned height, unsigned samples = 1, unsigned bits = 8);
// coded: the side its HEVC stream's parameter set codes (0: none given).
std::string heifBytes(unsigned width, unsigned height, bool quarterTurn = false, int bits = 8, unsigned coded = 0);
// A HEIC of that many items whose property associations each hold that
// many links, the primary item's last.
std::string heifManyLinksBytes(unsigned items, unsigned links);
std::string webpBytes(unsigned width, unsigned height, bool alpha);
// A whole uncompressed 24-bit BMP and TGA of one colour.
std::string bmpBytes(int width, int height);
std::string tgaBytes(int width, int height);

// The bombs and the kinds refused by content, all named like JPEGs or PNGs.
std::vector<HostilePhoto> hostilePhotos();

// FF D8 and then bytes zeros, without taking the disk space.
void writeSparseJpeg(const std::string& path, long long bytes);

}  // namespace support
