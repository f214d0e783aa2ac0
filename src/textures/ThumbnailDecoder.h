// Decodes the library's small pictures (thumbnails) on any thread, with
// libpng and libjpeg-turbo instead of DevIL, which keeps global state. What
// it does not decode exactly as DevIL would is left to DevIL.
#pragma once

#include <vector>

#include "textures/ReadableFile.h"
#include "textures/ThumbnailCache.h"

// Largest side a thumbnail may have to be decoded here and share an atlas
// page; larger pictures become textures of their own.
constexpr int largestAtlasPhoto = 256;

struct DecodedThumbnail {
    FileCheck file = FileCheck::Missing;
    // False when the picture was not decoded here (another format, a size
    // the header gate or the atlas refuses, a damaged file): DevIL loads it
    // and says why, in its own words.
    bool decoded = false;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> framed;   // see frameTexels; emptied once compressed
    // When asked for: the framed texels as DXT1 blocks, see compressFramed.
    std::vector<unsigned char> blocks;
    // With the blocks: the small level, see smallLevelBlocks.
    std::vector<unsigned char> small;
    FileStamp stamp;       // the file's, as it was read
    bool cached = false;   // the levels came from the cache
    FullLevelAt fullAt;    // where the cache keeps the full level
};

// Which levels a compressed decode makes: a first opening wants the small
// one alone, the cache's writer and the full-level reader the full one.
enum class ThumbnailLevels { both, smallOnly, fullOnly };

// The file check, and the picture decoded when wanted and possible, as
// DXT1 blocks when compress is set, of the levels asked for (width and
// height are the picture's whichever they are). The stamp is always that
// of the file opened and read.
DecodedThumbnail decodeThumbnail(const char* path, bool wanted, bool compress = false,
                                 ThumbnailLevels levels = ThumbnailLevels::both);

// A side rounded up to whole DXT1 blocks.
constexpr int wholeBlocks(int side) { return (side + 3) / 4 * 4; }
// Framed texels (see frameTexels) of framedWidth x framedHeight widened to
// whole blocks by repeating their last column and row, which no sampling
// inside the cell reaches, as DXT1 blocks.
std::vector<unsigned char> compressFramed(const unsigned char* framed, int framedWidth, int framedHeight);

// The small level a far house shows: the picture box-filtered to this
// many texels whatever its own size, framed and compressed as the full one.
constexpr int smallLevelWidth = 32, smallLevelHeight = 24;
constexpr int smallLevelBytes = wholeBlocks(smallLevelWidth + 2) * wholeBlocks(smallLevelHeight + 2) / 2;
std::vector<unsigned char> smallLevelBlocks(const unsigned char* rgba, int width, int height);

// RGBA texels of width x height framed by their own opposite edges, top
// row first: row and column -1 are the last ones, row and column width
// (height) the first, as GL_REPEAT would fetch them. An atlas cell holding
// this samples at its borders what the picture's own texture would.
std::vector<unsigned char> frameTexels(const unsigned char* rgba, int width, int height);
