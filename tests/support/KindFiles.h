// Writes small photos of the kinds libvips reads beside JPEG and PNG, made
// by libvips' and libheif's own encoders, with an orientation where the kind
// keeps one.
#pragma once

#include <string>

#include "support/ImageFiles.h"

namespace support {

// kind: "heic", "avif", "webp", "tiff" or "gif". orientation 1 to 8 goes
// into the EXIF of a WebP and the tag of a TIFF; a HEIF and a GIF keep
// none. dateTaken ("YYYY:MM:DD HH:MM:SS") goes into the EXIF
// DateTimeOriginal of a HEIF or WebP. Records a test failure and returns
// false when it cannot write.
bool writeKind(const std::string& path, const std::string& kind, int width, int height, const PixelFunction& pixelAt,
               int orientation = 1, const char* dateTaken = nullptr);

// A HEIC whose stored pixels libheif turns a quarter clockwise (an irot
// box) on decoding, as phones write portrait photos; EXIF orientation 6
// says the same, so a reader that applied both would turn it twice.
bool writeTurnedHeic(const std::string& path, int storedWidth, int storedHeight, const PixelFunction& pixelAt);

// A DNG as LibRaw reads it: an 8-bit RGB preview of width x height in
// IFD 0 with the orientation and DateTime ("YYYY:MM:DD HH:MM:SS"), and a
// small blank CFA image in its SubIFD. Written with libtiff.
bool writeDng(const std::string& path, int width, int height, const PixelFunction& pixelAt, int orientation,
              const char* dateTime);

}  // namespace support
