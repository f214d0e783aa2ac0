#include "photos/PhotoGate.h"

#include <cstdio>
#include <cstring>

#include "photos/KindHeaders.h"
#include "photos/PhotoFile.h"

namespace {

struct KindEntry {
    PhotoKind kind;
    const char* name;
    bool decodable;
};

// The one list of photo kinds, in the order messages name them.
const KindEntry kinds[] = {
    {PhotoKind::Jpeg, "JPEG", true},  {PhotoKind::Png, "PNG", true},   {PhotoKind::Heif, "HEIF", true},
    {PhotoKind::Webp, "WebP", true},  {PhotoKind::Tiff, "TIFF", true},  {PhotoKind::Gif, "GIF", true},
    {PhotoKind::Bmp, "BMP", false},
};

bool startsWith(const unsigned char* bytes, size_t size, const char* magic, size_t length, size_t at = 0)
{
    return size >= at + length && std::memcmp(bytes + at, magic, length) == 0;
}

// The kinds libvips reads beside JPEG and PNG, told by their signatures.
// An ISO media file is a HEIF only by its brands: a video shares its boxes.
PhotoKind kindOfSignature(const unsigned char* magic, size_t size)
{
    if (startsWith(magic, size, "GIF87a", 6) || startsWith(magic, size, "GIF89a", 6))
        return PhotoKind::Gif;
    if (startsWith(magic, size, "II*\0", 4) || startsWith(magic, size, "MM\0*", 4))
        return PhotoKind::Tiff;
    if (startsWith(magic, size, "ftyp", 4, 4)) {
        const size_t box = size_t(magic[0]) << 24 | size_t(magic[1]) << 16 | size_t(magic[2]) << 8 | magic[3];
        const size_t end = box < size ? box : size;
        return end > 8 && heifBrands(magic + 8, end - 8) ? PhotoKind::Heif : PhotoKind::Unknown;
    }
    if (startsWith(magic, size, "RIFF", 4) && startsWith(magic, size, "WEBP", 4, 8))
        return PhotoKind::Webp;
    return PhotoKind::Unknown;
}

PhotoHeader fromImageHeader(const ImageHeader& image)
{
    PhotoHeader header;
    header.kind = image.kind == ImageKind::Jpeg ? PhotoKind::Jpeg
                  : image.kind == ImageKind::Png ? PhotoKind::Png
                  : image.kind == ImageKind::Bmp ? PhotoKind::Bmp
                                                 : PhotoKind::Unknown;
    header.sizeKnown = image.sizeKnown && image.samples > 0;
    header.width = image.width;
    header.height = image.height;
    header.samples = image.samples;
    header.bytesPerSample = image.bitsPerSample > 8 ? 2 : 1;
    header.shrinksOnLoad = image.kind == ImageKind::Jpeg && !image.wholeImageHeld;
    if (image.kind == ImageKind::Jpeg && image.wholeImageHeld)
        header.bytesPerSample = 2;   // libjpeg keeps 16-bit coefficients
    return header;
}

std::string sizeText(const PhotoHeader& header)
{
    return std::to_string(header.width) + " x " + std::to_string(header.height);
}

// Counts past a million megabytes say only that: a header may claim
// 2^31 x 2^31 pixels, whose bytes no 64-bit count holds.
std::string megabytes(uint64_t bytes)
{
    constexpr uint64_t most = 1000000;
    const uint64_t count = (bytes >> 20) + ((bytes & ((1 << 20) - 1)) != 0);
    if (count > most)
        return "more than 1,000,000 MB";
    char text[32];
    std::snprintf(text, sizeof text, "%llu MB", static_cast<unsigned long long>(count));
    return text;
}

std::string decodableNames()
{
    std::string names;
    for (const KindEntry& entry : kinds)
        if (entry.decodable)
            names += (names.empty() ? "" : ", ") + std::string(entry.name);
    return names;
}

}  // namespace

bool decodablePhotoKind(PhotoKind kind)
{
    for (const KindEntry& entry : kinds)
        if (entry.kind == kind)
            return entry.decodable;
    return false;
}

const char* photoKindName(PhotoKind kind)
{
    for (const KindEntry& entry : kinds)
        if (entry.kind == kind)
            return entry.name;
    return "unknown";
}

PhotoHeader readPhotoHeader(const ByteReader& read)
{
    const ImageHeader image = readImageHeader(read);
    if (image.kind != ImageKind::Other)
        return fromImageHeader(image);
    // Enough for an ftyp box's first few brands.
    unsigned char magic[32];
    PhotoHeader header;
    header.kind = kindOfSignature(magic, read(0, magic, sizeof magic));
    switch (header.kind) {
    case PhotoKind::Gif: return readGifHeader(read);
    case PhotoKind::Tiff: return readTiffHeader(read);
    case PhotoKind::Heif: return readHeifHeader(read);
    case PhotoKind::Webp: return readWebpHeader(read);
    default: return header;
    }
}

PhotoHeader readPhotoHeader(const unsigned char* bytes, size_t size)
{
    return readPhotoHeader([bytes, size](uint64_t offset, unsigned char* out, size_t want) {
        if (offset >= size)
            return size_t{0};
        const size_t n = want < size - offset ? want : size_t(size - offset);
        std::memcpy(out, bytes + offset, n);
        return n;
    });
}

PhotoHeader readPhotoHeaderFile(const char* path, bool* opened)
{
    const PhotoFile file(path);
    *opened = file.state() == PhotoFile::State::Open;
    return *opened ? file.readHeader() : PhotoHeader{};
}

const char* const twoSizesProblem = "its header gives two sizes";

std::string decodedSizeProblem(const PhotoHeader& header, uint64_t width, uint64_t height, int shrink)
{
    const uint64_t step = shrink > 1 ? uint64_t(shrink) : 1;
    const uint64_t wantWidth = (header.width + step - 1) / step, wantHeight = (header.height + step - 1) / step;
    // libnsgif may keep a GIF to its logical screen where the gate counted
    // a first frame reaching past it: smaller costs nothing.
    if (header.kind == PhotoKind::Gif)
        return width <= wantWidth && height <= wantHeight ? "" : twoSizesProblem;
    return width == wantWidth && height == wantHeight ? "" : twoSizesProblem;
}

uint64_t photoDecodeBytes(const PhotoHeader& header)
{
    uint64_t width = header.width, height = header.height;
    if (header.shrinksOnLoad) {
        width = (width + 7) / 8;
        height = (height + 7) / 8;
    }
    const uint64_t pixels = width * height, perPixel = uint64_t(header.samples) * uint64_t(header.bytesPerSample);
    return perPixel != 0 && pixels > UINT64_MAX / perPixel ? UINT64_MAX : pixels * perPixel;
}

std::string photoProblem(const PhotoHeader& header)
{
    if (header.kind == PhotoKind::Unknown)
        return "not a photo of a kind read here (" + decodableNames() + ")";
    if (!decodablePhotoKind(header.kind))
        return std::string("a ") + photoKindName(header.kind) + " image, not a kind read here (" +
               decodableNames() + ")";
    if (header.tooSlow)
        return "its header takes too long to read";
    if (header.twoSizes)
        return twoSizesProblem;
    if (!header.sizeKnown)
        return "its header cannot be read";
    if (header.width == 0 || header.height == 0)
        return "its size " + sizeText(header) + " is empty";
    const uint64_t bytes = photoDecodeBytes(header);
    if (bytes > photoDecodeBudgetBytes)
        return "its size " + sizeText(header) + " is too large: decoding it would take " + megabytes(bytes) +
               ", over the " + megabytes(photoDecodeBudgetBytes) + " a photo may take";
    return "";
}
