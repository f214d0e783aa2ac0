// The worker's half of reading a photo: its dates, read by Exiv2 from the
// bytes of the descriptor the indexer sends and from its XMP sidecar, and
// its 128 x 96 thumbnail, made by libvips from that descriptor, or from a
// faithful EXIF preview or a camera RAW's preview instead.
#include "PhotoThumbnail.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <string>

#include "ExifPreview.h"
#include "photos/PhotoMetadata.h"
#include "photos/RawPreview.h"
#include "photos/VipsPhotos.h"

namespace photoindex {

namespace {

// Unrefs the images of one pipeline, however it ends.
class Images {
public:
    ~Images()
    {
        for (VipsImage* image : held)
            if (image)
                g_object_unref(image);
    }
    VipsImage** next() { held.push_back(nullptr); return &held.back(); }

private:
    std::deque<VipsImage*> held;   // growing keeps the slots handed out where they are
};

// Up to cap bytes of the regular file open as fd; empty where there is none.
std::vector<unsigned char> smallFile(int fd, long long cap)
{
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return {};
    std::vector<unsigned char> bytes(static_cast<size_t>(std::min<long long>(info.st_size, cap)));
    size_t got = 0;
    for (ssize_t part; got < bytes.size() &&
                       (part = pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got))) != 0;)
        if (part > 0)
            got += static_cast<size_t>(part);
        else if (errno != EINTR)
            break;
    bytes.resize(got);
    return bytes;
}

// The dates, orientation and preview of the photo open as fd, with the date
// of the sidecar open as sidecar (-1: none). The photo is mapped, not read:
// Exiv2 touches only its metadata's pages, and the mapping counts within
// this decoder's address-space limit. A scanner's TIFF may keep its EXIF
// after the pixels: up to half the decode budget is looked at. A file cut
// short meanwhile ends this decoder on its first missing page, which costs
// this photo only.
PhotoMetadata metadataOf(int fd, int sidecar)
{
    const std::vector<unsigned char> side = smallFile(sidecar, maxSidecarBytes);
    struct stat info;
    void* mapped = MAP_FAILED;
    size_t length = 0;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        length = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(info.st_size), photoDecodeBudgetBytes / 2));
        mapped = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    }
    const bool held = mapped != MAP_FAILED;
    PhotoMetadata metadata = readPhotoMetadata(held ? static_cast<const unsigned char*>(mapped) : nullptr,
                                               held ? length : 0, side.empty() ? nullptr : side.data(), side.size());
    if (held)
        munmap(mapped, length);
    return metadata;
}

// The viewer's image library reads 8-bit RGB JPEGs best: no alpha, no CMYK,
// no 16-bit or greyscale surprises. Exactly 128 x 96, whatever rounding did.
// source: a preview already decoded (a RAW's, or a JPEG's EXIF one), or the
// photo as opened, shrunk on load.
VipsImage* thumbnailOf(VipsImage* source, Images* images)
{
    VipsImage** scaled = images->next();
    if (vips_thumbnail_image(source, scaled, thumbnailWidth, "height", thumbnailHeight, "crop",
                             VIPS_INTERESTING_CENTRE, NULL) != 0)
        return nullptr;
    VipsImage* image = *scaled;
    if (vips_image_hasalpha(image)) {
        VipsImage** flat = images->next();
        VipsArrayDouble* white = vips_array_double_newv(1, 255.0);
        const int failed = vips_flatten(image, flat, "background", white, NULL);
        vips_area_unref(VIPS_AREA(white));
        if (failed)
            return nullptr;
        image = *flat;
    }
    VipsImage** rgb = images->next();
    VipsImage** bytes = images->next();
    VipsImage** exact = images->next();
    if (vips_colourspace(image, rgb, VIPS_INTERPRETATION_sRGB, NULL) != 0 ||
        vips_cast_uchar(*rgb, bytes, NULL) != 0 ||
        vips_gravity(*bytes, exact, VIPS_COMPASS_DIRECTION_CENTRE, thumbnailWidth, thumbnailHeight,
                     "extend", VIPS_EXTEND_COPY, NULL) != 0)
        return nullptr;
    return *exact;
}

// The thumbnail of source as JPEG bytes; false when it cannot be decoded.
bool encodeThumbnail(VipsImage* source, Images* images, std::vector<unsigned char>* jpeg)
{
    VipsImage* thumbnail = source ? thumbnailOf(source, images) : nullptr;
    void* bytes = nullptr;
    size_t size = 0;
    if (!thumbnail || vips_jpegsave_buffer(thumbnail, &bytes, &size, "Q", 85, "strip", TRUE, NULL) != 0) {
        vips_error_clear();
        return false;
    }
    jpeg->assign(static_cast<unsigned char*>(bytes), static_cast<unsigned char*>(bytes) + size);
    g_free(bytes);
    return true;
}

// A thumbnail's RGB pixels, or empty.
std::vector<unsigned char> thumbnailPixels(const std::vector<unsigned char>& jpeg)
{
    VipsImage *loaded = nullptr, *rgb = nullptr;
    std::vector<unsigned char> pixels;
    if (!jpeg.empty() &&
        vips_jpegload_buffer(const_cast<unsigned char*>(jpeg.data()), jpeg.size(), &loaded, NULL) == 0 &&
        loaded->Xsize == thumbnailWidth && loaded->Ysize == thumbnailHeight &&
        vips_colourspace(loaded, &rgb, VIPS_INTERPRETATION_sRGB, NULL) == 0 && rgb->Bands == 3 &&
        rgb->BandFmt == VIPS_FORMAT_UCHAR) {
        size_t length = 0;
        if (void* memory = vips_image_write_to_memory(rgb, &length)) {
            pixels.assign(static_cast<unsigned char*>(memory), static_cast<unsigned char*>(memory) + length);
            g_free(memory);
        }
    }
    for (VipsImage* image : {loaded, rgb})
        if (image)
            g_object_unref(image);
    vips_error_clear();
    return pixels;
}

double psnr(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.empty() || a.size() != b.size())
        return 0;
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i)
        squares += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * a.size() / squares);
}

// LibRaw's time of taking, which it read as local time, as an EXIF text.
std::string exifText(std::time_t taken)
{
    std::tm parts{};
    localtime_r(&taken, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &parts);
    return text;
}

// What a photo's date and thumbnail are read from.
struct Source {
    PhotoMetadata metadata;
    VipsImage* preview = nullptr;     // a decoded preview to make the thumbnail of; nullptr: the photo
    VipsImage* photo = nullptr;       // the photo, opened from its file
    std::string kindName = "RAW";
};

// A camera RAW by its preview; why it cannot be read, or "".
std::string openRaw(int fd, Images* images, Source* source)
{
    RawPreview raw = openRawPreview(fd);
    *images->next() = raw.image;
    source->preview = raw.image;
    if (raw.taken != 0 && source->metadata.dateTimeOriginal.empty())
        source->metadata.dateTimeOriginal = exifText(raw.taken);
    return raw.problem;
}

// libjpeg-turbo's shrink on load for a thumbnail, leaving the resize
// twice the thumbnail's pixels to filter from, as vips_thumbnail does.
int thumbnailShrink(const PhotoHeader& photo)
{
    const uint32_t factor = std::min(photo.width, photo.height) / thumbnailWidth;
    return factor >= 16 ? 8 : factor >= 8 ? 4 : factor >= 4 ? 2 : 1;
}

// Any other photo through the gate, opened once by its kind, refusing
// damaged data, for its pixels; a JPEG's faithful EXIF preview becomes the
// source where usePreview.
std::string openByKind(int fd, const PhotoHeader& photo, bool usePreview, Images* images, Source* source)
{
    source->kindName = photoKindName(photo.kind);
    std::string problem = photoProblem(photo);
    if (!problem.empty())
        return problem;
    VipsImage** header = images->next();
    *header = openPhoto(fd, photo, thumbnailShrink(photo), true, &problem);
    source->photo = *header;
    if (!*header)
        return problem.empty() ? "not a readable " + source->kindName + " image" : problem;
    // Exiv2 0.27 finds no EXIF item in the HEIFs libheif writes; libheif does.
    const void* exif = nullptr;
    size_t exifSize = 0;
    if (photo.kind == PhotoKind::Heif && vips_image_get_typeof(*header, VIPS_META_EXIF_NAME) &&
        vips_image_get_blob(*header, VIPS_META_EXIF_NAME, &exif, &exifSize) == 0)
        readExifBlock(static_cast<const unsigned char*>(exif), exifSize, &source->metadata);
    const PhotoMetadata& metadata = source->metadata;
    if (usePreview && photo.kind == PhotoKind::Jpeg &&
        !previewMayBeStale(metadata.dateTimeOriginal, metadata.dateTime)) {
        source->preview = faithfulPreview(metadata.preview.data(), metadata.preview.size(), photo.width,
                                          photo.height, vips_image_get_orientation(*header));
        *images->next() = source->preview;
    }
    return "";
}

// The thumbnail of what source holds; a photo that decodes only in part (a
// truncated JPEG) is opened again to make it from what could be read, and
// is said to be damaged. problem says why there is none.
void encodeSource(int fd, const PhotoHeader& photo, Source* source, Images* images, std::vector<unsigned char>* jpeg,
                  bool* damaged, std::string* problem)
{
    if (!problem->empty())
        return;
    if (encodeThumbnail(source->preview ? source->preview : source->photo, images, jpeg))
        return;
    if (!source->preview && source->photo) {
        VipsImage** forgiving = images->next();
        *forgiving = openPhoto(fd, photo, thumbnailShrink(photo), false);
        *damaged = *forgiving && encodeThumbnail(*forgiving, images, jpeg);
        if (*damaged)
            return;
    }
    *problem = "not a readable " + source->kindName + " image";
}

void say(char* field, size_t size, const std::string& text)
{
    std::snprintf(field, size, "%s", text.c_str());
}

}  // namespace

void makeThumbnail(const DecodeRequest& request, int fd, DecodeReply* reply, std::vector<unsigned char>* payload)
{
    const bool check = request.op == DecodeOp::PreviewCheck;
    const bool rawName = request.rawName && !check;
    Images images;
    Source source;
    // Read before any decode, its mapping gone by then.
    if (!check)
        source.metadata = metadataOf(fd, request.second);
    std::string problem;
    if (rawName)
        problem = openRaw(fd, &images, &source);
    // A RAW-named file that LibRaw does not take is read by its content.
    if (!rawName || (problem == notRawProblem && decodablePhotoKind(request.header.kind)))
        problem = openByKind(fd, request.header, !check, &images, &source);
    std::vector<unsigned char> jpeg;
    encodeSource(fd, request.header, &source, &images, &jpeg, &reply->damaged, &problem);
    reply->fromPreview = !rawName && source.preview != nullptr;
    say(reply->kindName, sizeof reply->kindName, source.kindName);
    const PhotoMetadata& metadata = source.metadata;
    const std::string* dates[4] = {&metadata.sidecarDate, &metadata.dateTimeOriginal, &metadata.dateTimeDigitized,
                                   &metadata.dateTime};
    for (int i = 0; i < 4; ++i)
        say(reply->dates[i], sizeof reply->dates[i], *dates[i]);
    reply->done = problem.empty();
    say(reply->problem, sizeof reply->problem, problem);
    if (check && reply->done) {
        const std::vector<unsigned char> old = smallFile(request.second, maxSidecarBytes);
        reply->differs = psnr(thumbnailPixels(old), thumbnailPixels(jpeg)) < previewFaithfulDecibels;
    }
    if (!check || reply->differs)
        *payload = std::move(jpeg);
}

}  // namespace photoindex
