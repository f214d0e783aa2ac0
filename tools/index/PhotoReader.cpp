// The photo passes the gate first; Exiv2 reads its metadata from its bytes;
// then libvips opens it by its kind once to check it and once to shrink it on load, turn
// it upright and crop it to cover 128 x 96, unless a faithful EXIF preview
// or, for a camera RAW, LibRaw's preview stands in for the decoded photo.
#include "PhotoReader.h"

#include <vips/vips.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <mutex>
#include <vector>

#include "ExifPreview.h"
#include "NameDate.h"
#include "OutputFiles.h"
#include "PhotoPaths.h"
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

// The decode budget is for the whole process: photos decoding on several
// workers at once together stay within it. A photo waits until what it
// needs is free; one alone always fits, since the gate refused larger ones.
class DecodeBudget {
public:
    void take(uint64_t bytes)
    {
        std::unique_lock<std::mutex> lock(mutex);
        freed.wait(lock, [&] { return taken == 0 || taken + bytes <= photoDecodeBudgetBytes; });
        taken += bytes;
    }
    void give(uint64_t bytes)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            taken -= bytes;
        }
        freed.notify_all();
    }

private:
    std::mutex mutex;
    std::condition_variable freed;
    uint64_t taken = 0;
};

DecodeBudget decodeBudget;

class BudgetShare {
public:
    explicit BudgetShare(uint64_t bytes) : bytes(bytes) { decodeBudget.take(bytes); }
    ~BudgetShare() { decodeBudget.give(bytes); }
    BudgetShare(const BudgetShare&) = delete;
    BudgetShare& operator=(const BudgetShare&) = delete;

private:
    uint64_t bytes;
};

// Up to cap bytes of the open file at fd, read whole into memory so the
// metadata reader never needs the path; empty where it cannot be read.
// share (nullptr: none) takes the memory from the decode budget while it is held.
std::vector<unsigned char> fileBytes(int fd, off_t cap, std::unique_ptr<BudgetShare>* share)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return {};
    if (share)
        *share = std::make_unique<BudgetShare>(static_cast<uint64_t>(std::min(info.st_size, cap)));
    std::vector<unsigned char> bytes;
    try {
        bytes.resize(static_cast<size_t>(std::min(info.st_size, cap)));
    } catch (const std::bad_alloc&) {
        return {};
    }
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

// The dates, orientation and preview of the photo at fd, with the date of
// its XMP sidecar (IMG_1234.xmp or IMG_1234.JPG.xmp, as photo managers name it).
PhotoMetadata metadataOf(int fd, const std::string& path)
{
    // A scanner's TIFF may keep its EXIF after the pixels: up to half the
    // budget is read, and what lies beyond is never looked at. A sidecar's
    // megabyte is not taken from the budget: a thread holding a share must
    // never wait for a second one.
    std::unique_ptr<BudgetShare> photoShare;
    const std::vector<unsigned char> photo = fileBytes(fd, static_cast<off_t>(photoDecodeBudgetBytes / 2), &photoShare);
    std::vector<unsigned char> sidecar;
    for (const std::string& candidate : sidecarPaths(path)) {
        const int side = open(candidate.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (side < 0)
            continue;
        sidecar = fileBytes(side, 1 << 20, nullptr);
        close(side);
        if (!sidecar.empty())
            break;
    }
    return readPhotoMetadata(photo.data(), photo.size(), sidecar.empty() ? nullptr : sidecar.data(), sidecar.size());
}

// The viewer's image library reads 8-bit RGB JPEGs best: no alpha, no CMYK,
// no 16-bit or greyscale surprises. Exactly 128 x 96, whatever rounding did.
// preview: a preview already decoded (a RAW's, or a JPEG's EXIF one); else
// the photo is read from path.
VipsImage* thumbnailOf(const std::string& path, VipsImage* preview, VipsFailOn failOn, Images* images)
{
    VipsImage** scaled = images->next();
    if ((preview ? vips_thumbnail_image(preview, scaled, thumbnailWidth, "height", thumbnailHeight,
                                        "crop", VIPS_INTERESTING_CENTRE, NULL)
                 : vips_thumbnail(path.c_str(), scaled, thumbnailWidth, "height", thumbnailHeight,
                                  "crop", VIPS_INTERESTING_CENTRE, "fail_on", failOn, NULL)) != 0)
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
    DateTexts dates;
    VipsImage* preview = nullptr;     // a decoded preview to make the thumbnail of; nullptr: the file
    std::string kindName = "RAW";
    uint64_t decodeBytes = 0;         // what decoding the file takes
};

// A camera RAW by its preview; why it cannot be read, or "".
std::string openRaw(const std::string& path, Images* images, Source* source)
{
    RawPreview raw = openRawPreview(path.c_str());
    *images->next() = raw.image;
    source->preview = raw.image;
    if (raw.taken != 0 && source->dates.original.empty())
        source->dates.original = exifText(raw.taken);
    return raw.problem;
}

// Any other photo through the gate, opened by its kind for its EXIF; a
// JPEG's faithful EXIF preview becomes the source. Closes fd.
std::string openByKind(int fd, const std::string& path, PhotoMetadata* metadata, Images* images,
                       Source* source)
{
    const PhotoHeader photo = readPhotoHeader([fd](uint64_t offset, unsigned char* out, size_t want) {
        const ssize_t got = pread(fd, out, want, static_cast<off_t>(offset));
        return got > 0 ? static_cast<size_t>(got) : size_t{0};
    });
    close(fd);
    source->kindName = photoKindName(photo.kind);
    source->decodeBytes = photoDecodeBytes(photo);
    const std::string problem = photoProblem(photo);
    if (!problem.empty())
        return problem;
    VipsImage** header = images->next();
    *header = openPhoto(path.c_str(), photo.kind, 1, false);
    if (!*header)
        return "not a readable " + source->kindName + " image";
    const void* exif = nullptr;
    size_t exifSize = 0;
    if (photo.kind == PhotoKind::Heif && vips_image_get_typeof(*header, VIPS_META_EXIF_NAME) &&
        vips_image_get_blob(*header, VIPS_META_EXIF_NAME, &exif, &exifSize) == 0)
        readExifBlock(static_cast<const unsigned char*>(exif), exifSize, metadata);
    source->dates = {metadata->sidecarDate, metadata->dateTimeOriginal, metadata->dateTimeDigitized,
                     metadata->dateTime};
    if (photo.kind == PhotoKind::Jpeg && !previewMayBeStale(metadata->dateTimeOriginal, metadata->dateTime)) {
        source->preview = faithfulPreview(metadata->preview.data(), metadata->preview.size(), photo.width, photo.height,
                                          vips_image_get_orientation(*header));
        *images->next() = source->preview;
    }
    return "";
}

// The thumbnail's JPEG bytes (g_free them), made whole first; a photo that
// decodes only in part (a truncated JPEG) is then made from what could be
// read, and said to be damaged.
bool thumbnailJpeg(const std::string& path, VipsImage* preview, void** jpeg, size_t* size, bool* damaged)
{
    for (const VipsFailOn failOn : {VIPS_FAIL_ON_TRUNCATED, VIPS_FAIL_ON_NONE}) {
        Images pipeline;
        VipsImage* thumbnail = thumbnailOf(path, preview, failOn, &pipeline);
        if (thumbnail && vips_jpegsave_buffer(thumbnail, jpeg, size, "Q", 85, "strip", TRUE, NULL) == 0) {
            *damaged = failOn != VIPS_FAIL_ON_TRUNCATED;
            return true;
        }
        vips_error_clear();
        if (preview)
            break;
    }
    return false;
}

// The thumbnail's RGB pixels, or empty.
std::vector<unsigned char> thumbnailPixels(const void* jpeg, size_t size)
{
    VipsImage *loaded = nullptr, *rgb = nullptr;
    std::vector<unsigned char> pixels;
    if (vips_jpegload_buffer(const_cast<void*>(jpeg), size, &loaded, NULL) == 0 &&
        vips_colourspace(loaded, &rgb, VIPS_INTERPRETATION_sRGB, NULL) == 0 && rgb->Xsize == thumbnailWidth &&
        rgb->Ysize == thumbnailHeight && rgb->Bands == 3 && rgb->BandFmt == VIPS_FORMAT_UCHAR) {
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

void quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}


}  // namespace

bool startPhotoReading(const char* programPath)
{
    if (!startVipsForPhotos(programPath))
        return false;
    // Photos are read once each: a cache would only hold their files open.
    vips_cache_set_max(0);
    // Each worker thread reads its own photo; small thumbnails gain little from more.
    vips_concurrency_set(1);
    // A photo that decodes with damage still gets its thumbnail; libvips'
    // warnings about it would only tear up the progress bar.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, quiet, nullptr);
    return true;
}

void stopPhotoReading() { vips_shutdown(); }

PhotoReading readPhoto(const std::string& path, const std::string& thumbnailPath,
                       const LocalDate& fileDate, const LocalDate& now)
{
    PhotoReading reading;
    // Non-blocking: a file turned into a FIFO since the walk must not hang the run.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        reading.problem = std::string("cannot be read: ") + std::strerror(errno);
        reading.unreadable = true;
        return reading;
    }
    Images images;
    Source source;
    PhotoMetadata metadata = metadataOf(fd, path);
    source.dates = {metadata.sidecarDate, metadata.dateTimeOriginal, metadata.dateTimeDigitized, metadata.dateTime};
    if (isRawName(path)) {
        close(fd);
        reading.problem = openRaw(path, &images, &source);
    } else {
        reading.problem = openByKind(fd, path, &metadata, &images, &source);
        reading.fromPreview = source.preview != nullptr;
    }
    if (!reading.problem.empty())
        return reading;
    // A preview is already decoded; the share covers the photo's decode.
    const BudgetShare share(source.preview ? 0 : source.decodeBytes);
    LocalDate named;
    const bool hasNamedDate = dateFromName(path.substr(path.rfind('/') + 1), now, &named);
    reading.date = chooseDate(source.dates, hasNamedDate ? &named : nullptr, fileDate, now);
    if (reading.date.source == DateSource::none) {
        reading.problem = "no date between 1900 and today";
        return reading;
    }
    void* jpeg = nullptr;
    size_t size = 0;
    if (!thumbnailJpeg(path, source.preview, &jpeg, &size, &reading.damaged)) {
        reading.problem = "not a readable " + source.kindName + " image";
        return reading;
    }
    reading.outputProblem = replaceFile(thumbnailPath, jpeg, size, false);
    g_free(jpeg);
    return reading;
}

PreviewCheck checkPreview(const std::string& path, const std::string& thumbnailPath)
{
    PreviewCheck check;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        check.problem = std::string("cannot be read: ") + std::strerror(errno);
        return check;
    }
    const PhotoHeader photo = readPhotoHeader([fd](uint64_t offset, unsigned char* out, size_t want) {
        const ssize_t got = pread(fd, out, want, static_cast<off_t>(offset));
        return got > 0 ? static_cast<size_t>(got) : size_t{0};
    });
    close(fd);
    check.problem = photoProblem(photo);
    if (!check.problem.empty())
        return check;
    const BudgetShare share(photoDecodeBytes(photo));
    void* jpeg = nullptr;
    size_t size = 0;
    bool damaged = false;
    if (!thumbnailJpeg(path, nullptr, &jpeg, &size, &damaged)) {
        check.problem = std::string("not a readable ") + photoKindName(photo.kind) + " image";
        return check;
    }
    std::string old;
    if (const int thumbnail = open(thumbnailPath.c_str(), O_RDONLY | O_CLOEXEC); thumbnail >= 0) {
        char buffer[16384];
        for (ssize_t got; (got = read(thumbnail, buffer, sizeof buffer)) > 0;)
            old.append(buffer, static_cast<size_t>(got));
        close(thumbnail);
    }
    check.checked = true;
    if (psnr(thumbnailPixels(old.data(), old.size()), thumbnailPixels(jpeg, size)) < previewFaithfulDecibels) {
        check.outputProblem = replaceFile(thumbnailPath, jpeg, size, false);
        check.replaced = check.outputProblem.empty();
    }
    g_free(jpeg);
    return check;
}

}  // namespace photoindex
