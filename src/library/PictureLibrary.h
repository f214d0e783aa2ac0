// Reads the photo library file (Zandervale.xml) into MonthQuarter records,
// loading each picture's texture as it goes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "library/LibraryWriter.h"
#include "library/MonthQuarter.h"
#include "textures/ReadableFile.h"
#include "textures/ThumbnailQueue.h"

// Makes a texture from an image file and returns its name.
using TextureLoader = TextureName (*)(const char* path);

// Where the reader's textures come from. Before the first check it is told
// every texture file it will be asked to check, in order, and which of them
// it will be asked to load if they all check readable.
struct TextureSource {
    std::function<void(std::vector<PlannedFile>)> plan;   // may be empty
    std::function<FileCheck(const char* path)> check;
    std::function<TextureName(const char* path)> load;
};

// Told how many of the library's texture elements have been read so far,
// of how many in all: first 0, then at most once per progressIntervalSeconds,
// last the total. A start-up screen draws its bar from it. It answers
// whether to go on: false stops the reading where it is.
using LoadProgress = std::function<bool(int done, int total)>;
constexpr double progressIntervalSeconds = 0.05;
// Seconds since some fixed moment; the reader asks it whether to tell
// progress again.
using SecondsClock = std::function<double()>;
double steadySeconds();

// Why a library could not be read at all, or was not read to its end.
enum class LibraryError { none, noLibraryFile, notZandervale, stopped };

// Appends a record to library for every quarter with at least one loaded
// texture, making each texture with loadTextureFile, and sets span to the
// years the file names, else to 1998 to 2010. A span that cannot be used is
// reported in one line and not used. A missing, malformed or foreign file
// appends nothing, leaves span alone and returns its error. Progress is
// told while the textures load; stopped by it, the reading returns stopped
// with the records read so far appended.
LibraryError readPictureLibrary(const char* path, std::vector<MonthQuarter*>* library,
                                TextureLoader loadTextureFile, YearSpan* span,
                                const LoadProgress& progress = {},
                                const SecondsClock& clock = steadySeconds);
// The same with the textures from source.
LibraryError readPictureLibrary(const char* path, std::vector<MonthQuarter*>* library,
                                const TextureSource& source, YearSpan* span,
                                const LoadProgress& progress = {},
                                const SecondsClock& clock = steadySeconds);

// The "### ERROR: " line that names error for the library at path.
std::string libraryErrorLine(LibraryError error, const char* path);

// Reads the library and its year span and returns true; on an error prints
// its line and returns false, as it does, silently, when progress stops it. Thumbnails are decoded on
// worker threads and uploaded into photos; what they cannot decode,
// loadTexture loads, with its messages in document order. Where the GL
// samples DXT1 they are compressed, and kept in the thumbnail cache for the
// next opening, in thumbnailCacheFolder; caches keeps that cache, which may
// go on writing after the reading returns.
class PhotoAtlas;
class ThumbnailCacheSet;
bool loadPictureLibrary(const char* path, std::vector<MonthQuarter*>* library, YearSpan* span, PhotoAtlas& photos,
                        ThumbnailCacheSet& caches, const LoadProgress& progress = {});

// The same with another texture loader, so the reading rules can be checked
// without a GL context.
bool loadPictureLibrary(const char* path, std::vector<MonthQuarter*>* library, YearSpan* span,
                        TextureLoader loadTextureFile);
