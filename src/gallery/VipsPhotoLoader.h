// The viewer's photo loader: the photo is opened and gated here, and
// decoded into the square by a decoder process (decodePhotoSquare), so that
// a decoder's crash, a photo past the memory limit or one that never ends
// costs that photo only. Safe on any thread, so decode may run on a worker.
#pragma once

#include "gallery/SquarePhotoLoader.h"
#include "photos/DecoderPool.h"

class VipsPhotoLoader : public SquarePhotoLoader {
public:
    VipsPhotoLoader();
    DecodedPhoto decode(const std::string& path) override;

private:
    DecoderPool decoders;
};
