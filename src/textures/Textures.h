// Makes the program's OpenGL textures: the artwork, and any picture the
// thumbnail decoder leaves alone, through DevIL (the library's decoded
// thumbnails go to a PhotoAtlas). Every texture comes out upright: texture
// row t = 0 is the image's top row.
#pragma once

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

// Whether a GL with these extensions samples DXT1 blocks as they stand.
bool samplesDxt1(const char* extensions);
// Whether thumbnails are prepared as DXT1 blocks for the current GL context:
// an eighth of the memory of RGBA texels. Without S3TC they stay RGBA.
bool compressesThumbnails();

// Resets the texture window a photo was bound with (PhotoAtlas::bind).
void unbindPhoto();

// A heap copy of text, released with free.
char* copyString(const char* text);
