// The part of reading a photo that runs in a decoder process: everything
// that hands the photo's bytes to a decoder (libvips, LibRaw, libexif).
#pragma once

#include <vector>

#include "photos/DecodeRequest.h"

namespace photoindex {

constexpr int thumbnailWidth = 128, thumbnailHeight = 96;

// Fills the reply's problem (or done), kind name, EXIF dates and preview
// flag, and jpeg with the thumbnail, for the photo open as fd whose header
// the gate read. rawName: LibRaw is asked first; a file it does not take is
// read by its content. Needs libvips started by startVipsForPhotos.
void makeThumbnail(int fd, const PhotoHeader& header, bool rawName, DecodeReply* reply,
                   std::vector<unsigned char>* jpeg);

}  // namespace photoindex
