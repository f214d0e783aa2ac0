// DevIL behind the three texture loaders, and the atlas pages the photos
// share. Every load makes a new texture, leaves it bound to GL_TEXTURE_2D
// and leaves DevIL's error queue empty; a file that cannot be loaded gives
// a 1x1 grey texture, never name 0.
#define ILUT_USE_OPENGL
#include "textures/Textures.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "photos/ImageHeader.h"

namespace {

const char anisotropicExtension[] = "GL_EXT_texture_filter_anisotropic";
const char s3tcExtension[] = "GL_EXT_texture_compression_s3tc";

// Turns DevIL's bound image into a new GL texture, left bound.
using Upload = std::function<TextureName()>;

void reportErrors(const char* path)
{
    for (ILenum error = ilGetError(); error != IL_NO_ERROR; error = ilGetError())
        std::printf("!! -- %s path: %s\n", iluErrorString(error), path);
}

// Says why a file must not reach DevIL, in the shape of DevIL's own lines.
bool acceptable(const ImageHeader& header, const char* path)
{
    switch (judgeImageHeader(header)) {
    case SizeVerdict::Fine:
        return true;
    case SizeVerdict::Empty:
        std::printf("!! -- image size %u x %u is empty path: %s\n", header.width, header.height, path);
        return false;
    case SizeVerdict::TooLarge:
        std::printf("!! -- image size %u x %u is too large path: %s\n", header.width,
                    header.height, path);
        return false;
    case SizeVerdict::Unreadable:
        std::printf("!! -- image header unreadable path: %s\n", path);
        return false;
    case SizeVerdict::Unsupported:
        std::printf("!! -- image format not supported path: %s\n", path);
        return false;
    }
    return false;
}

// DevIL would pick its decoder by the file name; the header was checked for
// the format the content has, so that decoder reads it.
ILboolean loadChecked(ImageKind kind, char* path)
{
    switch (kind) {
    case ImageKind::Png: return ilLoad(IL_PNG, path);
    case ImageKind::Jpeg: return ilLoad(IL_JPG, path);
    case ImageKind::Bmp: return ilLoad(IL_BMP, path);
    case ImageKind::Tga: return ilLoad(IL_TGA, path);
    default: return ilLoadImage(path);   // unopened: DevIL says why
    }
}

// Stands in for any image that did not load, on every path alike: ILUT
// would hand over DevIL's default image or half-decoded rows, and GLU
// would be asked for a 0 x 0 image.
TextureName makePlaceholder()
{
    static const unsigned char grey[3] = {128, 128, 128};
    const TextureName name = bindNewTexture();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, grey);
    return name;
}

TextureName loadWith(const char* path, const Upload& upload)
{
    char* copy = copyString(path);
    TextureName name = 0;
    const ImageHeader header = readImageHeaderFile(path);
    if (acceptable(header, path)) {
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        if (loadChecked(header.kind, copy)) {
            // The origin mode set in initImageLibrary has stored the rows top
            // first. Relabelling them bottom-first, without moving them, stops
            // ILUT from flipping, so row 0 (the top) lands at t = 0 on every path.
            ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
            name = upload();
        }
        ilBindImage(0);
        ilDeleteImages(1, &image);
    }
    reportErrors(path);
    if (name == 0)
        name = makePlaceholder();
    bindTexture(name);   // ILUT binds what it makes behind the module's back
    std::free(copy);
    return name;
}

bool hasAnisotropicFiltering()
{
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && std::strstr(extensions, anisotropicExtension) != nullptr;
}

// GLU takes the pixel rows as they are: a palette image would upload as
// indices (all black) and 16-bit channels would be read as pairs of bytes.
// RGB is enough, as the texture keeps three components anyway.
void makeUploadableByGlu()
{
    ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    bool direct = ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE &&
                  (format == IL_RGB || format == IL_RGBA || format == IL_LUMINANCE ||
                   format == IL_LUMINANCE_ALPHA);
    if (!direct) {
        ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
        ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
    }
}

TextureName uploadAnisotropic(float largestAnisotropy)
{
    makeUploadableByGlu();
    GLint width = ilGetInteger(IL_IMAGE_WIDTH);
    GLint height = ilGetInteger(IL_IMAGE_HEIGHT);
    GLenum format = static_cast<GLenum>(ilGetInteger(IL_IMAGE_FORMAT));
    const TextureName name = bindNewTexture();
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, largestAnisotropy);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, format, GL_UNSIGNED_BYTE, ilGetData());
    return name;
}

}  // namespace

void initImageLibrary()
{
    ilInit();
    iluInit();
    ilutInit();
    ilutRenderer(ILUT_OPENGL);
    ilutEnable(ILUT_OPENGL_CONV);
    // PNG and JPEG decode top row first, BMP and TGA bottom first: make
    // DevIL store every format top first (see loadWith).
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    // ILUT's set-up turned texturing on and unpacking to bytes behind the record's back.
    enableGl(GlState::texturing);
    useUnpackAlignment(1);
}

TextureName loadTexture(const char* path)
{
    return loadWith(path, [] { return TextureName(ilutGLBindTexImage()); });
}

TextureName loadTextureMipmapped(const char* path)
{
    return loadWith(path, [] { return TextureName(ilutGLBindMipmaps()); });
}

TextureName loadTextureAnisotropic(const char* path)
{
    if (!hasAnisotropicFiltering()) {
        std::printf("Sorry, extension missing or no anisotropic filtering possible with your "
                    "graphics-hardware!\n using default-mipmaps instead");
        return loadTextureMipmapped(path);
    }
    GLfloat largestAnisotropy = 0.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largestAnisotropy);
    return loadWith(path, [largestAnisotropy] { return uploadAnisotropic(largestAnisotropy); });
}

GroundFilter chooseGroundFilter(const char* renderer, const char* setting)
{
    if (setting != nullptr && std::strcmp(setting, "fast") == 0)
        return GroundFilter::fast;
    if (setting != nullptr && std::strcmp(setting, "full") == 0)
        return GroundFilter::full;
    for (const char* software : {"llvmpipe", "softpipe", "swrast"}) {
        if (renderer != nullptr && std::strstr(renderer, software) != nullptr)
            return GroundFilter::fast;
    }
    return GroundFilter::full;
}

GroundFilter groundFilter()
{
    static const GroundFilter chosen = chooseGroundFilter(
        reinterpret_cast<const char*>(glGetString(GL_RENDERER)), std::getenv("ZV_GROUND_FILTER"));
    return chosen;
}

TextureName loadGroundTexture(const char* path)
{
    const TextureName name = loadTextureAnisotropic(path);
    if (groundFilter() == GroundFilter::fast && hasAnisotropicFiltering())
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f);
    return name;
}

bool samplesDxt1(const char* extensions)
{
    return extensions != nullptr && std::strstr(extensions, s3tcExtension) != nullptr;
}

bool compressesThumbnails()
{
    static const bool compresses = samplesDxt1(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
    return compresses;
}

void unbindPhoto()
{
    auto s = glState();
    s.textureWindow = wholeTexture;
    useGlState(s);
}

char* copyString(const char* text)
{
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}
