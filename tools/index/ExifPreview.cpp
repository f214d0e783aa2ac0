// Previews are stored unrotated and often letterboxed (a 3:2 photo in a
// 4:3 preview with black bars): the bars are cut first, then the content
// must match the photo's aspect, and the orientation tag applies to it too.
#include "ExifPreview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "PhotoDate.h"
#include "photos/PhotoGate.h"

namespace photoindex {

namespace {

// A row or column of a bar: dark on average and nowhere bright (JPEG
// ringing lifts a few pixels next to the content).
constexpr int barMeanLimit = 16, barPeakLimit = 48;
// How far the content's aspect may stray from the photo's: a 3:2 photo's
// 160-wide preview rounds its content to 107 rows.
constexpr double aspectTolerance = 0.03;
constexpr int coverWidth = 128, coverHeight = 96;

struct Pixels {
    std::vector<unsigned char> rgb;
    int width = 0, height = 0;
    bool dark(int x0, int y0, int dx, int dy, int count) const
    {
        long sum = 0;
        int peak = 0;
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c) {
                const int v = rgb[(size_t(y0 + i * dy) * width + x0 + i * dx) * 3 + c];
                sum += v;
                peak = std::max(peak, v);
            }
        return sum <= long(barMeanLimit) * count * 3 && peak <= barPeakLimit;
    }
};

bool decodePreview(const unsigned char* jpeg, size_t size, Pixels* pixels)
{
    const PhotoHeader header = readPhotoHeader(jpeg, size);
    if (header.kind != PhotoKind::Jpeg || !photoProblem(header).empty() || header.width > 1024 ||
        header.height > 1024)
        return false;
    VipsImage *loaded = nullptr, *rgb = nullptr, *bytes = nullptr;
    bool decoded = vips_jpegload_buffer(const_cast<unsigned char*>(jpeg), size, &loaded, nullptr) == 0 &&
                   vips_colourspace(loaded, &rgb, VIPS_INTERPRETATION_sRGB, nullptr) == 0 &&
                   vips_cast_uchar(rgb, &bytes, nullptr) == 0 && bytes->Bands == 3;
    if (decoded) {
        size_t length = 0;
        void* memory = vips_image_write_to_memory(bytes, &length);
        decoded = memory != nullptr;
        if (decoded) {
            const unsigned char* start = static_cast<const unsigned char*>(memory);
            pixels->rgb.assign(start, start + length);
            pixels->width = bytes->Xsize;
            pixels->height = bytes->Ysize;
            g_free(memory);
        }
    }
    for (VipsImage* image : {loaded, rgb, bytes})
        if (image)
            g_object_unref(image);
    vips_error_clear();
    return decoded;
}

}  // namespace

VipsImage* faithfulPreview(const unsigned char* jpeg, size_t size, uint32_t photoWidth, uint32_t photoHeight,
                           int orientation)
{
    Pixels p;
    if (jpeg == nullptr || size == 0 || photoWidth == 0 || photoHeight == 0 || !decodePreview(jpeg, size, &p))
        return nullptr;
    int top = 0, bottom = p.height, left = 0, right = p.width;
    while (top < bottom && p.dark(0, top, 1, 0, p.width))
        ++top;
    while (bottom > top && p.dark(0, bottom - 1, 1, 0, p.width))
        --bottom;
    while (left < right && p.dark(left, top, 0, 1, bottom - top))
        ++left;
    while (right > left && p.dark(right - 1, top, 0, 1, bottom - top))
        --right;
    const int width = right - left, height = bottom - top;
    if (width <= 0 || height <= 0)
        return nullptr;
    const double photoAspect = double(photoWidth) / photoHeight, aspect = double(width) / height;
    if (std::fabs(aspect - photoAspect) > aspectTolerance * photoAspect)
        return nullptr;
    const bool turned = orientation >= 5 && orientation <= 8;
    const int uprightWidth = turned ? height : width, uprightHeight = turned ? width : height;
    // Cropped to 4:3 it is min(w, 4h/3) wide and 3/4 of that high.
    static_assert(coverWidth * 3 == coverHeight * 4, "the thumbnail is 4:3");
    if (std::min(uprightWidth * 3, uprightHeight * 4) < coverWidth * 3)
        return nullptr;
    std::vector<unsigned char> content;
    content.reserve(size_t(width) * height * 3);
    for (int y = top; y < bottom; ++y) {
        const unsigned char* row = p.rgb.data() + (size_t(y) * p.width + left) * 3;
        content.insert(content.end(), row, row + size_t(width) * 3);
    }
    VipsImage* image = vips_image_new_from_memory_copy(content.data(), content.size(), width, height, 3,
                                                       VIPS_FORMAT_UCHAR);
    if (image)
        vips_image_set_int(image, VIPS_META_ORIENTATION, orientation);
    return image;
}

bool previewMayBeStale(const std::string& dateTimeOriginal, const std::string& dateTime)
{
    LocalDate taken, changed;
    return parseExifDate(dateTimeOriginal, &taken) && parseExifDate(dateTime, &changed) && taken < changed;
}

}  // namespace photoindex
