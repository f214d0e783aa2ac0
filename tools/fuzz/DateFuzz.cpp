// libFuzzer target for what dates a photo: the first byte picks the reader.
// Names and EXIF or XMP date texts must give only real dates; the metadata
// reader takes any bytes as a photo and as its XMP sidecar, and must neither
// crash nor hand back an orientation outside the EXIF range.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FirstByte.h"
#include "NameDate.h"
#include "PhotoDate.h"
#include "photos/PhotoMetadata.h"

namespace {

using namespace photoindex;

// A date every reader hands on must survive the library's own text form.
void checkDate(const LocalDate& date)
{
    LocalDate again;
    if (!parseFormattedDate(formatDate(date), &again) || date < again || again < date)
        std::abort();
}

void checkText(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const LocalDate now{2025, 6, 1, 12, 0, 0};
    LocalDate date;
    if (dateFromName(text, now, &date)) {
        checkDate(date);
        if (now < date || date.year < 1900)
            std::abort();
    }
    if (parseExifDate(text, &date))
        checkDate(date);
    const std::string exif = exifDateOfXmp(text);
    if (!exif.empty() && (exif.size() != 19 || exif[4] != ':' || exif[10] != ' ' || exif[16] != ':'))
        std::abort();
    const DateChoice choice = chooseDate({text, text, "", text}, nullptr, LocalDate{2001, 1, 1, 0, 0, 0}, now);
    if (choice.source == DateSource::none || now < choice.date)
        std::abort();
}

void checkMetadata(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const size_t split = data[0] * (size - 1) / 256;   // the sidecar's share, ahead of the photo
    const PhotoMetadata metadata = readPhotoMetadata(data + 1 + split, size - 1 - split, data + 1, split);
    if (metadata.orientation < 1 || metadata.orientation > 8)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    takePathByFirstByte(data, size, checkMetadata, checkText);
    return 0;
}
