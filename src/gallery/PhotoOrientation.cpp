// EXIF orientation through libexif, and the eight ways to turn a square upright.
#include "gallery/PhotoOrientation.h"

#include <libexif/exif-data.h>
#include <libexif/exif-loader.h>
#include <unistd.h>

#include <algorithm>

namespace {

// Upright pixel (u, v) shows stored pixel (x, y): (a, b) = (v, u) when the
// sides swap, else (u, v); then x = a or side-1-a, y = b or side-1-b.
struct Remap {
    bool swap, mirrorX, mirrorY;
};
constexpr Remap remaps[9] = {
    {false, false, false},  // (no tag)
    {false, false, false},  // 1: row 0 is the top, column 0 the left
    {false, true, false},   // 2: column 0 is the right
    {false, true, true},    // 3: turned half round
    {false, false, true},   // 4: row 0 is the bottom
    {true, false, false},   // 5: row 0 is the left, column 0 the top
    {true, false, true},    // 6: row 0 is the right, column 0 the top
    {true, true, true},     // 7: row 0 is the right, column 0 the bottom
    {true, true, false},    // 8: row 0 is the left, column 0 the bottom
};

bool valid(int orientation) { return orientation >= 1 && orientation <= 8; }

}  // namespace

namespace {

int orientationOf(ExifData* data)
{
    if (data == nullptr)
        return 1;
    int orientation = 1;
    // IFD 1 describes the embedded thumbnail, not the photo.
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry != nullptr && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1)
        orientation = exif_get_short(entry->data, exif_data_get_byte_order(data));
    exif_data_unref(data);
    return valid(orientation) ? orientation : 1;
}

}  // namespace

int exifOrientation(const char* path)
{
    return orientationOf(exif_data_new_from_file(path));
}

int exifOrientation(int fd)
{
    ExifLoader* loader = exif_loader_new();
    if (loader == nullptr)
        return 1;
    unsigned char chunk[16384];
    off_t at = 0;
    // The loader says when it has the EXIF block or knows there is none.
    for (ssize_t got; (got = pread(fd, chunk, sizeof chunk, at)) > 0; at += got)
        if (!exif_loader_write(loader, chunk, static_cast<unsigned>(got)))
            break;
    ExifData* data = exif_loader_get_data(loader);
    exif_loader_unref(loader);
    return orientationOf(data);
}

bool swapsSides(int orientation)
{
    return valid(orientation) && remaps[orientation].swap;
}

std::vector<unsigned char> orientSquare(const unsigned char* rgb, int side, int orientation)
{
    std::vector<unsigned char> upright(rgb, rgb + static_cast<size_t>(side) * side * 3);
    orientSquareInPlace(upright.data(), side, orientation);
    return upright;
}

// The mirrors first, then the swap of the sides: pixel (a, b) after the
// mirrors is the stored (x, y), and upright (u, v) is (a, b) or (b, a).
void orientSquareInPlace(unsigned char* rgb, int side, int orientation)
{
    if (!valid(orientation))
        return;
    const Remap& remap = remaps[orientation];
    const auto pixel = [&](int x, int y) { return rgb + (static_cast<size_t>(y) * side + x) * 3; };
    for (int y = 0; y < (remap.mirrorY ? side / 2 : 0); ++y)
        std::swap_ranges(pixel(0, y), pixel(0, y + 1), pixel(0, side - 1 - y));
    for (int y = 0; remap.mirrorX && y < side; ++y)
        for (int x = 0; x < side / 2; ++x)
            std::swap_ranges(pixel(x, y), pixel(x, y) + 3, pixel(side - 1 - x, y));
    for (int y = 0; remap.swap && y < side; ++y)
        for (int x = y + 1; x < side; ++x)
            std::swap_ranges(pixel(x, y), pixel(x, y) + 3, pixel(y, x));
}
