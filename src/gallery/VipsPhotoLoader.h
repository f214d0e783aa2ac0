// The viewer's photo loader: a JPEG is decoded at the smallest power-of-two
// scale that still covers the texture square, then filtered down to it with
// a Lanczos kernel, and turned upright by its EXIF orientation. libvips is
// safe on any thread, so decode may run on a worker.
#pragma once

#include "gallery/SquarePhotoLoader.h"

class VipsPhotoLoader : public SquarePhotoLoader {
public:
    VipsPhotoLoader();   // starts libvips once per process
    DecodedPhoto decode(const std::string& path) override;
};
