// The gallery's photo loader: checks a photo file, decodes it with DevIL,
// scales it to a 1024 x 1024 square and turns it upright by its EXIF
// orientation; the texture steps need the GL context.
#pragma once

#include "gallery/PhotoLoader.h"

class DevilPhotoLoader : public PhotoLoader {
public:
    static constexpr int textureSide = 1024;

    DecodedPhoto decode(const std::string& path) override;
    TextureName upload(const DecodedPhoto& photo) override;
    void release(TextureName texture) override;
};
