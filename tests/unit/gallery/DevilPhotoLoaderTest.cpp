// What the real photo loader makes of files that are not photos it can
// show, and of one it can.
#include <IL/il.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "gallery/DevilPhotoLoader.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

TEST(DevilPhotoLoader, RefusesWhatItCannotShowWithoutBlocking)
{
    ilInit();
    iluInit();
    support::TempDir dir;
    const std::string photo = dir.file("photo.jpg");
    ASSERT_TRUE(support::writeWithDevil(photo, IL_JPG, 40, 30, [](int, int) { return support::red; }));
    std::stringstream bytes;
    bytes << std::ifstream(photo, std::ios::binary).rdbuf();
    ASSERT_EQ(mkfifo(dir.file("fifo.jpg").c_str(), 0600), 0);
    const struct { std::string path; DecodedPhoto::Outcome outcome; std::string reason; } rows[] = {
        {photo, DecodedPhoto::Decoded, ""},
        {dir.file("gone.jpg"), DecodedPhoto::NotFound, ""},
        {dir.path(), DecodedPhoto::Refused, "it is not a regular file"},
        {dir.file("fifo.jpg"), DecodedPhoto::Refused, "it is not a regular file"},
        {"/dev/zero", DecodedPhoto::Refused, "it is not a regular file"},
        {dir.write("cut.jpg", bytes.str().substr(0, bytes.str().size() * 9 / 10)), DecodedPhoto::Refused,
         "jpeg library error"},
        {dir.write("huge.png", support::pngHeaderBytes(70000, 70000)), DecodedPhoto::Refused,
         "its size 70000 x 70000 is too large"},
        {dir.write("text.jpg", "hello"), DecodedPhoto::Refused, "not a PNG, JPEG, BMP or TGA image"},
    };
    DevilPhotoLoader loader;
    for (const auto& row : rows) {
        const DecodedPhoto decoded = loader.decode(row.path);
        EXPECT_EQ(decoded.outcome, row.outcome) << row.path;
        EXPECT_TRUE(row.reason.empty() || decoded.reason == row.reason) << decoded.reason;
    }
    const DecodedPhoto decoded = loader.decode(photo);
    EXPECT_EQ(decoded.width * 1000 + decoded.height, 40030);
    ASSERT_EQ(decoded.pixels.size(), 1024u * 1024 * 3);
    EXPECT_GT(decoded.pixels[0], 200);
}

}  // namespace
