// The gallery's photo loader on files that once crashed the viewer or took
// gigabytes: each decode runs in a child process, so that a crash is a
// result and not the end of the test, and its peak memory can be read.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "gallery/VipsPhotoLoader.h"
#include "photos/PhotoGate.h"
#include "support/HostilePhotos.h"
#include "support/ImageFiles.h"
#include "support/KindFiles.h"
#include "support/TempDir.h"

namespace {

struct ChildDecode {
    bool exited = false;    // false: the child died of a signal
    int outcome = -1;       // DecodedPhoto::Outcome
    long peakKilobytes = 0;
};

ChildDecode decodeInChild(const std::string& path)
{
    const pid_t child = fork();
    if (child == 0) {
        alarm(60);   // a decode that reads a sparse file to its end never returns in time
        VipsPhotoLoader loader;
        _exit(static_cast<int>(loader.decode(path).outcome));
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

TEST(VipsPhotoLoader, RefusesHostilePhotosWithoutCrashingOrPassingTheBudget)
{
    support::TempDir dir;
    std::vector<std::pair<std::string, std::string>> files;   // what, path
    for (const support::HostilePhoto& photo : support::hostilePhotos())
        files.push_back({photo.what, dir.write(photo.name, photo.bytes)});
    files.push_back({"800 x 600 BMP", dir.write("scan.bmp", support::bmpBytes(800, 600))});
    files.push_back({"800 x 600 TGA", dir.write("scan.tga", support::tgaBytes(800, 600))});
    support::writeSparseJpeg(dir.file("sparse.jpg"), 20ll << 30);
    files.push_back({"20 GB sparse JPEG", dir.file("sparse.jpg")});
    for (const auto& [what, path] : files) {
        const ChildDecode decode = decodeInChild(path);
        EXPECT_TRUE(decode.exited) << what << " crashed the loader";
        EXPECT_EQ(decode.outcome, DecodedPhoto::Refused) << what;
        if (!support::sanitizedBuild) {
            EXPECT_LT(decode.peakKilobytes * 1024, static_cast<long>(photoDecodeBudgetBytes)) << what;
        }
    }
}

TEST(VipsPhotoLoader, DecodesAPhotoWhateverItsName)
{
    support::TempDir dir;
    // A RAW's name that LibRaw does not take goes by the content too.
    for (const char* name : {"really-a-png.jpg", "really-a-png.nef"}) {
        const std::string path = dir.file(name);
        ASSERT_TRUE(support::writeTwoBandPng(path, 64, 48, support::PngFormat::Rgb, support::red, support::blue));
        const ChildDecode decode = decodeInChild(path);
        EXPECT_TRUE(decode.exited) << name;
        EXPECT_EQ(decode.outcome, DecodedPhoto::Decoded) << name;
    }
}

// Upright, the photos are red above blue; stored, each kind keeps its
// orientation its own way (a WebP's EXIF, a TIFF's tag, a HEIC's irot with
// an EXIF that says the same, none in a GIF). The square comes out upright,
// turned once, and the photo's size is the upright one.
TEST(VipsPhotoLoader, TurnsEveryKindUprightOnce)
{
    support::TempDir dir;
    // Stored 48 x 64 with orientation 6: upright 64 x 48, its top the stored left.
    const auto turned = [](int x, int) { return x < 24 ? support::red : support::blue; };
    const auto upright = [](int, int y) { return y < 24 ? support::red : support::blue; };
    ASSERT_TRUE(support::writeKind(dir.file("a.webp"), "webp", 48, 64, turned, 6));
    ASSERT_TRUE(support::writeKind(dir.file("a.tiff"), "tiff", 48, 64, turned, 6));
    ASSERT_TRUE(support::writeTurnedHeic(dir.file("turned.heic"), 48, 64, turned));
    ASSERT_TRUE(support::writeKind(dir.file("a.heic"), "heic", 64, 48, upright));
    ASSERT_TRUE(support::writeKind(dir.file("a.avif"), "avif", 64, 48, upright));
    ASSERT_TRUE(support::writeKind(dir.file("a.gif"), "gif", 64, 48, upright));
    // A camera RAW by its 640 x 480 preview, turned by LibRaw's flip.
    ASSERT_TRUE(support::writeDng(dir.file("a.dng"), 640, 480, [](int x, int) { return x < 320 ? support::red : support::blue; },
                                  6, "2018:05:06 07:08:09"));
    VipsPhotoLoader loader;
    for (const char* name : {"a.webp", "a.tiff", "turned.heic", "a.heic", "a.avif", "a.gif", "a.dng"}) {
        const DecodedPhoto photo = loader.decode(dir.file(name));
        ASSERT_EQ(photo.outcome, DecodedPhoto::Decoded) << name << ": " << photo.reason;
        EXPECT_EQ(std::make_pair(photo.width, photo.height),
                  std::string(name) == "a.dng" ? std::make_pair(480, 640) : std::make_pair(64, 48)) << name;
        std::string seen;
        for (const auto& [x, y] : {std::pair{0.1, 0.1}, {0.9, 0.1}, {0.1, 0.9}, {0.9, 0.9}}) {
            const unsigned char* rgb = &photo.pixels[(size_t(y * photo.side) * photo.side + size_t(x * photo.side)) * 3];
            seen += rgb[0] > 128 && rgb[2] < 128 ? 'r' : rgb[2] > 128 && rgb[0] < 128 ? 'b' : '?';
        }
        EXPECT_EQ(seen, "rrbb") << name;
    }
}

}  // namespace
