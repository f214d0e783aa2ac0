// Decoding uses DevIL's bound image, global library state: one decode at a
// time.
#include "gallery/DevilPhotoLoader.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "gallery/PhotoOrientation.h"

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
void takeSquare(int fd, DecodedPhoto* photo)
{
    const int side = DevilPhotoLoader::textureSide;
    const int width = ilGetInteger(IL_IMAGE_WIDTH), height = ilGetInteger(IL_IMAGE_HEIGHT);
    iluImageParameter(ILU_FILTER, ILU_NEAREST);
    iluScale(side, side, 1);
    const int orientation = exifOrientation(fd);
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
    const PhotoFile file(path);
    if (!admit(file, &header, &photo))
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
    // DevIL reads the file the gate read, through a duplicate rewound to its start.
    lseek(file.descriptor(), 0, SEEK_SET);
    const int own = fcntl(file.descriptor(), F_DUPFD_CLOEXEC, 0);
    std::FILE* stream = own >= 0 ? fdopen(own, "rb") : nullptr;
    if (stream == nullptr && own >= 0)
        close(own);
    const bool loaded = stream != nullptr && ilLoadF(devilType(header.kind), stream) &&
                        ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    if (stream != nullptr)
        std::fclose(stream);
    const std::string error = takeErrors();
    if (loaded)
        takeSquare(file.descriptor(), &photo);
    ilBindImage(0);
    ilDeleteImages(1, &image);
    if (photo.outcome != DecodedPhoto::Decoded)
        return refused(error.empty() ? "it cannot be decoded" : error);
    return photo;
}
