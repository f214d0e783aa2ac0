// The gate in front of every photo decoder: the kind told by content, the
// budget counted with shrink-on-load, and a header search that ends.
#include <gtest/gtest.h>

#include "photos/PhotoGate.h"
#include "support/HostilePhotos.h"
#include "support/TempDir.h"

namespace {

using support::gifBytes;
using support::heifBytes;
using support::jpegFrameBytes;
using support::pngIhdrBytes;
using support::tiffBytes;
using support::webpBytes;

std::string problemOf(const std::string& bytes)
{
    return photoProblem(readPhotoHeader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

TEST(PhotoGate, CountsWhatADecodeHoldsAndAdmitsUpToTheBudget)
{
    const struct { const char* what; std::string bytes; bool admitted; } cases[] = {
        {"12 MP progressive JPEG", jpegFrameBytes(4000, 3000, true), true},
        {"600 MP baseline JPEG, shrunk by 8 on load", jpegFrameBytes(30000, 20000, false), true},
        {"the largest baseline JPEG there is", jpegFrameBytes(65535, 65535, false), true},
        {"progressive JPEG of 9,500 x 9,500 (541 MB of coefficients)", jpegFrameBytes(9500, 9500, true), false},
        {"16-bit RGBA PNG of exactly 512 MB", pngIhdrBytes(8192, 8192, 16, 6, false), true},
        {"16-bit RGBA PNG one row over", pngIhdrBytes(8192, 8193, 16, 6, false), false},
        {"8-bit palette PNG counted as RGBA", pngIhdrBytes(12000, 12000, 8, 3, false), false},
        {"8-bit grey PNG of the same size", pngIhdrBytes(12000, 12000, 8, 0, false), true},
        {"PNG claiming 4 billion squared", pngIhdrBytes(0xFFFFFFFF, 0xFFFFFFFF, 16, 6, true), false},
        {"PNG of an unknown colour type", pngIhdrBytes(100, 100, 8, 5, false), false},
        {"JPEG of zero height", jpegFrameBytes(100, 0, false), false},
        {"GIF of 11,000 x 11,000, decoded as RGBA", gifBytes(11000, 11000), true},
        {"GIF of 12,000 x 12,000", gifBytes(12000, 12000), false},
        {"8-bit RGB TIFF of 12,000 x 12,000", tiffBytes(12000, 12000, 3, 8), true},
        {"16-bit RGB TIFF of the same size", tiffBytes(12000, 12000, 3, 16), false},
        {"grey TIFF counted as RGB", tiffBytes(14000, 14000, 1, 8), false},
        {"HEIC of 9,000 x 9,000", heifBytes(9000, 9000), true},
        {"HEIC whose HEVC stream codes whole blocks past its extent", heifBytes(4000, 4000, false, 8, 4032), true},
        {"10-bit HEIC of 9,000 x 9,000, decoded at 16 bits", heifBytes(9000, 9000, false, 10), false},
        {"WebP of 12,000 x 12,000 without alpha", webpBytes(12000, 12000, false), true},
        {"WebP of 12,000 x 12,000 with alpha", webpBytes(12000, 12000, true), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(problemOf(c.bytes).empty(), c.admitted) << c.what << ": " << problemOf(c.bytes);
}

TEST(PhotoGate, TellsKindsByContentAndRefusesEachHostilePhotoInWords)
{
    for (const support::HostilePhoto& photo : support::hostilePhotos())
        EXPECT_NE(problemOf(photo.bytes).find(photo.refusal), std::string::npos) << photo.what << ": " << problemOf(photo.bytes);
    EXPECT_EQ(problemOf(std::string("RIFF\0\0\0\0WEBPVP8 ", 16)), "its header cannot be read");
    EXPECT_EQ(problemOf("plain text"), "not a photo of a kind read here (JPEG, PNG, HEIF, WebP, TIFF, GIF)");
    // A video shares a HEIC's box structure, not its brands.
    std::string video = heifBytes(640, 480);
    video.replace(8, 4, "isom").replace(16, 8, "isomavc1");
    EXPECT_EQ(problemOf(video), "not a photo of a kind read here (JPEG, PNG, HEIF, WebP, TIFF, GIF)");
    EXPECT_EQ(problemOf(jpegFrameBytes(50000, 50000, true)),
              "its size 50000 x 50000 is too large: decoding it would take 14306 MB, over the 512 MB a photo may take");
}

// The size is the one the decoder's header gives: a HEIC's primary item's
// extent whatever its irot, never its thumbnail's; a WebP of any of its
// three headers.
TEST(PhotoGate, ReadsTheSizeEachKindDecodesTo)
{
    std::string lossless = "RIFF" + std::string(4, '\0') + "WEBPVP8L" + std::string(4, '\0') + "\x2F";
    const unsigned packed = (1000 - 1) | (800 - 1) << 14;
    lossless += std::string{char(packed), char(packed >> 8), char(packed >> 16), char(packed >> 24)};
    std::string lossy = "RIFF" + std::string(4, '\0') + "WEBPVP8 " + std::string(7, '\0') + "\x9D\x01\x2A";
    lossy += std::string{char(640 & 0xFF), char(640 >> 8), char(480 & 0xFF), char(480 >> 8)};
    const struct { const char* what; std::string bytes; PhotoKind kind; uint32_t width, height; } cases[] = {
        {"HEIC", heifBytes(4032, 3024), PhotoKind::Heif, 4032, 3024},
        {"HEIC turned by a quarter", heifBytes(4032, 3024, true), PhotoKind::Heif, 4032, 3024},
        {"lossless WebP", lossless, PhotoKind::Webp, 1000, 800},
        {"lossy WebP", lossy, PhotoKind::Webp, 640, 480},
        {"extended WebP", webpBytes(70000, 3, false), PhotoKind::Webp, 70000, 3},
        {"big-endian TIFF, its width a SHORT", std::string("MM\0*\0\0\0\x08\0\x02"
                                                           "\x01\x00\0\x03\0\0\0\x01\x02\x00\0\0"
                                                           "\x01\x01\0\x04\0\0\0\x01\0\0\x01\x2C\0\0\0\0", 38),
         PhotoKind::Tiff, 512, 300},
        {"GIF", gifBytes(320, 200), PhotoKind::Gif, 320, 200},
    };
    for (const auto& c : cases) {
        const PhotoHeader header = readPhotoHeader(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(std::make_tuple(header.kind, header.width, header.height), std::make_tuple(c.kind, c.width, c.height))
            << c.what;
    }
}

// A frame header behind 16 MB of anything is not looked for: a sparse file
// of zeros behind SOI ends the search there instead of at its end.
TEST(PhotoGate, GivesUpTheMarkerSearchAfterSixteenMegabytes)
{
    support::TempDir dir;
    bool opened = false;
    support::writeSparseJpeg(dir.file("zeros.jpg"), 20ll << 30);
    EXPECT_EQ(photoProblem(readPhotoHeaderFile(dir.file("zeros.jpg").c_str(), &opened)), "its header cannot be read");
    EXPECT_TRUE(opened);
    const std::string frame = jpegFrameBytes(640, 480, false).substr(2);
    for (const auto& [padding, admitted] : {std::pair{(15 << 20), true}, {(17 << 20), false}}) {
        const std::string bytes = "\xFF\xD8" + std::string(padding, '\0') + frame;
        EXPECT_EQ(problemOf(bytes).empty(), admitted) << padding;
    }
    readPhotoHeaderFile(dir.file("missing.jpg").c_str(), &opened);
    EXPECT_FALSE(opened);
}

}  // namespace
