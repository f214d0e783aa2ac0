// The viewer's photo loader: a JPEG is decoded by libjpeg-turbo at the
// smallest power-of-two scale that still covers the texture square and
// filtered to it with a Lanczos kernel as its rows come; other formats, and
// CMYK JPEGs, take the same steps through libvips. The square is turned
// upright by the EXIF orientation. Both are safe on any thread, so decode
// may run on a worker.
#pragma once

#include "gallery/SquarePhotoLoader.h"

class VipsPhotoLoader : public SquarePhotoLoader {
public:
    VipsPhotoLoader();   // starts libvips once per process
    DecodedPhoto decode(const std::string& path) override;
};
