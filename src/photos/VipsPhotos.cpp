#include "photos/VipsPhotos.h"

#include <unistd.h>

#include <mutex>

namespace {

// The loader class that reads each kind from an open file.
const struct {
    PhotoKind kind;
    const char* loader;
} loaders[] = {
    {PhotoKind::Jpeg, "VipsForeignLoadJpegSource"},
    {PhotoKind::Jpeg, "VipsForeignLoadJpegBuffer"},   // a camera RAW's preview
    {PhotoKind::Png, "VipsForeignLoadPngSource"},
    {PhotoKind::Heif, "VipsForeignLoadHeifSource"},
    {PhotoKind::Webp, "VipsForeignLoadWebpSource"},
    {PhotoKind::Tiff, "VipsForeignLoadTiffSource"},
    {PhotoKind::Gif, "VipsForeignLoadNsgifSource"},
};

// The kind's loader on source; nonzero when it refuses.
int load(VipsSource* source, PhotoKind kind, int jpegShrink, VipsFailOn failOn, VipsImage** image)
{
    switch (kind) {
    case PhotoKind::Jpeg:
        return vips_jpegload_source(source, image, "shrink", jpegShrink, "access", VIPS_ACCESS_SEQUENTIAL,
                                    "fail_on", failOn, nullptr);
    case PhotoKind::Png:
        return vips_pngload_source(source, image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    // The first image only: a HEIF's primary one (libheif turns it by its
    // own rotation and libvips then drops the orientation tag), a TIFF's
    // first page, an animated GIF's or WebP's first frame.
    case PhotoKind::Heif:
        return vips_heifload_source(source, image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    case PhotoKind::Webp:
        return vips_webpload_source(source, image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    case PhotoKind::Tiff:
        return vips_tiffload_source(source, image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    case PhotoKind::Gif:
        return vips_gifload_source(source, image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    default: return -1;
    }
}

}  // namespace

bool startVipsForPhotos(const char* programName)
{
    // libvips starts once a process and its loaders are blocked for all of it:
    // the flag mirrors that one start.
    static std::once_flag started;
    static bool running = false;
    std::call_once(started, [programName] {
        if (VIPS_INIT(programName) != 0)
            return;
        vips_operation_block_set("VipsForeignLoad", TRUE);
        for (const auto& entry : loaders)
            if (decodablePhotoKind(entry.kind))
                vips_operation_block_set(entry.loader, FALSE);
        running = true;
    });
    return running;
}

VipsImage* openPhoto(int fd, const PhotoHeader& header, int jpegShrink, bool failOnTruncated, std::string* problem)
{
    const VipsFailOn failOn = failOnTruncated ? VIPS_FAIL_ON_TRUNCATED : VIPS_FAIL_ON_NONE;
    // The source reads through a duplicate, which shares the file offset:
    // it starts from the beginning whatever read the descriptor before.
    lseek(fd, 0, SEEK_SET);
    VipsSource* source = vips_source_new_from_descriptor(fd);
    VipsImage* image = nullptr;
    const int failed = source ? load(source, header.kind, header.kind == PhotoKind::Jpeg ? jpegShrink : 1, failOn, &image) : -1;
    if (source)
        g_object_unref(source);
    if (failed != 0) {
        vips_error_clear();
        return nullptr;
    }
    // The loader has read the header its own way; no pixel is decoded yet.
    const std::string sizes = decodedSizeProblem(header, image->Xsize, image->Ysize,
                                                 header.kind == PhotoKind::Jpeg ? jpegShrink : 1);
    if (!sizes.empty()) {
        g_object_unref(image);
        if (problem)
            *problem = sizes;
        return nullptr;
    }
    return image;
}
