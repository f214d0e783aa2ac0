// libFuzzer target for the two previews that stand in for a decoded photo:
// a camera RAW's, read by LibRaw from the descriptor the decoder is sent
// (the input as a memory file), and a JPEG's EXIF preview, checked for
// faithfulness (the input as the preview's bytes, the photo's size and
// orientation taken from its first bytes). Whatever either hands back must
// be a picture within the decode budget: a RAW preview at least as large as
// a stand-in must be, an EXIF preview at least as large as the thumbnail.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

#include "ExifPreview.h"
#include "FirstByte.h"
#include "PhotoThumbnail.h"
#include "photos/PhotoGate.h"
#include "photos/RawPreview.h"
#include "photos/VipsPhotos.h"

namespace {

void checkRawPreview(const uint8_t* data, size_t size)
{
    const int fd = memfd_create("raw", MFD_CLOEXEC);
    if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size))
        std::abort();
    RawPreview preview = openRawPreview(fd);
    close(fd);
    if (!preview.image)
        return;
    const uint64_t width = preview.image->Xsize, height = preview.image->Ysize;
    if (std::max(width, height) < uint64_t(minRawPreviewSide) || width * height * 3 > photoDecodeBudgetBytes ||
        !preview.problem.empty())
        std::abort();
    g_object_unref(preview.image);
}

void checkExifPreview(const uint8_t* data, size_t size)
{
    if (size < 5)
        return;
    const uint32_t width = uint32_t(data[0]) << 8 | data[1], height = uint32_t(data[2]) << 8 | data[3];
    VipsImage* preview = photoindex::faithfulPreview(data + 5, size - 5, width, height, data[4] % 9);
    if (!preview)
        return;
    if (std::min(preview->Xsize, preview->Ysize) < photoindex::thumbnailHeight ||
        uint64_t(preview->Xsize) * preview->Ysize * 4 > photoDecodeBudgetBytes)
        std::abort();
    g_object_unref(preview);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv)
{
    if (!startVipsForPhotos((*argv)[0]))
        std::abort();
    vips_cache_set_max(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    takePathByFirstByte(data, size, checkRawPreview, checkExifPreview);
    vips_error_clear();
    return 0;
}
