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

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <vector>

#include "photos/ImageHeader.h"
#include "textures/ThumbnailDecoder.h"

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

// An atlas page is one framed photo wide and holds photos of that width
// stacked: a photo's rows then lie as close together in memory as in its own
// texture, which keeps minified sampling (no mipmaps) from chasing texels
// across a wide page.
constexpr int tallestAtlasPage = 8192;

struct AtlasPage {
    GLuint texture = 0;
    int height = 0;
    int used = 0;   // rows filled from the top
};
// Cells placed on each page's texture, full pages included, so that a page
// goes when its last photo does.
std::unordered_map<GLuint, int> atlasPageCells;

// Pages by framed width, RGBA and DXT1 apart.
struct PageKey {
    int width;
    bool compressed;
    bool operator==(const PageKey& other) const { return width == other.width && compressed == other.compressed; }
};
struct PageKeyHash {
    size_t operator()(const PageKey& key) const { return std::hash<int>()(key.width * 2 + key.compressed); }
};
std::unordered_map<PageKey, AtlasPage, PageKeyHash> atlasPages;
std::unordered_map<TextureName, AtlasCell> atlasCells;

// Only what the photo loader makes is shared: one level, sampled linearly,
// repeating, as every page is.
bool fitsAtlas(int width, int height)
{
    GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    return minFilter == GL_LINEAR && magFilter == GL_LINEAR && wrapS == GL_REPEAT && wrapT == GL_REPEAT &&
           width > 0 && height > 0 && width <= largestAtlasPhoto && height <= largestAtlasPhoto;
}

void startAtlasPage(AtlasPage* page, int width, bool compressed)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    *page = AtlasPage();
    page->height = std::min<int>(largest, tallestAtlasPage);
    page->texture = bindNewTexture();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLenum format = compressed ? GL_COMPRESSED_RGB_S3TC_DXT1_EXT : GL_RGBA8;
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, page->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

// The texels of the bound photo texture, framed for its atlas cell.
std::vector<GLubyte> framedTexels(int width, int height)
{
    std::vector<GLubyte> texels(static_cast<size_t>(width) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return frameTexels(texels.data(), width, height);
}

// A cell of width x height photo texels with its frame, as RGBA texels or
// as DXT1 blocks of the frame widened to whole blocks (compressFramed).
AtlasCell placeInAtlas(int width, int height, const GLubyte* framed, bool compressed)
{
    const int w = compressed ? wholeBlocks(width + 2) : width + 2;
    const int h = compressed ? wholeBlocks(height + 2) : height + 2;
    AtlasPage& page = atlasPages[PageKey{w, compressed}];
    if (page.texture == 0 || page.used + h > page.height)
        startAtlasPage(&page, w, compressed);
    bindTexture(page.texture);
    if (compressed)
        glCompressedTexSubImage2D(GL_TEXTURE_2D, 0, 0, page.used, w, h, GL_COMPRESSED_RGB_S3TC_DXT1_EXT,
                                  w * h / 2, framed);
    else
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, page.used, w, h, GL_RGBA, GL_UNSIGNED_BYTE, framed);
    const float across = static_cast<float>(w), down = static_cast<float>(page.height);
    const AtlasCell cell = { page.texture, 1 / across, (page.used + 1) / down, (1 + width) / across,
                             (page.used + 1 + height) / down };
    page.used += h;
    ++atlasPageCells[page.texture];
    return cell;
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

AtlasCell atlasCell(TextureName photo)
{
    const auto known = atlasCells.find(photo);
    if (known != atlasCells.end())
        return known->second;
    AtlasCell cell = { photo, 0.0f, 0.0f, 1.0f, 1.0f };
    // Binding a name makes it a texture: ask first.
    if (photo != 0 && glIsTexture(photo)) {
        GLint width = 0, height = 0;
        bindTexture(photo);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        if (fitsAtlas(width, height))
            cell = placeInAtlas(width, height, framedTexels(width, height).data(), false);
    }
    atlasCells[photo] = cell;
    return cell;
}

TextureName uploadThumbnail(const DecodedThumbnail& thumbnail)
{
    // The name is only reserved, never bound: no texels are stored twice.
    GLuint name = 0;
    glGenTextures(1, &name);
    const bool compressed = !thumbnail.blocks.empty();
    assert(compressed || !thumbnail.framed.empty());
    atlasCells[name] = placeInAtlas(thumbnail.width, thumbnail.height,
                                    compressed ? thumbnail.blocks.data() : thumbnail.framed.data(), compressed);
    return name;
}

void releasePhotos(const std::vector<TextureName>& photos)
{
    std::vector<GLuint> unused;
    for (TextureName photo : photos) {
        const auto known = atlasCells.find(photo);
        if (known != atlasCells.end() && known->second.texture != photo) {
            const GLuint page = known->second.texture;
            if (--atlasPageCells[page] == 0) {
                atlasPageCells.erase(page);
                unused.push_back(page);
                for (auto& [key, open] : atlasPages)
                    if (open.texture == page)
                        open = AtlasPage();
            }
        }
        if (known != atlasCells.end())
            atlasCells.erase(known);
        if (photo != 0)
            unused.push_back(photo);   // a reserved name or the photo's own texture
    }
    if (unused.empty())
        return;
    // Deleting the bound texture unbinds it behind the state record's back.
    bindTexture(0);
    glDeleteTextures(static_cast<GLsizei>(unused.size()), unused.data());
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

void bindPhoto(TextureName photo)
{
    const auto known = atlasCells.find(photo);
    if (known == atlasCells.end() || known->second.texture == photo)
        return bindTexture(photo, wholeTexture);
    const AtlasCell& cell = known->second;
    bindTexture(cell.texture, { cell.s0, cell.t0, cell.s1 - cell.s0, cell.t1 - cell.t0 });
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
