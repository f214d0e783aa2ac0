// Reads the photo library file (Zandervale.xml) into MonthQuarter records,
// loading each picture's texture as it goes.
#pragma once

#include <string>
#include <vector>

#include "library/MonthQuarter.h"

// Most textures one quarter (one house) may hold.
constexpr int MaxTexturesPerQuarter = 250;

// Makes a texture from an image file and returns its name.
using TextureLoader = TextureName (*)(const char* path);

// Why a library could not be read at all.
enum class LibraryError { none, noLibraryFile, notZandervale };

// Appends a record to library for every quarter with at least one loaded
// texture, making each texture with loadTextureFile. A missing, malformed or
// foreign file appends nothing and returns its error.
LibraryError readPictureLibrary(const char* path, std::vector<MonthQuarter*>* library,
                                TextureLoader loadTextureFile);

// The "### ERROR: " line that names error for the library at path.
std::string libraryErrorLine(LibraryError error, const char* path);

// Reads the library with loadTexture and returns true; on an error prints its
// line and ends the process with status 1.
bool loadPictureLibrary(const char* path, std::vector<MonthQuarter*>* library);

// The same with another texture loader, so the reading rules can be checked
// without a GL context.
bool loadPictureLibrary(const char* path, std::vector<MonthQuarter*>* library,
                        TextureLoader loadTextureFile);
