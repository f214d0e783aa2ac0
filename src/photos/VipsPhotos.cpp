#include "photos/VipsPhotos.h"

#include <mutex>

namespace {

// The loader class that reads each kind from a path.
const struct {
    PhotoKind kind;
    const char* loader;
} loaders[] = {
    {PhotoKind::Jpeg, "VipsForeignLoadJpegFile"},
    {PhotoKind::Jpeg, "VipsForeignLoadJpegBuffer"},   // a camera RAW's preview
    {PhotoKind::Png, "VipsForeignLoadPngFile"},
    {PhotoKind::Heif, "VipsForeignLoadHeifFile"},
    {PhotoKind::Webp, "VipsForeignLoadWebpFile"},
    {PhotoKind::Tiff, "VipsForeignLoadTiffFile"},
    {PhotoKind::Gif, "VipsForeignLoadNsgifFile"},
};

}  // namespace

bool startVipsForPhotos(const char* programName)
{
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

VipsImage* openPhoto(const char* path, PhotoKind kind, int jpegShrink, bool failOnTruncated)
{
    const VipsFailOn failOn = failOnTruncated ? VIPS_FAIL_ON_TRUNCATED : VIPS_FAIL_ON_NONE;
    VipsImage* image = nullptr;
    int failed = -1;
    if (kind == PhotoKind::Jpeg)
        failed = vips_jpegload(path, &image, "shrink", jpegShrink, "access", VIPS_ACCESS_SEQUENTIAL,
                               "fail_on", failOn, nullptr);
    else if (kind == PhotoKind::Png)
        failed = vips_pngload(path, &image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    // The first image only: a HEIF's primary one (libheif turns it by its
    // own rotation and libvips then drops the orientation tag), a TIFF's
    // first page, an animated GIF's or WebP's first frame.
    else if (kind == PhotoKind::Heif)
        failed = vips_heifload(path, &image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    else if (kind == PhotoKind::Webp)
        failed = vips_webpload(path, &image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    else if (kind == PhotoKind::Tiff)
        failed = vips_tiffload(path, &image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    else if (kind == PhotoKind::Gif)
        failed = vips_gifload(path, &image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on", failOn, nullptr);
    if (failed != 0) {
        vips_error_clear();
        return nullptr;
    }
    return image;
}
