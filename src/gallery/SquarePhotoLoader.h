// What every file-reading photo loader of the gallery shares: the checks a
// photo file passes before any decoder sees it, and the square texture it
// becomes (the texture steps need the GL context).
#pragma once

#include "gallery/PhotoLoader.h"
#include "photos/PhotoFile.h"

class SquarePhotoLoader : public PhotoLoader {
public:
    static constexpr int textureSide = 1024;

    TextureName upload(const DecodedPhoto& photo) override;
    void release(TextureName texture) override;

protected:
    // The file's header when the gate lets a decoder of its kind have the
    // file; otherwise the photo says why not (not found, or refused). Reads
    // the header only, from the file as it was opened.
    static bool admit(const PhotoFile& file, PhotoHeader* header, DecodedPhoto* photo);
    static DecodedPhoto refused(std::string reason);
};
