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

Bytes bytes(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// One JPEG marker segment with its big-endian length.
Bytes segment(int marker, const Bytes& payload)
{
    size_t length = payload.size() + 2;
    return bytes({0xFF, marker, int(length >> 8), int(length & 0xFF)}) + payload;
}

Bytes frame(int marker, unsigned width, unsigned height)
{
    return segment(marker, bytes({8, int(height >> 8), int(height & 0xFF), int(width >> 8),
                                  int(width & 0xFF), 1, 1, 0x11, 0}));
}

const Bytes soi = bytes({0xFF, 0xD8});
const Bytes eoi = bytes({0xFF, 0xD9});
const Bytes app0 = segment(0xE0, Bytes("JFIF\0\1\1\0\0\1\0\1\0\0", 14));

ImageHeader read(const Bytes& data)
{
    return readImageHeader(reinterpret_cast<const unsigned char*>(data.data()), data.size());
}

struct HeaderCase {
    const char* name;
    Bytes data;
    ImageKind kind;
    bool sizeKnown;
    uint32_t width, height;
    SizeVerdict verdict;
};

Bytes pngWithFirstChunk(const char* type)
{
    Bytes png = support::pngHeaderBytes(16, 16);
    return png.replace(12, 4, type);
}

// An EXIF-like APP1 whose payload holds bytes that look like a frame
// header claiming 1 x 1: a scanner that does not walk segments finds it.
Bytes decoyApp1()
{
    return segment(0xE1, Bytes("Exif\0\0", 6) + frame(0xC0, 1, 1) + Bytes(5000, 'x'));
}

const HeaderCase headerCases[] = {
    {"PngThumbnail", support::pngHeaderBytes(128, 96), ImageKind::Png, true, 128, 96, SizeVerdict::Fine},
    {"PngOverflowingDevIL", support::pngHeaderBytes(65536, 65537), ImageKind::Png, true, 65536, 65537, SizeVerdict::TooLarge},
    {"PngZeroWidth", support::pngHeaderBytes(0, 10), ImageKind::Png, true, 0, 10, SizeVerdict::Empty},
    {"PngZeroHeight", support::pngHeaderBytes(10, 0), ImageKind::Png, true, 10, 0, SizeVerdict::Empty},
    {"PngSideJustAboveBound", support::pngHeaderBytes(32769, 1), ImageKind::Png, true, 32769, 1, SizeVerdict::TooLarge},
    {"PngLargestSide", support::pngHeaderBytes(32768, 1), ImageKind::Png, true, 32768, 1, SizeVerdict::Fine},
    {"PngExactlyMaxPixels", support::pngHeaderBytes(10000, 10000), ImageKind::Png, true, 10000, 10000, SizeVerdict::Fine},
    {"PngJustOverMaxPixels", support::pngHeaderBytes(10000, 10001), ImageKind::Png, true, 10000, 10001, SizeVerdict::TooLarge},
    {"PngWidthWithTopBitSet", support::pngHeaderBytes(0x80000000u, 2), ImageKind::Png, true, 0x80000000u, 2, SizeVerdict::TooLarge},
    {"PngTruncatedInIhdr", support::pngHeaderBytes(16, 16).substr(0, 20), ImageKind::Png, false, 0, 0, SizeVerdict::Unreadable},
    {"PngSignatureOnly", support::pngHeaderBytes(16, 16).substr(0, 8), ImageKind::Png, false, 0, 0, SizeVerdict::Unreadable},
    {"PngFirstChunkNotIhdr", pngWithFirstChunk("tEXt"), ImageKind::Png, false, 0, 0, SizeVerdict::Unreadable},
    {"JpegVga", support::jpegHeaderBytes(640, 480), ImageKind::Jpeg, true, 640, 480, SizeVerdict::Fine},
    {"JpegClaimingSixGigabytes", support::jpegHeaderBytes(30000, 30000), ImageKind::Jpeg, true, 30000, 30000, SizeVerdict::TooLarge},
    {"JpegLargestSides", support::jpegHeaderBytes(65535, 65535), ImageKind::Jpeg, true, 65535, 65535, SizeVerdict::TooLarge},
    {"JpegZeroHeight", soi + frame(0xC0, 100, 0) + eoi, ImageKind::Jpeg, true, 100, 0, SizeVerdict::Empty},
    {"JpegProgressive", soi + app0 + frame(0xC2, 800, 600) + eoi, ImageKind::Jpeg, true, 800, 600, SizeVerdict::Fine},
    {"JpegFrameAfterExifDecoy", soi + decoyApp1() + frame(0xC0, 30000, 30000) + eoi, ImageKind::Jpeg, true, 30000, 30000, SizeVerdict::TooLarge},
    {"JpegHuffmanTableIsNoFrame", soi + segment(0xC4, Bytes(20, '\1')) + frame(0xC1, 300, 200), ImageKind::Jpeg, true, 300, 200, SizeVerdict::Fine},
    {"JpegFillBytesBeforeMarker", soi + bytes({0xFF, 0xFF, 0xFF}) + frame(0xC0, 64, 48), ImageKind::Jpeg, true, 64, 48, SizeVerdict::Fine},
    {"JpegGarbageBetweenSegments", soi + app0 + "junk" + bytes({0, 0xFF, 0}) + frame(0xC0, 40000, 8), ImageKind::Jpeg, true, 40000, 8, SizeVerdict::TooLarge},
    {"JpegGarbageRightAfterSoi", soi + Bytes(10, '\0') + frame(0xC0, 30000, 30000), ImageKind::Jpeg, true, 30000, 30000, SizeVerdict::TooLarge},
    {"JpegRestartMarkersAreStandalone", soi + bytes({0xFF, 0xD0}) + frame(0xC0, 5, 6), ImageKind::Jpeg, true, 5, 6, SizeVerdict::Fine},
    {"JpegScanBeforeFrame", soi + segment(0xDA, Bytes(10, '\0')) + frame(0xC0, 5, 6), ImageKind::Jpeg, false, 0, 0, SizeVerdict::Unreadable},
    {"JpegEndBeforeFrame", soi + app0 + eoi + frame(0xC0, 5, 6), ImageKind::Jpeg, false, 0, 0, SizeVerdict::Unreadable},
    {"JpegSoiOnly", soi, ImageKind::Jpeg, false, 0, 0, SizeVerdict::Unreadable},
    {"JpegTruncatedInFrame", (soi + frame(0xC0, 5, 6)).substr(0, 8), ImageKind::Jpeg, false, 0, 0, SizeVerdict::Unreadable},
    {"JpegSegmentLengthBelowTwo", soi + bytes({0xFF, 0xE0, 0, 1}) + frame(0xC0, 5, 6), ImageKind::Jpeg, false, 0, 0, SizeVerdict::Unreadable},
    {"JpegSegmentRunningPastEnd", soi + bytes({0xFF, 0xE0, 0xFF, 0xF0, 1, 2}), ImageKind::Jpeg, false, 0, 0, SizeVerdict::Unreadable},
    {"Empty", Bytes(), ImageKind::Other, false, 0, 0, SizeVerdict::Fine},
    {"Bitmap", Bytes("BM\x36\0\0\0\0\0", 8), ImageKind::Other, false, 0, 0, SizeVerdict::Fine},
    {"Gif", Bytes("GIF89a\x10\0\x10\0", 10), ImageKind::Other, false, 0, 0, SizeVerdict::Fine},
    {"OneByteOfJpeg", bytes({0xFF}), ImageKind::Other, false, 0, 0, SizeVerdict::Fine},
};

class ImageHeaderCases : public testing::TestWithParam<HeaderCase> {};

TEST_P(ImageHeaderCases, ReadsClaimedSizeAndJudgesIt)
{
    const HeaderCase& c = GetParam();
    ImageHeader header = read(c.data);
    EXPECT_EQ(header.kind, c.kind);
    EXPECT_EQ(header.sizeKnown, c.sizeKnown);
    if (c.sizeKnown) {
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
    }
    EXPECT_EQ(judgeImageHeader(header), c.verdict);
}

INSTANTIATE_TEST_SUITE_P(Buffers, ImageHeaderCases, testing::ValuesIn(headerCases),
                         [](const testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

TEST(ImageHeaderFile, ReadsSizesOfRealFilesByContentNotExtension)
{
    support::TempDir dir;
    auto plain = [](int, int) { return support::green; };
    ASSERT_TRUE(support::writePng(dir.file("photo.png"), 101, 7, support::PngFormat::Palette, plain));
    ASSERT_TRUE(support::writeJpeg(dir.file("photo.jpg"), 33, 65, plain));
    // A PNG named .jpg is still a PNG to the guard.
    ASSERT_TRUE(support::writePng(dir.file("disguised.jpg"), 3, 4, support::PngFormat::Rgb, plain));

    struct { const char* file; ImageKind kind; uint32_t width, height; } files[] = {
        {"photo.png", ImageKind::Png, 101, 7},
        {"photo.jpg", ImageKind::Jpeg, 33, 65},
        {"disguised.jpg", ImageKind::Png, 3, 4},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        ImageHeader header = readImageHeaderFile(dir.file(f.file).c_str());
        EXPECT_EQ(header.kind, f.kind);
        EXPECT_TRUE(header.sizeKnown);
        EXPECT_EQ(header.width, f.width);
        EXPECT_EQ(header.height, f.height);
    }
}

TEST(ImageHeaderFile, FindsFrameBehindLargeSegmentsOnDisk)
{
    support::TempDir dir;
    Bytes padding = segment(0xE2, Bytes(65000, '\xFF'));
    std::string path = dir.write("icc.jpg", soi + padding + padding + frame(0xC0, 30000, 30000) + eoi);
    ImageHeader header = readImageHeaderFile(path.c_str());
    ASSERT_TRUE(header.sizeKnown);
    EXPECT_EQ(header.width, 30000u);
    EXPECT_EQ(judgeImageHeader(header), SizeVerdict::TooLarge);
}

TEST(ImageHeaderFile, MissingFileIsLeftToTheDecoder)
{
    ImageHeader header = readImageHeaderFile("/nonexistent/zv/missing.png");
    EXPECT_EQ(header.kind, ImageKind::Other);
    EXPECT_EQ(judgeImageHeader(header), SizeVerdict::Fine);
}

TEST(CopyString, MakesAnIndependentTerminatedHeapCopy)
{
    const char* texts[] = {"", "a", "./signs/sign2005_128x32.png", "C:\\photos\\Ä ö.jpg"};
    for (const char* text : texts) {
        char* copy = copyString(text);
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, text);
        EXPECT_STREQ(copy, text);
        copy[0] = 'Z';   // writable, and the original is untouched
        EXPECT_NE(text[0], 'Z');
        std::free(copy);
    }
}

}  // namespace
