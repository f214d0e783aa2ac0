// The gate in front of every photo decoder: the kind told by content, the
// budget counted with shrink-on-load, and a header search that ends.
#include <gtest/gtest.h>

#include "photos/PhotoGate.h"
#include "support/HostilePhotos.h"
#include "support/TempDir.h"

namespace {

using support::jpegFrameBytes;
using support::pngIhdrBytes;

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
    };
    for (const auto& c : cases)
        EXPECT_EQ(problemOf(c.bytes).empty(), c.admitted) << c.what << ": " << problemOf(c.bytes);
}

TEST(PhotoGate, TellsKindsByContentAndRefusesEachHostilePhotoInWords)
{
    for (const support::HostilePhoto& photo : support::hostilePhotos())
        EXPECT_NE(problemOf(photo.bytes).find(photo.refusal), std::string::npos) << photo.what << ": " << problemOf(photo.bytes);
    EXPECT_EQ(problemOf(std::string("RIFF\0\0\0\0WEBPVP8 ", 16)), "a WebP image, not a kind read here (JPEG, PNG)");
    EXPECT_EQ(problemOf("plain text"), "not a photo of a kind read here (JPEG, PNG)");
    EXPECT_EQ(problemOf(jpegFrameBytes(50000, 50000, true)),
              "its size 50000 x 50000 is too large: decoding it would take 14306 MB, over the 512 MB a photo may take");
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
