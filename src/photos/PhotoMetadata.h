// What a photo says about itself beside its pixels: the dates it was taken
// and changed, its orientation and its embedded preview, read by Exiv2 from
// bytes already in memory, whatever the kind, plus the date of an XMP sidecar.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct PhotoMetadata {
    // Dates as EXIF writes them ("YYYY:MM:DD HH:MM:SS"), "" where absent. The
    // sidecar's is turned into that form from XMP's ISO 8601, keeping the
    // wall-clock time as written.
    std::string sidecarDate, dateTimeOriginal, dateTimeDigitized, dateTime;
    int orientation = 1;                  // the EXIF tag, 1 to 8
    std::vector<unsigned char> preview;   // the largest embedded JPEG preview up to 1024 px a side, or empty
};

// Never opens a file and never throws: bytes that are no photo, or that Exiv2
// refuses, give the fields it could read before (often none). The sidecar
// (nullptr: none) is the XMP file a photo manager writes beside the photo.
PhotoMetadata readPhotoMetadata(const unsigned char* photo, size_t size, const unsigned char* sidecar,
                                size_t sidecarSize);

// Fills metadata's empty EXIF fields from a bare EXIF block (TIFF header
// first, "Exif\0\0" before it allowed), as a decoder hands it over: Exiv2
// 0.27 finds no EXIF item in the HEIFs libheif writes.
void readExifBlock(const unsigned char* exif, size_t size, PhotoMetadata* metadata);

// The EXIF date text of an XMP date ("2019-07-04T10:11:12.5+02:00",
// "2019-07-04"), or "" when it is none.
std::string exifDateOfXmp(const std::string& xmp);
