// Every vips step is lazy: the pixels are decoded once, strip by strip,
// when the final image is written to memory.
#include "gallery/PhotoSquare.h"

#include <vips/vips.h>

#include <algorithm>

#include "gallery/JpegSquare.h"
#include "gallery/PhotoOrientation.h"
#include "photos/RawPreview.h"
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
bool open(int fd, const PhotoHeader& header, int side, Image* photo, std::string* problem)
{
    photo->image = openPhoto(fd, header, jpegShrink(header, side), true, problem);
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

// orientation: the photo's orientation tag as libvips reads it from any
// kind (a HEIF's own turn is already applied and its tag dropped); width
// and height as decoded, before that tag turns them (libheif's own HEICs
// give their turned size in the header).
bool decodeWithVips(int fd, const PhotoHeader& header, int side, std::vector<unsigned char>* pixels,
                    int* orientation, int* width, int* height, std::string* problem)
{
    Image image, target;
    target.image = vips_image_new_from_memory(pixels->data(), pixels->size(), side, side, 3, VIPS_FORMAT_UCHAR);
    if (open(fd, header, side, &image, problem)) {
        *orientation = vips_image_get_orientation(image.image);
        *width = image.image->Xsize;
        *height = image.image->Ysize;
    }
    if (image.image == nullptr || !square(side, &image) || target.image == nullptr ||
        vips_image_write(image.image, target.image) != 0) {
        vips_error_clear();   // the buffer is shared by all threads
        return false;
    }
    return true;
}

// A camera RAW by its preview, which comes decoded and carries the RAW's
// orientation. problem says why it cannot be shown.
bool decodeRawPreview(int fd, int side, std::vector<unsigned char>* pixels, int* orientation, int* width,
                      int* height, std::string* problem)
{
    RawPreview preview = openRawPreview(fd);
    *problem = preview.problem;
    Image image, target;
    image.image = preview.image;
    if (image.image == nullptr)
        return false;
    *orientation = vips_image_get_orientation(image.image);
    *width = image.image->Xsize;
    *height = image.image->Ysize;
    target.image = vips_image_new_from_memory(pixels->data(), pixels->size(), side, side, 3, VIPS_FORMAT_UCHAR);
    if (!square(side, &image) || target.image == nullptr || vips_image_write(image.image, target.image) != 0) {
        vips_error_clear();
        *problem = "its preview cannot be decoded";
        return false;
    }
    return true;
}

DecodedPhoto refused(std::string reason)
{
    DecodedPhoto photo;
    photo.outcome = DecodedPhoto::Refused;
    photo.reason = std::move(reason);
    return photo;
}

DecodedPhoto decodedSquare(std::vector<unsigned char> pixels, int side, int orientation, int width, int height)
{
    DecodedPhoto photo;
    orientSquareInPlace(pixels.data(), side, orientation);
    photo.pixels = std::move(pixels);
    photo.side = side;
    photo.width = swapsSides(orientation) ? height : width;
    photo.height = swapsSides(orientation) ? width : height;
    photo.outcome = DecodedPhoto::Decoded;
    return photo;
}

}  // namespace

DecodedPhoto decodePhotoSquare(int fd, const PhotoHeader& header, bool rawName, int side)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(side) * side * 3);
    int orientation = 1, width = static_cast<int>(header.width), height = static_cast<int>(header.height);
    std::string problem;
    // A RAW-named file that LibRaw does not take is read by its content.
    if (rawName) {
        if (decodeRawPreview(fd, side, &pixels, &orientation, &width, &height, &problem))
            return decodedSquare(std::move(pixels), side, orientation, width, height);
        if (problem != notRawProblem || !decodablePhotoKind(header.kind))
            return refused(problem);
        problem = photoProblem(header);
        if (!problem.empty())
            return refused(problem);
        width = static_cast<int>(header.width);
        height = static_cast<int>(header.height);
    }
    JpegSquareResult jpeg = JpegSquareResult::Unsupported;
    if (header.kind == PhotoKind::Jpeg)
        jpeg = decodeJpegSquare(fd, header.width, header.height, jpegShrink(header, side), side, pixels.data());
    if (jpeg == JpegSquareResult::TwoSizes)
        return refused(twoSizesProblem);
    if (jpeg == JpegSquareResult::Broken ||
        (jpeg == JpegSquareResult::Unsupported &&
         !decodeWithVips(fd, header, side, &pixels, &orientation, &width, &height, &problem)))
        return refused(problem.empty() ? "it cannot be decoded" : problem);
    // libexif reads the orientation of JPEGs alone; libvips may have shrunk one on load.
    if (header.kind == PhotoKind::Jpeg) {
        orientation = exifOrientation(fd);
        width = static_cast<int>(header.width);
        height = static_cast<int>(header.height);
    }
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    return decodedSquare(std::move(pixels), side, orientation, width, height);
}
