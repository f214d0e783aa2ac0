// The size guard in front of DevIL: PNG, JPEG, BMP and TGA headers read from
// files and memory, and the verdict on the sizes they claim.
#include <gtest/gtest.h>

#include <tuple>

#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "photos/ImageHeader.h"

namespace {

using Bytes = std::string;
using support::pngHeaderBytes;

// One JPEG marker segment with its big-endian length.
Bytes segment(int marker, const Bytes& payload)
{
    size_t length = payload.size() + 2;
    return Bytes{'\xFF', char(marker), char(length >> 8), char(length)} + payload;
}

Bytes frame(int marker, unsigned width, unsigned height) { return segment(marker, {8, char(height >> 8), char(height), char(width >> 8), char(width), 1, 1, 0x11, 0}); }

Bytes little(uint32_t value, int bytes) { return bytes == 0 ? Bytes() : char(value) + little(value >> 8, bytes - 1); }

// A BMP file header and a 40-byte info header, or the 12-byte core one.
Bytes bmp(int32_t width, int32_t height, int side = 4) { return "BM" + little(54, 12) + little(side == 2 ? 12 : 40, 4) + little(width, side) + little(height, side) + little(0x180001, 4); }

// The 18-byte header of an uncompressed true-colour TGA.
Bytes tga(uint32_t width, uint32_t height) { return Bytes{0, 0, 2} + Bytes(9, '\0') + little(width, 2) + little(height, 2) + "\x20\x08"; }

const Bytes soi = "\xFF\xD8";
const Bytes iccProfile = segment(0xE2, Bytes(65000, '\xFF'));   // longer than one read

// The file name never decides, except ".tga" for content without a signature;
// memory has no name. width x height stays 0 x 0 where the size is unknown.
TEST(ImageHeader, ReadsTheClaimedSizeAndJudgesIt)
{
    const struct { const char* what; const char* name; Bytes data; ImageKind kind; uint32_t width, height; SizeVerdict verdict; } cases[] = {
        {"png thumbnail", "a.jpg", pngHeaderBytes(128, 96), ImageKind::Png, 128, 96, SizeVerdict::Fine},
        {"png overflowing DevIL", "a.png", pngHeaderBytes(65536, 65537), ImageKind::Png, 65536, 65537, SizeVerdict::TooLarge},
        {"png of zero width", "a.png", pngHeaderBytes(0, 10), ImageKind::Png, 0, 10, SizeVerdict::Empty},
        {"png side just above the bound", "a.png", pngHeaderBytes(32769, 1), ImageKind::Png, 32769, 1, SizeVerdict::TooLarge},
        {"png just over the pixel bound", "a.png", pngHeaderBytes(10000, 10001), ImageKind::Png, 10000, 10001, SizeVerdict::TooLarge},
        {"png cut in IHDR", "a.png", pngHeaderBytes(16, 16).substr(0, 20), ImageKind::Png, 0, 0, SizeVerdict::Unreadable},
        {"jpeg vga", "a.png", soi + frame(0xC0, 640, 480), ImageKind::Jpeg, 640, 480, SizeVerdict::Fine},
        {"jpeg claiming 6 GB", "a.jpg", soi + frame(0xC0, 30000, 30000), ImageKind::Jpeg, 30000, 30000, SizeVerdict::TooLarge},
        {"jpeg of zero height", "a.jpg", soi + frame(0xC0, 100, 0), ImageKind::Jpeg, 100, 0, SizeVerdict::Empty},
        {"jpeg fill, restart, APP0 and DHT (C4 is no frame) first", "a.jpg", soi + "\xFF\xFF\xFF\xD0" + segment(0xE0, "JFIF") + segment(0xC4, Bytes(20, '\1')) + frame(0xC2, 800, 600), ImageKind::Jpeg, 800, 600, SizeVerdict::Fine},
        {"jpeg frame behind segments longer than a read", "a.jpg", soi + iccProfile + iccProfile + frame(0xC0, 30000, 30000), ImageKind::Jpeg, 30000, 30000, SizeVerdict::TooLarge},
        {"jpeg frame after a 1 x 1 decoy inside EXIF", "a.jpg", soi + segment(0xE1, Bytes("Exif\0\0", 6) + frame(0xC0, 1, 1)) + frame(0xC0, 30000, 30000), ImageKind::Jpeg, 30000, 30000, SizeVerdict::TooLarge},
        {"jpeg scan before the frame", "a.jpg", soi + segment(0xDA, Bytes(10, '\0')) + frame(0xC0, 5, 6), ImageKind::Jpeg, 0, 0, SizeVerdict::Unreadable},
        {"jpeg frame segment too short for a size", "a.jpg", soi + Bytes("\xFF\xC0\0\5\x08\0\x10\0\x20\0", 10), ImageKind::Jpeg, 0, 0, SizeVerdict::Unreadable},
        {"jpeg cut in the frame", "a.jpg", (soi + frame(0xC0, 5, 6)).substr(0, 8), ImageKind::Jpeg, 0, 0, SizeVerdict::Unreadable},
        {"bmp with top-down rows", "a.bmp", bmp(101, -50), ImageKind::Bmp, 101, 50, SizeVerdict::Fine},
        {"bmp core header", "a.bmp", bmp(640, 480, 2), ImageKind::Bmp, 640, 480, SizeVerdict::Fine},
        {"bmp overflowing DevIL", "a.bmp", bmp(40000, 40000), ImageKind::Bmp, 40000, 40000, SizeVerdict::TooLarge},
        {"bmp cut short", "a.bmp", bmp(8, 8).substr(0, 20), ImageKind::Bmp, 0, 0, SizeVerdict::Unreadable},
        {"gif (never reaches DevIL)", "a.gif", Bytes("GIF89a\x10\0\x10\0", 10), ImageKind::Other, 0, 0, SizeVerdict::Unsupported},
        {"tga", "a.tga", tga(64, 48), ImageKind::Tga, 64, 48, SizeVerdict::Fine},
        {"tga overflowing DevIL, name in capitals", "A.TGA", tga(32768, 32769), ImageKind::Tga, 32768, 32769, SizeVerdict::TooLarge},
        {"tga cut short", "a.tga", tga(64, 48).substr(0, 17), ImageKind::Tga, 0, 0, SizeVerdict::Unreadable},
        {"png named .tga", "a.tga", pngHeaderBytes(16, 16), ImageKind::Png, 16, 16, SizeVerdict::Fine},
        {"tga named .png", "a.png", tga(64, 48), ImageKind::Other, 0, 0, SizeVerdict::Unsupported},
    };
    support::TempDir dir;
    auto seen = [](const ImageHeader& h) { return std::make_tuple(h.kind, h.width, h.height, judgeImageHeader(h)); };
    for (const auto& c : cases) {
        const auto expected = std::make_tuple(c.kind, c.width, c.height, c.verdict);
        EXPECT_EQ(seen(readImageHeaderFile(dir.write(c.name, c.data).c_str())), expected) << c.what;
        const ImageHeader inMemory = readImageHeader(reinterpret_cast<const unsigned char*>(c.data.data()), c.data.size());
        EXPECT_TRUE(c.kind == ImageKind::Tga || seen(inMemory) == expected) << c.what << " (memory)";
    }
}

}  // namespace
