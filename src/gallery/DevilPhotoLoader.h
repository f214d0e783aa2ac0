// The gallery's first photo loader: decodes the whole photo with DevIL and
// scales it to the square with nearest-neighbour sampling, then turns it
// upright by its EXIF orientation. DevIL's state is global: main thread only.
#pragma once

#include "gallery/SquarePhotoLoader.h"

class DevilPhotoLoader : public SquarePhotoLoader {
public:
    DecodedPhoto decode(const std::string& path) override;
};
