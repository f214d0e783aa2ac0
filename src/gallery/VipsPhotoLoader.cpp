// Every vips step is lazy: the pixels are decoded once, strip by strip,
// when the final image is written to memory.
#include "gallery/VipsPhotoLoader.h"

#include <malloc.h>
#include <vips/vips.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "gallery/JpegSquare.h"
#include "gallery/PhotoOrientation.h"
#include "photos/VipsPhotos.h"

namespace {

// Owns one vips image reference.
struct Image {
    VipsImage* image = nullptr;
    ~Image()
    {
        if (image != nullptr)
            g_object_unref(image);
    }
    // Replaces the image by the result of a step; false when the step failed.
    template <typename Step>
    bool then(Step step)
    {
        VipsImage* out = nullptr;
        if (step(image, &out) != 0)
            return false;
        g_object_unref(image);
        image = out;
        return true;
    }
};

// libjpeg-turbo decodes at 1/2, 1/4 or 1/8 scale for a fraction of the
// cost; the largest of these that keeps both sides at least the texture's.
int jpegShrink(const PhotoHeader& header, int side)
{
    const uint32_t shortSide = std::min(header.width, header.height);
    int shrink = 1;
    while (shrink < 8 && shortSide / (2u * shrink) >= static_cast<uint32_t>(side))
        shrink *= 2;
    return shrink;
}

// Loads the file by its kind's loader, shrunk on load where the format
// allows it. Truncated data is refused, as the other loader does.
bool open(const std::string& path, const PhotoHeader& header, int side, Image* photo)
{
    photo->image = openPhoto(path.c_str(), header.kind, jpegShrink(header, side), true);
    return photo->image != nullptr;
}

// To side x side 8-bit RGB: alpha dropped, then scaled (the cheapest place,
// before any colour conversion), then grey, CMYK and 16-bit turned sRGB.
bool square(int side, Image* photo)
{
    if (vips_image_hasalpha(photo->image) && photo->image->Bands > 1 &&
        !photo->then([](VipsImage* in, VipsImage** out) {
            return vips_extract_band(in, out, 0, "n", in->Bands - 1, nullptr);
        }))
        return false;
    const double across = double(side) / photo->image->Xsize, down = double(side) / photo->image->Ysize;
    return photo->then([&](VipsImage* in, VipsImage** out) {
               return vips_resize(in, out, across, "vscale", down, "kernel", VIPS_KERNEL_LANCZOS3, nullptr);
           }) &&
           photo->then([](VipsImage* in, VipsImage** out) {
               return vips_colourspace(in, out, VIPS_INTERPRETATION_sRGB, nullptr);
           }) &&
           photo->then([](VipsImage* in, VipsImage** out) { return vips_cast_uchar(in, out, nullptr); }) &&
           photo->image->Xsize == side && photo->image->Ysize == side && photo->image->Bands == 3;
}

bool decodeWithVips(const std::string& path, const PhotoHeader& header, std::vector<unsigned char>* pixels)
{
    const int side = SquarePhotoLoader::textureSide;
    Image image, target;
    target.image = vips_image_new_from_memory(pixels->data(), pixels->size(), side, side, 3, VIPS_FORMAT_UCHAR);
    if (!open(path, header, side, &image) || !square(side, &image) || target.image == nullptr ||
        vips_image_write(image.image, target.image) != 0) {
        vips_error_clear();   // the buffer is shared by all threads
        return false;
    }
    return true;
}

}  // namespace

VipsPhotoLoader::VipsPhotoLoader()
{
    static std::once_flag started;
    std::call_once(started, [] {
        if (!startVipsForPhotos("zandervale"))
            std::abort();   // only when GLib's type system cannot start
        // The gallery never asks for the same photo twice in a row: a cache
        // would only hold decoded photos in memory.
        vips_cache_set_max(0);
        // Decoded photos (3 MB) are made on one thread and freed on another.
        // glibc would serve them from its per-thread heaps after the first
        // one, which keep their high-water mark; mapped, they go back.
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
    });
}

DecodedPhoto VipsPhotoLoader::decode(const std::string& path)
{
    PhotoHeader header;
    DecodedPhoto photo;
    if (!admit(path, &header, &photo))
        return photo;
    // Written straight into the photo's own buffer: no second copy of the
    // square is ever held.
    photo.pixels.resize(static_cast<size_t>(textureSide) * textureSide * 3);
    JpegSquareResult jpeg = JpegSquareResult::Unsupported;
    if (header.kind == PhotoKind::Jpeg)
        jpeg = decodeJpegSquare(path.c_str(), jpegShrink(header, textureSide), textureSide, photo.pixels.data());
    if (jpeg == JpegSquareResult::Broken ||
        (jpeg == JpegSquareResult::Unsupported && !decodeWithVips(path, header, &photo.pixels)))
        return refused("it cannot be decoded");
    const int orientation = exifOrientation(path.c_str());
    orientSquareInPlace(photo.pixels.data(), textureSide, orientation);
    photo.side = textureSide;
    photo.width = static_cast<int>(swapsSides(orientation) ? header.height : header.width);
    photo.height = static_cast<int>(swapsSides(orientation) ? header.width : header.height);
    photo.outcome = DecodedPhoto::Decoded;
    return photo;
}
