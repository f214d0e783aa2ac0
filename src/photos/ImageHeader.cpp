#include "photos/ImageHeader.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

const unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t big16(const unsigned char* p) { return (uint32_t(p[0]) << 8) | p[1]; }
uint32_t big32(const unsigned char* p) { return (big16(p) << 16) | big16(p + 2); }
uint32_t little16(const unsigned char* p) { return (uint32_t(p[1]) << 8) | p[0]; }
uint32_t little32(const unsigned char* p) { return (little16(p + 2) << 16) | little16(p); }

// BMP heights are negative for top-down rows; the size is the magnitude.
uint32_t magnitude(uint32_t twosComplement)
{
    return twosComplement & 0x80000000u ? 0u - twosComplement : twosComplement;
}

bool readExactly(const ByteReader& read, uint64_t offset, unsigned char* out, size_t size)
{
    return read(offset, out, size) == size;
}

// The first chunk after the signature must be IHDR, width and height first.
ImageHeader readPngHeader(const ByteReader& read)
{
    ImageHeader header;
    header.kind = ImageKind::Png;
    unsigned char chunk[21];
    if (!readExactly(read, 8, chunk, sizeof chunk) || std::memcmp(chunk + 4, "IHDR", 4) != 0)
        return header;
    header.width = big32(chunk + 8);
    header.height = big32(chunk + 12);
    header.sizeKnown = true;
    // Colour types 0 grey, 2 RGB, 3 palette (expanded to RGBA at worst), 4 grey
    // and alpha, 6 RGBA; anything else is left to the decoder to refuse.
    static const uint8_t samplesOfColourType[7] = {1, 0, 3, 4, 2, 0, 4};
    header.bitsPerSample = chunk[16];
    header.samples = chunk[17] < 7 ? samplesOfColourType[chunk[17]] : 0;
    header.wholeImageHeld = chunk[20] != 0;
    return header;
}

bool isStartOfFrame(unsigned char marker)
{
    // C4 (DHT), C8 (JPG) and CC (DAC) share the range but carry no size.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
           marker != 0xCC;
}

bool isStandalone(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

// Finds the next marker at or after pos the way libjpeg does: bytes before
// an 0xFF are skipped as garbage, repeated 0xFF are fill, and FF 00 is no
// marker. Returns false at the end of the data.
bool nextMarker(const ByteReader& read, uint64_t& pos, unsigned char& marker)
{
    unsigned char buffer[4096];
    bool afterFf = false;
    while (pos < maxMarkerSearchBytes) {
        size_t got = read(pos, buffer, sizeof buffer);
        if (got == 0)
            return false;
        for (size_t i = 0; i < got; i++) {
            unsigned char byte = buffer[i];
            if (afterFf && byte != 0xFF && byte != 0x00) {
                marker = byte;
                pos += i + 1;
                return true;
            }
            afterFf = byte == 0xFF;
        }
        pos += got;
    }
    return false;
}

// Walks the segments after SOI up to the first frame header. Scan data
// (SOS) or the end (EOI) before any frame header leaves the size unknown.
ImageHeader readJpegHeader(const ByteReader& read)
{
    ImageHeader header;
    header.kind = ImageKind::Jpeg;
    uint64_t pos = 2;
    unsigned char marker = 0;
    while (nextMarker(read, pos, marker)) {
        if (isStandalone(marker))
            continue;
        if (marker == 0xD9 || marker == 0xDA)
            return header;
        unsigned char segment[2];
        if (!readExactly(read, pos, segment, 2))
            return header;
        uint32_t length = big16(segment);
        if (length < 2)
            return header;
        if (isStartOfFrame(marker)) {
            unsigned char frame[8];
            if (length < 8 || !readExactly(read, pos, frame, sizeof frame))
                return header;
            header.bitsPerSample = frame[2];
            header.height = big16(frame + 3);
            header.width = big16(frame + 5);
            header.samples = frame[7];
            // Only the baseline and extended sequential Huffman frames decode
            // strip by strip; every other frame keeps all coefficients.
            header.wholeImageHeld = marker != 0xC0 && marker != 0xC1;
            header.sizeKnown = true;
            return header;
        }
        pos += length;
    }
    return header;
}

// BITMAPCOREHEADER (12 bytes) holds 16-bit sides; every later header
// 32-bit signed ones.
ImageHeader readBmpHeader(const ByteReader& read)
{
    ImageHeader header;
    header.kind = ImageKind::Bmp;
    unsigned char info[12];
    if (!readExactly(read, 14, info, sizeof info))
        return header;
    if (little32(info) == 12) {
        header.width = little16(info + 4);
        header.height = little16(info + 6);
    } else {
        header.width = magnitude(little32(info + 4));
        header.height = magnitude(little32(info + 8));
    }
    header.sizeKnown = true;
    return header;
}

bool endsWithTga(const char* path)
{
    const size_t length = std::strlen(path);
    if (length < 4)
        return false;
    const char* end = path + length - 4;
    return end[0] == '.' && std::tolower(static_cast<unsigned char>(end[1])) == 't' &&
           std::tolower(static_cast<unsigned char>(end[2])) == 'g' &&
           std::tolower(static_cast<unsigned char>(end[3])) == 'a';
}

}  // namespace

ImageHeader readTgaHeader(const unsigned char* bytes, size_t size)
{
    ImageHeader header;
    header.kind = ImageKind::Tga;
    if (size < 18)
        return header;
    header.width = little16(bytes + 12);
    header.height = little16(bytes + 14);
    header.sizeKnown = true;
    return header;
}

ImageHeader readImageHeader(const ByteReader& read)
{
    unsigned char magic[8];
    size_t got = read(0, magic, sizeof magic);
    if (got == sizeof magic && std::memcmp(magic, pngSignature, sizeof magic) == 0)
        return readPngHeader(read);
    // libjpeg needs only SOI and skips any garbage after it, so must we.
    if (got >= 2 && magic[0] == 0xFF && magic[1] == 0xD8)
        return readJpegHeader(read);
    if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return readBmpHeader(read);
    return ImageHeader{};
}

ImageHeader readImageHeader(const unsigned char* bytes, size_t size)
{
    return readImageHeader([bytes, size](uint64_t offset, unsigned char* out, size_t want) {
        if (offset >= size)
            return size_t{0};
        size_t n = want < size - offset ? want : size_t(size - offset);
        std::memcpy(out, bytes + offset, n);
        return n;
    });
}

ImageHeader readImageHeaderFile(const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        ImageHeader unopened;
        unopened.kind = ImageKind::Unopened;
        return unopened;
    }
    const ByteReader read = [file](uint64_t offset, unsigned char* out, size_t want) {
        if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0)
            return size_t{0};
        return std::fread(out, 1, want, file);
    };
    ImageHeader header = readImageHeader(read);
    if (header.kind == ImageKind::Other && endsWithTga(path)) {
        unsigned char tga[18];
        header = readTgaHeader(tga, read(0, tga, sizeof tga));
    }
    std::fclose(file);
    return header;
}

SizeVerdict judgeImageHeader(const ImageHeader& header)
{
    if (header.kind == ImageKind::Unopened)
        return SizeVerdict::Fine;
    if (header.kind == ImageKind::Other)
        return SizeVerdict::Unsupported;
    if (!header.sizeKnown)
        return SizeVerdict::Unreadable;
    if (header.width == 0 || header.height == 0)
        return SizeVerdict::Empty;
    if (header.width > maxImageSide || header.height > maxImageSide ||
        uint64_t(header.width) * header.height > maxImagePixels)
        return SizeVerdict::TooLarge;
    return SizeVerdict::Fine;
}
