// Decoding uses DevIL's bound image, global library state: one decode at a
// time. upload leaves the texture binding as it found it: it runs between
// frames, outside the gallery's saved state.
#include "gallery/DevilPhotoLoader.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <IL/ilu.h>

#include "gallery/GalleryRules.h"
#include "gallery/PhotoOrientation.h"
#include "textures/ImageHeader.h"
#include "textures/ReadableFile.h"

#include <string>
#include <utility>

namespace {

// The header was read for the format the content has, whatever the name
// says; that decoder reads it.
ILenum devilType(ImageKind kind)
{
    switch (kind) {
    case ImageKind::Png: return IL_PNG;
    case ImageKind::Jpeg: return IL_JPG;
    case ImageKind::Bmp: return IL_BMP;
    default: return IL_TGA;
    }
}

DecodedPhoto refused(std::string reason)
{
    DecodedPhoto photo;
    photo.outcome = DecodedPhoto::Refused;
    photo.reason = std::move(reason);
    return photo;
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
    switch (checkReadableFile(path.c_str())) {
    case FileCheck::Missing: return DecodedPhoto{};
    case FileCheck::NotRegular: return refused("it is not a regular file");
    case FileCheck::Readable: break;
    }
    const ImageHeader header = readImageHeaderFile(path.c_str());
    const std::string problem = photoSizeProblem(header);
    if (!problem.empty())
        return refused(problem);
    takeErrors();   // earlier errors are not this photo's
    DecodedPhoto photo;
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

TextureName DevilPhotoLoader::upload(const DecodedPhoto& photo)
{
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, photo.side, photo.side, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 photo.pixels.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return name;
}

void DevilPhotoLoader::release(TextureName texture)
{
    glDeleteTextures(1, &texture);
}
