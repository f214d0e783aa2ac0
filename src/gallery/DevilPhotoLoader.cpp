// Decoding uses DevIL's bound image, global library state: one decode at a
// time.
#include "gallery/DevilPhotoLoader.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include "gallery/PhotoOrientation.h"

#include <string>

namespace {

// The gate told the kind from the content, whatever the name says; that
// decoder reads it.
ILenum devilType(PhotoKind kind)
{
    return kind == PhotoKind::Png ? IL_PNG : IL_JPG;
}

// Empties DevIL's error queue; the first error's text, or "" when none.
std::string takeErrors()
{
    std::string first;
    for (ILenum error = ilGetError(); error != IL_NO_ERROR; error = ilGetError()) {
        if (first.empty())
            first = iluErrorString(error);
    }
    return first;
}

// Scales DevIL's bound image to the square and turns it upright. The rows
// are top first: initImageLibrary has DevIL store every format so.
void takeSquare(const std::string& path, DecodedPhoto* photo)
{
    const int side = DevilPhotoLoader::textureSide;
    const int width = ilGetInteger(IL_IMAGE_WIDTH), height = ilGetInteger(IL_IMAGE_HEIGHT);
    iluImageParameter(ILU_FILTER, ILU_NEAREST);
    iluScale(side, side, 1);
    const int orientation = exifOrientation(path.c_str());
    photo->pixels = orientSquare(ilGetData(), side, orientation);
    photo->side = side;
    photo->width = swapsSides(orientation) ? height : width;
    photo->height = swapsSides(orientation) ? width : height;
    photo->outcome = DecodedPhoto::Decoded;
}

}  // namespace

DecodedPhoto DevilPhotoLoader::decode(const std::string& path)
{
    PhotoHeader header;
    DecodedPhoto photo;
    if (!admit(path, &header, &photo))
        return photo;
    // DevIL never shrinks on load: the whole photo must fit the budget.
    PhotoHeader whole = header;
    whole.shrinksOnLoad = false;
    if (photoDecodeBytes(whole) > photoDecodeBudgetBytes)
        return refused("it is too large to decode whole");
    takeErrors();   // earlier errors are not this photo's
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const bool loaded = ilLoad(devilType(header.kind), path.c_str()) &&
                        ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    const std::string error = takeErrors();
    if (loaded)
        takeSquare(path, &photo);
    ilBindImage(0);
    ilDeleteImages(1, &image);
    if (photo.outcome != DecodedPhoto::Decoded)
        return refused(error.empty() ? "it cannot be decoded" : error);
    return photo;
}
