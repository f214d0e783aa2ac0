// Makes the program's OpenGL textures: the artwork, and any picture the
// thumbnail decoder leaves alone, through DevIL; the library's decoded
// thumbnails as cells of shared atlas pages. Every texture comes out
// upright: texture row t = 0 is the image's top row.
#pragma once

#include <vector>

#include "textures/GlState.h"
#include "textures/TextureName.h"

// Sets up IL, ILU and ILUT for OpenGL. Needs a current GL context.
void initImageLibrary();

// A texture without mipmaps.
TextureName loadTexture(const char* path);
// A texture with a full mipmap chain.
TextureName loadTextureMipmapped(const char* path);
// A mipmapped texture with the largest anisotropy the GL offers, or the
// mipmapped texture after a notice when the extension is missing.
TextureName loadTextureAnisotropic(const char* path);

// How the ground (grass, streets, crossings) is filtered. Anisotropic
// filtering at grazing angles costs a software renderer most of a street-level
// frame, so there the ground takes plain mipmaps.
enum class GroundFilter { fast, full };
// fast for a GL_RENDERER naming llvmpipe, softpipe or swrast, full otherwise;
// a setting of "fast" or "full" (ZV_GROUND_FILTER) decides instead.
GroundFilter chooseGroundFilter(const char* renderer, const char* setting);
// The choice for the current GL context and environment, made once.
GroundFilter groundFilter();
// loadTextureAnisotropic, with the anisotropy left at 1 when the ground
// filter is fast.
TextureName loadGroundTexture(const char* path);

// Where a photo's texels lie in a shared atlas texture, so that the boxes of
// many photos draw with one bind. Each photo's cell is framed by one texel of
// its own opposite edges, so linear filtering at its borders blends what the
// photo's own repeating texture blends.
struct AtlasCell {
    TextureName texture;
    float s0, t0, s1, t1;   // the photo's (0, 0) and (1, 1)
};
// The cell of a photo texture, copied in on the first ask. A texture the
// atlas cannot stand in for (mipmapped, not repeating, large) is its own
// cell: the texture itself, 0 to 1.
AtlasCell atlasCell(TextureName photo);

struct DecodedThumbnail;
// Places a decoded thumbnail in the atlas and returns a name that stands for
// it there for atlasCell and bindPhoto; the name has no texture of its own.
TextureName uploadThumbnail(const DecodedThumbnail& thumbnail);
// Gives back photos' textures and their atlas cells, as when a library is
// read again; a page no cell uses any more is deleted.
void releasePhotos(const std::vector<TextureName>& photos);
// Whether a GL with these extensions samples DXT1 blocks as they stand.
bool samplesDxt1(const char* extensions);
// Whether thumbnails are prepared as DXT1 blocks for the current GL context:
// an eighth of the memory of RGBA texels. Without S3TC they stay RGBA.
bool compressesThumbnails();

// Binds a photo for texture coordinates 0 to 1, wherever its texels lie:
// its own texture, or its atlas cell through the texture matrix, which
// unbindPhoto resets. Drawing keeps the modelview matrix selected.
void bindPhoto(TextureName photo);
void unbindPhoto();

// A heap copy of text, released with free.
char* copyString(const char* text);
