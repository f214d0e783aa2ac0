#include "support/ImageFiles.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace support {
namespace {

using Bytes = std::vector<unsigned char>;

// DevIL's layout for each PngFormat: the palette is made from RGB by DevIL.
struct Layout {
    ILenum format;
    ILubyte channels;
};
const Layout layouts[] = {{IL_RGB, 3}, {IL_RGBA, 4}, {IL_LUMINANCE, 1}, {IL_RGB, 3}};

// Saves pixel rows (top row first) through DevIL.
bool save(const std::string& path, ILenum type, int width, int height, const Layout& layout,
          bool palette, const PixelFunction& pixelAt)
{
    Bytes pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            const Colour c = pixelAt(x, y);
            const unsigned char all[4] = {c.r, c.g, c.b, c.a};
            pixels.insert(pixels.end(), all, all + layout.channels);
        }
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(width, height, 1, layout.channels, layout.format, IL_UNSIGNED_BYTE, pixels.data());
    // Our rows run top first; say so, or DevIL flips them on saving.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    if (palette)
        ok = ok && ilConvertImage(IL_COLOUR_INDEX, IL_UNSIGNED_BYTE);
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

}  // namespace

bool writePng(const std::string& path, int width, int height, PngFormat format,
              const PixelFunction& pixelAt)
{
    return save(path, IL_PNG, width, height, layouts[static_cast<int>(format)],
                format == PngFormat::Palette, pixelAt);
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
    return save(path, type, width, height, layouts[0], false, pixelAt);
}

// Only the signature and IHDR matter: such files never reach a decoder.
std::string pngHeaderBytes(unsigned width, unsigned height)
{
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (unsigned value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            png.push_back(static_cast<unsigned char>(value >> shift));
    png.insert(png.end(), {8, 2, 0, 0, 0, 0, 0, 0, 0});   // 8-bit RGB, a CRC nobody checks
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
