// The worker's half of reading a photo: its EXIF dates and its 128 x 96
// thumbnail, made by libvips from the descriptor the indexer sends, or
// from a faithful EXIF preview or a camera RAW's preview instead.
#include "PhotoThumbnail.h"

#include <libexif/exif-data.h>
#include <vips/vips.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

#include "ExifPreview.h"
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

std::string asciiEntry(ExifData* data, ExifIfd ifd, ExifTag tag)
{
    ExifEntry* entry = exif_content_get_entry(data->ifd[ifd], tag);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data)
        return std::string();
    const char* text = reinterpret_cast<const char*>(entry->data);
    return std::string(text, strnlen(text, entry->size));
}

// DateTimeOriginal, DateTimeDigitized and DateTime, "" where absent, and
// the embedded preview's bytes. Read raw: libexif's standard-conformance
// fixes would add missing tags.
void readExif(VipsImage* image, std::string dates[3], std::vector<unsigned char>* preview)
{
    const void* blob = nullptr;
    size_t size = 0;
    if (!vips_image_get_typeof(image, VIPS_META_EXIF_NAME) ||
        vips_image_get_blob(image, VIPS_META_EXIF_NAME, &blob, &size) != 0)
        return;
    ExifData* data = exif_data_new();
    if (!data)
        return;
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data, static_cast<const unsigned char*>(blob), static_cast<unsigned>(size));
    dates[0] = asciiEntry(data, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
    dates[1] = asciiEntry(data, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED);
    dates[2] = asciiEntry(data, EXIF_IFD_0, EXIF_TAG_DATE_TIME);
    if (data->data && data->size > 0)
        preview->assign(data->data, data->data + data->size);
    exif_data_unref(data);
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
    std::string exif[3];              // its EXIF dates, as readExif gives them
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
    if (raw.taken != 0)
        source->exif[0] = exifText(raw.taken);
    return raw.problem;
}

// libjpeg-turbo's shrink on load for a thumbnail, leaving the resize
// twice the thumbnail's pixels to filter from, as vips_thumbnail does.
int thumbnailShrink(const PhotoHeader& photo)
{
    const uint32_t factor = std::min(photo.width, photo.height) / thumbnailWidth;
    return factor >= 16 ? 8 : factor >= 8 ? 4 : factor >= 4 ? 2 : 1;
}

// Any other photo through the gate, opened once by its kind, for its EXIF
// and its pixels; a JPEG's faithful EXIF preview becomes the source.
std::string openByKind(int fd, const PhotoHeader& photo, Images* images, Source* source)
{
    source->kindName = photoKindName(photo.kind);
    std::string problem = photoProblem(photo);
    if (!problem.empty())
        return problem;
    VipsImage** header = images->next();
    *header = openPhoto(fd, photo, thumbnailShrink(photo), false, &problem);
    source->photo = *header;
    if (!*header)
        return problem.empty() ? "not a readable " + source->kindName + " image" : problem;
    std::vector<unsigned char> exifPreview;
    readExif(*header, source->exif, &exifPreview);
    if (photo.kind == PhotoKind::Jpeg && !previewMayBeStale(source->exif[0], source->exif[2])) {
        source->preview = faithfulPreview(exifPreview.data(), exifPreview.size(), photo.width, photo.height,
                                          vips_image_get_orientation(*header));
        *images->next() = source->preview;
    }
    return "";
}

void say(char* field, size_t size, const std::string& text)
{
    std::snprintf(field, size, "%s", text.c_str());
}

}  // namespace

void makeThumbnail(int fd, const PhotoHeader& header, bool rawName, DecodeReply* reply,
                   std::vector<unsigned char>* jpeg)
{
    Images images;
    Source source;
    std::string problem;
    if (rawName)
        problem = openRaw(fd, &images, &source);
    // A RAW-named file that LibRaw does not take is read by its content.
    if (!rawName || (problem == notRawProblem && decodablePhotoKind(header.kind)))
        problem = openByKind(fd, header, &images, &source);
    reply->fromPreview = !rawName && source.preview != nullptr;
    say(reply->kindName, sizeof reply->kindName, source.kindName);
    for (int i = 0; i < 3; ++i)
        say(reply->exif[i], sizeof reply->exif[i], source.exif[i]);
    VipsImage* thumbnail = problem.empty() ? thumbnailOf(source.preview ? source.preview : source.photo, &images) : nullptr;
    void* bytes = nullptr;
    size_t size = 0;
    if (problem.empty() &&
        (!thumbnail || vips_jpegsave_buffer(thumbnail, &bytes, &size, "Q", 85, "strip", TRUE, NULL) != 0)) {
        vips_error_clear();
        problem = "not a readable " + source.kindName + " image";
    }
    if (bytes) {
        jpeg->assign(static_cast<unsigned char*>(bytes), static_cast<unsigned char*>(bytes) + size);
        g_free(bytes);
    }
    reply->done = problem.empty();
    say(reply->problem, sizeof reply->problem, problem);
}

}  // namespace photoindex
