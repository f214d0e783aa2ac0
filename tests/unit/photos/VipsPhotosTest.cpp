// libvips as both programs start it: no call can reach a loader of a kind
// the gate does not admit, and the admitted kinds still load.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "photos/PhotoFile.h"
#include "photos/VipsPhotos.h"
#include "support/HostilePhotos.h"
#include "support/KindFiles.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

// In a child: a probe into the wrong loader has crashed the process before.
// Its exit status: 0 refused, 1 loaded.
int probedInChild(const std::string& path)
{
    const pid_t child = fork();
    if (child == 0) {
        if (!startVipsForPhotos("test"))
            _exit(3);
        VipsSource* source = vips_source_new_from_file(path.c_str());
        VipsImage* image = source ? vips_image_new_from_source(source, "", nullptr) : nullptr;
        _exit(image != nullptr ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(VipsPhotos, OnlyTheLoadersOfAdmittedKindsCanBeReached)
{
    support::TempDir dir;
    EXPECT_EQ(probedInChild(dir.write("scan.bmp", support::bmpBytes(80, 60))), 0) << "BMP";
    EXPECT_EQ(probedInChild(dir.write("scan.tga", support::tgaBytes(80, 60))), 0) << "TGA";
    EXPECT_EQ(probedInChild(dir.write("x.gif", std::string("GIF89a\1\0\1\0\0\0\0,\0\0\0\0\1\0\1\0\0\2\2D\1\0;", 26))), 1)
        << "GIF";
    ASSERT_TRUE(support::writeTwoBandPng(dir.file("ok.png"), 8, 8, support::PngFormat::Rgb, support::red, support::blue));
    EXPECT_EQ(probedInChild(dir.file("ok.png")), 1) << "PNG";
}

// Each kind passes the gate at its own size and opens with its own loader
// only: the gate's kind and the loader's agree.
TEST(VipsPhotos, EveryAdmittedKindOpensByItsKindAndNoOther)
{
    support::TempDir dir;
    const auto stripes = [](int x, int) { return x < 20 ? support::red : support::blue; };
    const std::pair<const char*, PhotoKind> kinds[] = {{"heic", PhotoKind::Heif}, {"avif", PhotoKind::Heif},
        {"webp", PhotoKind::Webp}, {"tiff", PhotoKind::Tiff}, {"gif", PhotoKind::Gif}};
    for (const auto& [kind, photoKind] : kinds) {
        const std::string path = dir.file(std::string("photo.") + kind);
        ASSERT_TRUE(support::writeKind(path, kind, 40, 30, stripes));
        const PhotoFile file(path);
        PhotoHeader header = file.readHeader();
        EXPECT_EQ(std::make_tuple(header.kind, header.width, header.height, photoProblem(header)),
                  std::make_tuple(photoKind, 40u, 30u, std::string())) << kind;
        VipsImage* photo = openPhoto(file.descriptor(), header, 1, true);
        ASSERT_NE(photo, nullptr) << kind;
        EXPECT_EQ(std::make_pair(photo->Xsize, photo->Ysize), std::make_pair(40, 30)) << kind;
        g_object_unref(photo);
        // A decoder that reads another size than the gate's is refused before it decodes.
        std::string problem;
        header.height = 20;
        EXPECT_EQ(openPhoto(file.descriptor(), header, 1, true, &problem), nullptr) << kind;
        EXPECT_EQ(problem, "its header gives two sizes") << kind;
        header.kind = photoKind == PhotoKind::Gif ? PhotoKind::Tiff : PhotoKind::Gif;
        EXPECT_EQ(openPhoto(file.descriptor(), header, 1, true), nullptr) << kind;
    }
}

}  // namespace
