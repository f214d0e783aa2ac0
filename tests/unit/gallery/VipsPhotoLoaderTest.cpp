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
    const std::string path = dir.file("really-a-png.jpg");
    ASSERT_TRUE(support::writeTwoBandPng(path, 64, 48, support::PngFormat::Rgb, support::red, support::blue));
    const ChildDecode decode = decodeInChild(path);
    EXPECT_TRUE(decode.exited);
    EXPECT_EQ(decode.outcome, DecodedPhoto::Decoded);
}

}  // namespace
