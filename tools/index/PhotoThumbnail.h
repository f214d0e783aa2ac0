// The part of reading a photo that runs in a decoder process: everything
// that hands the photo's bytes to a decoder (libvips, LibRaw, Exiv2).
#pragma once

#include <vector>

#include "photos/DecodeRequest.h"

namespace photoindex {

constexpr int thumbnailWidth = 128, thumbnailHeight = 96;

// How close, as PSNR, a thumbnail made from an EXIF preview must come to
// one made from the photo itself: below it, the photo was changed after its
// preview was written (an editor that kept the old one) and the preview lies.
constexpr double previewFaithfulDecibels = 30;

// The XMP sidecar and the thumbnail a preview check compares are read up to this size.
constexpr long long maxSidecarBytes = 1 << 20;

// Thumbnail: fills the reply's problem (or done), kind name, dates (the
// XMP sidecar's, sent as request.second, and the photo's EXIF), preview and
// damage flags, and payload with the thumbnail, for the photo open as fd
// whose header the gate read. A RAW-named photo is asked of LibRaw first; a
// file it does not take is read by its content.
// PreviewCheck: makes the thumbnail of the whole photo, and sends it back
// (differs) where the thumbnail open as request.second does not match it.
// Needs libvips started by startVipsForPhotos.
void makeThumbnail(const DecodeRequest& request, int fd, DecodeReply* reply, std::vector<unsigned char>* payload);

}  // namespace photoindex
