#include "support/ImageFiles.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <vector>

namespace support {
namespace {

using Bytes = std::vector<unsigned char>;

void putBig32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

uint32_t crc32(const unsigned char* data, size_t size, uint32_t crc = 0)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; i++)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putChunk(Bytes& out, const char type[4], const Bytes& payload)
{
    putBig32(out, static_cast<uint32_t>(payload.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), payload.begin(), payload.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBig32(out, crc32(typed.data(), typed.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks: no zlib needed.
Bytes zlibStored(const Bytes& raw)
{
    Bytes out{0x78, 0x01};
    size_t pos = 0;
    do {
        size_t len = std::min<size_t>(raw.size() - pos, 65535);
        bool last = pos + len == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(len & 0xFF);
        out.push_back(len >> 8);
        out.push_back(~len & 0xFF);
        out.push_back((~len >> 8) & 0xFF);
        out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBig32(out, (b << 16) | a);
    return out;
}

// PNG colour types, in the order of PngFormat.
const unsigned char colourTypes[] = {2, 6, 0, 3};

// Appends one pixel in the file's layout; palette indices are assigned in
// order of first use.
bool putPixel(Bytes& row, PngFormat format, Colour c, std::vector<Colour>& palette)
{
    switch (format) {
    case PngFormat::Rgb: row.insert(row.end(), {c.r, c.g, c.b}); return true;
    case PngFormat::Rgba: row.insert(row.end(), {c.r, c.g, c.b, c.a}); return true;
    case PngFormat::Grey: row.push_back(c.r); return true;
    case PngFormat::Palette: break;
    }
    for (size_t i = 0; i < palette.size(); i++)
        if (palette[i].r == c.r && palette[i].g == c.g && palette[i].b == c.b) {
            row.push_back(static_cast<unsigned char>(i));
            return true;
        }
    if (palette.size() == 256)
        return false;
    row.push_back(static_cast<unsigned char>(palette.size()));
    palette.push_back(c);
    return true;
}

bool writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
    return static_cast<bool>(out);
}

Bytes pngStart(unsigned width, unsigned height, unsigned char colourType)
{
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    putBig32(header, width);
    putBig32(header, height);
    header.insert(header.end(), {8, colourType, 0, 0, 0});
    putChunk(png, "IHDR", header);
    return png;
}

}  // namespace

bool writePng(const std::string& path, int width, int height, PngFormat format,
              const PixelFunction& pixelAt)
{
    Bytes raw;
    std::vector<Colour> palette;
    for (int y = 0; y < height; y++) {
        raw.push_back(0);   // filter type None
        for (int x = 0; x < width; x++)
            if (!putPixel(raw, format, pixelAt(x, y), palette)) {
                ADD_FAILURE() << path << ": more than 256 colours for a palette";
                return false;
            }
    }
    Bytes png = pngStart(width, height, colourTypes[static_cast<int>(format)]);
    if (format == PngFormat::Palette) {
        Bytes entries;
        for (const Colour& c : palette)
            entries.insert(entries.end(), {c.r, c.g, c.b});
        putChunk(png, "PLTE", entries);
    }
    putChunk(png, "IDAT", zlibStored(raw));
    putChunk(png, "IEND", {});
    return writeFile(path, png);
}

bool writeTwoBandPng(const std::string& path, int width, int height, PngFormat format,
                     Colour top, Colour bottom)
{
    return writePng(path, width, height, format,
                    [&](int, int y) { return y < height / 2 ? top : bottom; });
}

bool writeJpeg(const std::string& path, int width, int height, const PixelFunction& pixelAt)
{
    return writeWithDevil(path, IL_JPG, width, height, pixelAt);
}

bool writeWithDevil(const std::string& path, unsigned type, int width, int height,
                    const PixelFunction& pixelAt)
{
    Bytes pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            Colour c = pixelAt(x, y);
            pixels.insert(pixels.end(), {c.r, c.g, c.b});
        }
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
    // Our rows run top first; say so, or DevIL flips them on saving.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ilSetInteger(IL_JPG_QUALITY, 95);
    ilEnable(IL_FILE_OVERWRITE);
    ok = ok && ilSave(type, path.c_str());
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    if (!ok)
        ADD_FAILURE() << "DevIL cannot write " << path;
    return ok;
}

std::string pngHeaderBytes(unsigned width, unsigned height)
{
    Bytes png = pngStart(width, height, 2);
    putChunk(png, "IDAT", zlibStored(Bytes(64, 0)));
    putChunk(png, "IEND", {});
    return std::string(png.begin(), png.end());
}

std::string jpegHeaderBytes(unsigned width, unsigned height)
{
    Bytes jpeg{0xFF, 0xD8,                                                // SOI
               0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0,  // APP0
               0xFF, 0xC0, 0, 17, 8,                                       // SOF0, 8 bits
               static_cast<unsigned char>(height >> 8), static_cast<unsigned char>(height),
               static_cast<unsigned char>(width >> 8), static_cast<unsigned char>(width), 3,
               1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1,
               0xFF, 0xD9};                                                // EOI
    return std::string(jpeg.begin(), jpeg.end());
}

}  // namespace support
