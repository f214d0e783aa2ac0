#include "support/ImageFiles.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <vector>

namespace support {

bool writeWithDevil(const std::string& path, unsigned type, int width, int height,
                    const PixelFunction& pixelAt, PngFormat format)
{
    std::vector<Colour> pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            pixels.push_back(pixelAt(x, y));
    const ILenum layout = std::vector<ILenum>{IL_RGB, IL_RGBA, IL_LUMINANCE, IL_COLOUR_INDEX}[int(format)];
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

bool writeTwoBandPng(const std::string& path, int width, int height, PngFormat format,
                     Colour top, Colour bottom)
{
    return writeWithDevil(path, IL_PNG, width, height,
                          [&](int, int y) { return y < height / 2 ? top : bottom; }, format);
}

// Such files never reach a decoder: no pixel data, a CRC nobody checks.
std::string pngHeaderBytes(unsigned width, unsigned height)
{
    std::string bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (unsigned value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += char(value >> shift);
    return bytes + std::string("\x08\x02\0\0\0\0\0\0\0", 9);
}

}  // namespace support
