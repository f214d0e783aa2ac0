// The size guard in front of DevIL: PNG IHDR and JPEG frame headers read
// from byte buffers and files, and the verdict on the sizes they claim.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/ImageHeader.h"
#include "textures/Textures.h"

namespace {

using Bytes = std::string;
using support::jpegHeaderBytes;
using support::pngHeaderBytes;

// One JPEG marker segment with its big-endian length.
Bytes segment(int marker, const Bytes& payload)
{
    size_t length = payload.size() + 2;
    return Bytes{'\xFF', char(marker), char(length >> 8), char(length & 0xFF)} + payload;
}

Bytes frame(int marker, unsigned width, unsigned height)
{
    return segment(marker, Bytes{8, char(height >> 8), char(height), char(width >> 8), char(width), 1, 1, 0x11, 0});
}

Bytes little(uint32_t value, int bytes)
{
    Bytes out;
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
    return out;
}

// A BMP file header and an info header of 40 bytes (or the 12-byte core one).
Bytes bmp(int32_t width, int32_t height, bool core = false)
{
    const Bytes info = core ? little(12, 4) + little(width, 2) + little(height, 2) + little(1, 2) + little(24, 2)
                            : little(40, 4) + little(width, 4) + little(height, 4) + little(1, 2) + little(24, 2);
    return "BM" + little(54, 4) + little(0, 4) + little(54, 4) + info + Bytes(16, '\0');
}

// The 18-byte header of an uncompressed true-colour TGA.
Bytes tga(uint32_t width, uint32_t height)
{
    return Bytes{0, 0, 2} + Bytes(9, '\0') + little(width, 2) + little(height, 2) + Bytes{32, 8} + Bytes(16, '\0');
}

const Bytes soi = "\xFF\xD8";
const Bytes iccProfile = segment(0xE2, Bytes(65000, '\xFF'));   // longer than one read

// width x height is 0 x 0 where the size stays unknown.
struct HeaderCase { const char* name; Bytes data; ImageKind kind; uint32_t width, height; SizeVerdict verdict; };

const HeaderCase headerCases[] = {
    {"PngThumbnail", pngHeaderBytes(128, 96), ImageKind::Png, 128, 96, SizeVerdict::Fine},
    {"PngOverflowingDevIL", pngHeaderBytes(65536, 65537), ImageKind::Png, 65536, 65537, SizeVerdict::TooLarge},
    {"PngZeroWidth", pngHeaderBytes(0, 10), ImageKind::Png, 0, 10, SizeVerdict::Empty},
    {"PngSideJustAboveBound", pngHeaderBytes(32769, 1), ImageKind::Png, 32769, 1, SizeVerdict::TooLarge},
    {"PngJustOverMaxPixels", pngHeaderBytes(10000, 10001), ImageKind::Png, 10000, 10001, SizeVerdict::TooLarge},
    {"PngTruncatedInIhdr", pngHeaderBytes(16, 16).substr(0, 20), ImageKind::Png, 0, 0, SizeVerdict::Unreadable},
    {"JpegVga", jpegHeaderBytes(640, 480), ImageKind::Jpeg, 640, 480, SizeVerdict::Fine},
    {"JpegClaimingSixGigabytes", jpegHeaderBytes(30000, 30000), ImageKind::Jpeg, 30000, 30000, SizeVerdict::TooLarge},
    {"JpegZeroHeight", soi + frame(0xC0, 100, 0), ImageKind::Jpeg, 100, 0, SizeVerdict::Empty},
    // Fill bytes, a restart marker, APP0 and a Huffman table (C4 is no frame).
    {"JpegMarkersBeforeFrame", soi + "\xFF\xFF\xFF\xD0" + segment(0xE0, "JFIF") + segment(0xC4, Bytes(20, '\1')) + frame(0xC2, 800, 600), ImageKind::Jpeg, 800, 600, SizeVerdict::Fine},
    {"JpegFrameBehindLargeSegments", soi + iccProfile + iccProfile + frame(0xC0, 30000, 30000), ImageKind::Jpeg, 30000, 30000, SizeVerdict::TooLarge},
    // An EXIF APP1 holding a 1 x 1 frame header: found by a scanner that does not walk segments.
    {"JpegFrameAfterExifDecoy", soi + segment(0xE1, Bytes("Exif\0\0", 6) + frame(0xC0, 1, 1)) + frame(0xC0, 30000, 30000), ImageKind::Jpeg, 30000, 30000, SizeVerdict::TooLarge},
    {"JpegScanBeforeFrame", soi + segment(0xDA, Bytes(10, '\0')) + frame(0xC0, 5, 6), ImageKind::Jpeg, 0, 0, SizeVerdict::Unreadable},
    {"JpegTruncatedInFrame", (soi + frame(0xC0, 5, 6)).substr(0, 8), ImageKind::Jpeg, 0, 0, SizeVerdict::Unreadable},
    {"BmpTopDownRows", bmp(101, -50), ImageKind::Bmp, 101, 50, SizeVerdict::Fine},
    {"BmpCoreHeader", bmp(640, 480, true), ImageKind::Bmp, 640, 480, SizeVerdict::Fine},
    {"BmpOverflowingDevIL", bmp(40000, 40000), ImageKind::Bmp, 40000, 40000, SizeVerdict::TooLarge},
    {"BmpTruncated", bmp(8, 8).substr(0, 20), ImageKind::Bmp, 0, 0, SizeVerdict::Unreadable},
    // Formats whose headers are not read never reach DevIL.
    {"Gif", Bytes("GIF89a\x10\0\x10\0", 10), ImageKind::Other, 0, 0, SizeVerdict::Unsupported},
};

class ImageHeaderCases : public testing::TestWithParam<HeaderCase> {};

// From memory and from a file that always says .jpg: the content decides.
TEST_P(ImageHeaderCases, ReadsClaimedSizeAndJudgesIt)
{
    const HeaderCase& c = GetParam();
    support::TempDir dir;
    std::string path = dir.write("image.jpg", c.data);
    for (const ImageHeader& header : {readImageHeader(reinterpret_cast<const unsigned char*>(c.data.data()), c.data.size()),
                                      readImageHeaderFile(path.c_str())}) {
        EXPECT_EQ(header.kind, c.kind);
        EXPECT_EQ(header.sizeKnown, c.kind != ImageKind::Other && c.verdict != SizeVerdict::Unreadable);
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
        EXPECT_EQ(judgeImageHeader(header), c.verdict);
    }
}

// TGA has no signature: only a ".tga" name makes a file one, and a
// signature in the content still wins over the name.
TEST(ImageHeaderFile, TgaIsKnownByItsNameOnly)
{
    support::TempDir dir;
    const struct { const char* name; Bytes data; ImageKind kind; SizeVerdict verdict; } cases[] = {
        {"small.tga", tga(64, 48), ImageKind::Tga, SizeVerdict::Fine},
        {"LOUD.TGA", tga(32768, 32769), ImageKind::Tga, SizeVerdict::TooLarge},
        {"short.tga", tga(64, 48).substr(0, 17), ImageKind::Tga, SizeVerdict::Unreadable},
        {"png.tga", pngHeaderBytes(16, 16), ImageKind::Png, SizeVerdict::Fine},
        {"tga.png", tga(64, 48), ImageKind::Other, SizeVerdict::Unsupported},
    };
    for (const auto& c : cases) {
        const ImageHeader header = readImageHeaderFile(dir.write(c.name, c.data).c_str());
        EXPECT_EQ(header.kind, c.kind) << c.name;
        EXPECT_EQ(judgeImageHeader(header), c.verdict) << c.name;
    }
    EXPECT_EQ(judgeImageHeader(readImageHeaderFile(dir.file("missing.png").c_str())), SizeVerdict::Fine)
        << "a missing file is left to DevIL to report";
}

INSTANTIATE_TEST_SUITE_P(BuffersAndFiles, ImageHeaderCases, testing::ValuesIn(headerCases),
                         [](const testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

TEST(CopyString, MakesAnIndependentTerminatedHeapCopy)
{
    for (const char* text : {"", "./signs/sign2005_128x32.png", "C:\\photos\\Ä ö.jpg"}) {
        char* copy = copyString(text);
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, text);
        EXPECT_STREQ(copy, text);
        std::free(copy);
    }
}

}  // namespace
