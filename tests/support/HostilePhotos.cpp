#include "support/HostilePhotos.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace support {

namespace {

std::string big16(unsigned value) { return {char(value >> 8), char(value)}; }
std::string big32(unsigned value) { return big16(value >> 16) + big16(value & 0xFFFF); }
std::string little16(unsigned value) { return {char(value), char(value >> 8)}; }
std::string little32(unsigned value) { return little16(value & 0xFFFF) + little16(value >> 16); }

// A GIF header and one image descriptor claiming width x height, then one
// byte of LZW data: 35 bytes in all.
std::string gifBytes(unsigned width, unsigned height)
{
    return "GIF89a" + little16(width) + little16(height) + std::string("\0\0\0", 3) + "," +
           std::string(4, '\0') + little16(width) + little16(height) + std::string("\0\2\2D\1\0;", 7);
}

// A little-endian TIFF whose one directory holds only its width and height.
std::string tiffBytes(unsigned width, unsigned height)
{
    std::string ifd = little16(2);
    for (const auto& [tag, value] : {std::pair{256u, width}, {257u, height}})
        ifd += little16(tag) + little16(4) + little32(1) + little32(value);
    return "II*" + std::string(1, '\0') + little32(8) + ifd + little32(0);
}

// The start of a HEIC file: its ftyp box, then a meta box that is cut short.
std::string heicBytes()
{
    return big32(24) + "ftypheic" + big32(0) + "mif1heic" + big32(200) + "meta";
}

}  // namespace

std::string jpegFrameBytes(unsigned width, unsigned height, bool progressive)
{
    const std::string frame = std::string{8} + big16(height) + big16(width) + "\3" +
                              std::string("\1\x22\0\2\x11\1\3\x11\1", 9);
    return "\xFF\xD8\xFF" + std::string(1, progressive ? '\xC2' : '\xC0') + big16(frame.size() + 2) + frame +
           "\xFF\xD9";
}

std::string pngIhdrBytes(unsigned width, unsigned height, int bitDepth, int colourType, bool interlaced)
{
    return std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + big32(width) + big32(height) +
           char(bitDepth) + char(colourType) + std::string(2, '\0') + char(interlaced) + std::string(4, '\0');
}

std::string bmpBytes(int width, int height)
{
    const int row = (width * 3 + 3) / 4 * 4;
    return "BM" + little32(54 + row * height) + little32(0) + little32(54) + little32(40) + little32(width) +
           little32(height) + little16(1) + little16(24) + little32(0) + little32(row * height) +
           std::string(16, '\0') + std::string(size_t(row) * height, '\x80');
}

std::string tgaBytes(int width, int height)
{
    return std::string("\0\0\2", 3) + std::string(9, '\0') + little16(width) + little16(height) + "\x18\x20" +
           std::string(size_t(width) * height * 3, '\x40');
}

std::vector<HostilePhoto> hostilePhotos()
{
    const std::string tooLarge = "is too large: decoding it would take";
    return {
        {"GIF claiming 50,000 x 50,000, named .jpg", "gif-bomb.jpg", gifBytes(50000, 50000), "a GIF image, not a kind"},
        {"progressive JPEG claiming 23,000 x 23,000", "progressive-23k.jpg", jpegFrameBytes(23000, 23000, true), tooLarge},
        {"progressive JPEG claiming 50,000 x 50,000", "progressive-50k.jpg", jpegFrameBytes(50000, 50000, true), tooLarge},
        {"interlaced 16-bit PNG of 23,000 x 23,000", "interlaced-16bit.png", pngIhdrBytes(23000, 23000, 16, 2, true), tooLarge},
        {"TIFF claiming 50,000 x 50,000, named .jpg", "tiff-bomb.jpg", tiffBytes(50000, 50000), "a TIFF image, not a kind"},
        {"HEIC named .jpg", "phone.jpg", heicBytes(), "a HEIF image, not a kind"},
        {"BMP named .jpg", "scan.jpg", bmpBytes(80, 60), "a BMP image, not a kind"},
    };
}

void writeSparseJpeg(const std::string& path, long long bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(write(fd, "\xFF\xD8", 2), 2);
    EXPECT_EQ(ftruncate(fd, bytes), 0);
    close(fd);
}

}  // namespace support
