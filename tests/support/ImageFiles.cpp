#include "support/ImageFiles.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <vector>

namespace support {
namespace {

// Saves pixel rows (top row first) through DevIL in its layout (IL_RGB,
// IL_RGBA, IL_LUMINANCE or IL_COLOUR_INDEX, made from RGB).
bool save(const std::string& path, ILenum type, int width, int height, ILenum layout,
          const PixelFunction& pixelAt)
{
    std::vector<Colour> pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            pixels.push_back(pixelAt(x, y));
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data());
    // Our rows run top first; say so, or DevIL flips them on saving.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ok = ok && ilConvertImage(layout == IL_COLOUR_INDEX ? IL_RGB : layout, IL_UNSIGNED_BYTE) &&
         ilConvertImage(layout, IL_UNSIGNED_BYTE);
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

std::string bigEndian16(unsigned value) { return {char(value >> 8), char(value)}; }

}  // namespace

bool writePng(const std::string& path, int width, int height, PngFormat format,
              const PixelFunction& pixelAt)
{
    const ILenum layouts[] = {IL_RGB, IL_RGBA, IL_LUMINANCE, IL_COLOUR_INDEX};
    return save(path, IL_PNG, width, height, layouts[static_cast<int>(format)], pixelAt);
}

bool writeTwoBandPng(const std::string& path, int width, int height, PngFormat format,
                     Colour top, Colour bottom)
{
    return writePng(path, width, height, format,
                    [&](int, int y) { return y < height / 2 ? top : bottom; });
}

bool writeWithDevil(const std::string& path, unsigned type, int width, int height,
                    const PixelFunction& pixelAt)
{
    return save(path, type, width, height, IL_RGB, pixelAt);
}

// Such files never reach a decoder: no pixel data, a CRC nobody checks.
std::string pngHeaderBytes(unsigned width, unsigned height)
{
    return std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + bigEndian16(width >> 16) +
           bigEndian16(width) + bigEndian16(height >> 16) + bigEndian16(height) +
           std::string("\x08\x02\0\0\0\0\0\0\0", 9);
}

std::string jpegHeaderBytes(unsigned width, unsigned height)
{
    return std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0\1\1\0\0\1\0\1\0\0\xFF\xC0\0\x11\x08", 25) +
           bigEndian16(height) + bigEndian16(width) +
           std::string("\3\1\x22\0\2\x11\1\3\x11\1\xFF\xD9", 12);
}

}  // namespace support
