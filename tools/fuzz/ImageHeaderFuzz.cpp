// libFuzzer target for the image-header guard: every input is written as a
// file and judged as the texture loaders judge it. The guard reads files
// through the byte-reader path and memory through the other, so both must
// tell the same header; a ".tga" name is kept for inputs whose first byte is
// odd, to reach the signature-less TGA reading too. The same file then goes
// through the thumbnail decoder, which must decode only what the guard lets
// through, at the size it read, and past the photo gate, which must admit
// only kinds the decoders take within the decode budget.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ScratchFolder.h"
#include "photos/ImageHeader.h"
#include "photos/PhotoGate.h"
#include "textures/ThumbnailDecoder.h"

namespace {

bool sameHeader(const ImageHeader& a, const ImageHeader& b)
{
    return a.kind == b.kind && a.sizeKnown == b.sizeKnown && a.width == b.width &&
           a.height == b.height && a.samples == b.samples && a.bitsPerSample == b.bitsPerSample &&
           a.wholeImageHeld == b.wholeImageHeld;
}

// The photo gate reads the same from a file as from memory, and what it
// admits is a kind the decoders take, of a size within the budget.
void checkPhotoGate(const std::string& path, const uint8_t* data, size_t size)
{
    bool opened = false;
    const PhotoHeader fromFile = readPhotoHeaderFile(path.c_str(), &opened);
    const PhotoHeader fromMemory = readPhotoHeader(data, size);
    if (!opened || fromFile.kind != fromMemory.kind || fromFile.width != fromMemory.width ||
        fromFile.height != fromMemory.height || photoProblem(fromFile) != photoProblem(fromMemory))
        std::abort();
    if (photoProblem(fromFile).empty() &&
        (!decodablePhotoKind(fromFile.kind) || fromFile.width == 0 || fromFile.height == 0 ||
         photoDecodeBytes(fromFile) > photoDecodeBudgetBytes))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    scratchFolder("header");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bool asTga = size > 0 && (data[0] & 1);
    std::string path = scratchFolder("header") + (asTga ? "image.TGA" : "image.jpg");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    ImageHeader fromFile = readImageHeaderFile(path.c_str());
    ImageHeader fromMemory = readImageHeader(data, size);
    if (fromMemory.kind == ImageKind::Other && asTga)
        fromMemory = readTgaHeader(data, size);
    if (!sameHeader(fromFile, fromMemory))
        std::abort();
    checkPhotoGate(path, data, size);

    // A size the guard lets through must be one DevIL's 32-bit arithmetic
    // can hold at 8 bytes a pixel.
    SizeVerdict verdict = judgeImageHeader(fromFile);
    if (verdict == SizeVerdict::Fine &&
        uint64_t(fromFile.width) * fromFile.height * 8 > 0xFFFFFFFFu)
        std::abort();

    const DecodedThumbnail thumbnail = decodeThumbnail(path.c_str(), true);
    if (thumbnail.decoded &&
        (verdict != SizeVerdict::Fine || thumbnail.width != static_cast<int>(fromFile.width) ||
         thumbnail.height != static_cast<int>(fromFile.height) || thumbnail.width > largestAtlasPhoto ||
         thumbnail.height > largestAtlasPhoto ||
         thumbnail.framed.size() != static_cast<size_t>(thumbnail.width + 2) * (thumbnail.height + 2) * 4))
        std::abort();
    return 0;
}
