// The size gate in front of the decoders, and the photo's texture.
#include "gallery/SquarePhotoLoader.h"

#include <GL/gl.h>

#include <utility>

#include "textures/GlState.h"

bool SquarePhotoLoader::admit(const PhotoFile& file, PhotoHeader* header, DecodedPhoto* photo)
{
    switch (file.state()) {
    case PhotoFile::State::Missing:
    case PhotoFile::State::Unreadable: *photo = DecodedPhoto{}; return false;
    case PhotoFile::State::NotRegular: *photo = refused("it is not a regular file"); return false;
    case PhotoFile::State::Open: break;
    }
    *header = file.readHeader();
    const std::string problem = photoProblem(*header);
    if (!problem.empty()) {
        *photo = refused(problem);
        return false;
    }
    return true;
}

DecodedPhoto SquarePhotoLoader::refused(std::string reason)
{
    DecodedPhoto photo;
    photo.outcome = DecodedPhoto::Refused;
    photo.reason = std::move(reason);
    return photo;
}

TextureName SquarePhotoLoader::upload(const DecodedPhoto& photo)
{
    const TextureName name = bindNewTexture();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, photo.side, photo.side, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 photo.pixels.data());
    return name;
}

void SquarePhotoLoader::release(TextureName texture)
{
    deleteTextures(1, &texture);
}
