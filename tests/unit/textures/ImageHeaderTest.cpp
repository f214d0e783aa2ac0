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
    {"Gif", Bytes("GIF89a\x10\0\x10\0", 10), ImageKind::Other, 0, 0, SizeVerdict::Fine},
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
