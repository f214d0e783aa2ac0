// Exiv2 parses hostile bytes here as a decoder would: every exception is
// caught, its log is silenced once for the whole process, and it is handed
// memory, never a path, so it can run wherever the decoders run.
#include "photos/PhotoMetadata.h"

#include <exiv2/exiv2.hpp>

#include <cctype>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

void lockXmp(void* mutex, bool lock)
{
    if (lock)
        static_cast<std::mutex*>(mutex)->lock();
    else
        static_cast<std::mutex*>(mutex)->unlock();
}

// Before the first image: Exiv2 prints warnings for every damaged tag, and
// its XMP toolkit keeps process-wide state, so photos read on several
// threads take turns in it under the one lock the process must have.
bool startExiv2()
{
    static std::mutex xmpToolkit;
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::LogMsg::setHandler(nullptr);
    Exiv2::enableBMFF(true);
    return Exiv2::XmpParser::initialize(lockXmp, &xmpToolkit);
}

bool exiv2Started()
{
    static const bool started = startExiv2();
    return started;
}

std::string exifText(const Exiv2::ExifData& exif, const char* key)
{
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found != exif.end() && found->typeId() == Exiv2::asciiString ? found->toString() : std::string();
}

// The first of the tags photo managers write a corrected date into.
std::string sidecarDateOf(const unsigned char* sidecar, size_t size)
{
    const auto image = Exiv2::ImageFactory::open(sidecar, static_cast<long>(size));
    if (image.get() == nullptr)
        return std::string();
    image->readMetadata();
    const Exiv2::XmpData& xmp = image->xmpData();
    for (const char* key : {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated", "Xmp.xmp.CreateDate"}) {
        const auto found = xmp.findKey(Exiv2::XmpKey(key));
        if (found != xmp.end()) {
            const std::string date = exifDateOfXmp(found->toString());
            if (!date.empty())
                return date;
        }
    }
    return std::string();
}

// Only the fields still empty (orientation still 1), so a second source fills gaps.
void readExif(const Exiv2::ExifData& exif, PhotoMetadata* metadata)
{
    const std::pair<std::string*, const char*> dates[] = {
        {&metadata->dateTimeOriginal, "Exif.Photo.DateTimeOriginal"},
        {&metadata->dateTimeOriginal, "Exif.Image.DateTimeOriginal"},   // TIFF/EP and some DNGs keep it in IFD 0
        {&metadata->dateTimeDigitized, "Exif.Photo.DateTimeDigitized"},
        {&metadata->dateTime, "Exif.Image.DateTime"}};
    for (const auto& [field, key] : dates)
        if (field->empty())
            *field = exifText(exif, key);
    const auto orientation = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (metadata->orientation == 1 && orientation != exif.end() && orientation->count() > 0) {
        const long value = orientation->toLong();
        metadata->orientation = value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
}

void readPhoto(const unsigned char* photo, size_t size, PhotoMetadata* metadata)
{
    const auto image = Exiv2::ImageFactory::open(photo, static_cast<long>(size));
    if (image.get() == nullptr)
        return;
    image->readMetadata();
    readExif(image->exifData(), metadata);
    Exiv2::PreviewManager previews(*image);
    const Exiv2::PreviewProperties* best = nullptr;
    const Exiv2::PreviewPropertiesList list = previews.getPreviewProperties();
    for (const Exiv2::PreviewProperties& properties : list)
        if (properties.mimeType_ == "image/jpeg" && properties.width_ <= 1024 && properties.height_ <= 1024 &&
            (!best || properties.width_ * properties.height_ > best->width_ * best->height_))
            best = &properties;
    if (best) {
        const Exiv2::PreviewImage preview = previews.getPreviewImage(*best);
        metadata->preview.assign(preview.pData(), preview.pData() + preview.size());
    }
}

}  // namespace

void readExifBlock(const unsigned char* exif, size_t size, PhotoMetadata* metadata)
{
    if (size >= 6 && std::memcmp(exif, "Exif\0\0", 6) == 0) {
        exif += 6;
        size -= 6;
    }
    if (!exiv2Started() || !exif || size == 0)
        return;
    try {
        Exiv2::ExifData data;
        Exiv2::ExifParser::decode(data, exif, static_cast<uint32_t>(size));
        readExif(data, metadata);
    } catch (...) {
    }
}

std::string exifDateOfXmp(const std::string& xmp)
{
    // YYYY-MM-DD, then optionally THH:MM and :SS; anything after (fractions, a zone) is let go.
    static const char shape[] = "dddd-dd-ddTdd:dd:dd";
    size_t length = 0;
    while (length < sizeof shape - 1 && length < xmp.size() &&
           (shape[length] == 'd' ? std::isdigit(static_cast<unsigned char>(xmp[length])) != 0
                                 : xmp[length] == shape[length]))
        ++length;
    if (length != 10 && length != 16 && length != 19)
        return std::string();
    std::string date = xmp.substr(0, length) + (length == 10 ? "T00:00:00" : length == 16 ? ":00" : "");
    date[4] = date[7] = ':';
    date[10] = ' ';
    return date;
}

PhotoMetadata readPhotoMetadata(const unsigned char* photo, size_t size, const unsigned char* sidecar,
                                size_t sidecarSize)
{
    PhotoMetadata metadata;
    if (!exiv2Started())
        return metadata;
    // Each part on its own: a sidecar Exiv2 refuses still leaves the photo's own dates.
    try {
        if (photo && size > 0)
            readPhoto(photo, size, &metadata);
    } catch (...) {
    }
    try {
        if (sidecar && sidecarSize > 0)
            metadata.sidecarDate = sidecarDateOf(sidecar, sidecarSize);
    } catch (...) {
    }
    return metadata;
}
