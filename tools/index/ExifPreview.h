// The small preview a camera or phone embeds in a JPEG's EXIF block, used
// for the thumbnail instead of decoding the photo when it is faithful to
// it: reading it costs milliseconds where a 12-megapixel decode costs tens.
#pragma once

#include <vips/vips.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace photoindex {

// The preview's content, bars removed, as an image libvips holds in memory
// with the photo's orientation set on it, or nullptr where the photo must
// be decoded: no preview, one whose content (near-black bars removed) has
// not the photo's own aspect, or one too small to cover the thumbnail once
// upright and cropped to 4:3. photoWidth and photoHeight are as stored.
VipsImage* faithfulPreview(const unsigned char* jpeg, size_t size, uint32_t photoWidth, uint32_t photoHeight,
                           int orientation);

// The EXIF says the photo was changed after it was taken (DateTime after
// DateTimeOriginal): an editor may have kept the old preview.
bool previewMayBeStale(const std::string& dateTimeOriginal, const std::string& dateTime);

}  // namespace photoindex
