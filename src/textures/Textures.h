// Turns image files into OpenGL textures through DevIL. Every texture comes
// out upright: texture row t = 0 is the image's top row.
#pragma once

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

// A heap copy of text, released with free.
char* copyString(const char* text);
