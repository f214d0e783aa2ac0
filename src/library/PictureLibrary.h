// Reads the photo library file (Zandervale.xml) into MonthQuarter records,
// loading each picture's texture as it goes.
#pragma once

#include <vector>

#include "library/MonthQuarter.h"

// Most textures one quarter (one house) may hold.
constexpr int MaxTexturesPerQuarter = 250;

// Makes a texture from an image file and returns its name.
using TextureLoader = TextureName (*)(const char* path);

// Appends a record to library for every quarter with at least one loaded
// texture. Returns true; a missing, malformed or foreign file prints its
// "### ERROR: " line and ends the process with status 1.
bool loadPictureLibrary(const char* path, std::vector<MonthQuarter*>* library);

// The same with another texture loader, so the reading rules can be checked
// without a GL context.
bool loadPictureLibrary(const char* path, std::vector<MonthQuarter*>* library,
                        TextureLoader loadTextureFile);
