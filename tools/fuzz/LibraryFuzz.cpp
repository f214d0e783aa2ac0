// libFuzzer target for the library reader: every input is written as
// Zandervale.xml into a folder that also holds a few small thumbnails, so
// texture names in the input can reach real files, good and hostile. The
// texture loader checks the image header as the real one does and hands out
// a counter instead of a GL texture.
#include <libxml/parser.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "library/PictureLibrary.h"
#include "photos/ImageHeader.h"

namespace {

void writeFile(const std::string& name, const std::string& bytes)
{
    std::FILE* file = std::fopen((scratchFolder("library") + name).c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        std::abort();
    std::fclose(file);
}

std::string pngHeader(unsigned width, unsigned height)
{
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (unsigned side : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += static_cast<char>((side >> shift) & 0xFF);
    return bytes + std::string("\x08\x02\0\0\0", 5);
}

// Named as the tests' libraries name their thumbnails.
void writeThumbnails()
{
    writeFile("t1.jpg", std::string("\xFF\xD8\xFF\xC0\0\x11\x08\0\x02\0\x03\x03", 12));
    writeFile("t2.png", pngHeader(4, 2));
    writeFile("t3.bmp", std::string("BM") + std::string(12, '\0') +
                            std::string("\x0c\0\0\0\x02\0\x02\0", 8));
    writeFile("huge.png", pngHeader(65536, 65537));
    writeFile("empty.jpg", "");
    std::filesystem::create_directory(scratchFolder("library") + "sub.jpg");
}

void quietXmlError(void*, const char*, ...) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    writeThumbnails();
    // libxml2 would print every parse error of every malformed input.
    xmlSetGenericErrorFunc(nullptr, quietXmlError);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeFile("Zandervale.xml", std::string(reinterpret_cast<const char*>(data), size));
    const std::string libraryPath = scratchFolder("library") + "Zandervale.xml";
    std::vector<MonthQuarter*> library;
    TextureName lastName = 0;
    const auto checkHeader = [&lastName](const char* path) {
        judgeImageHeader(readImageHeaderFile(path));
        return ++lastName;
    };
    YearSpan span;
    LibraryError error =
        readPictureLibrary(libraryPath.c_str(), &library, TextureSource{{}, checkReadableFile, checkHeader}, &span);
    // What the callers rely on: a failure appends nothing and has its line;
    // the span is one the city and its signs can show; every record holds
    // between one and the most textures, all loaded, and each texture's photo
    // is one of the record's originals or none.
    if (error != LibraryError::none &&
        (!library.empty() || libraryErrorLine(error, libraryPath.c_str()).rfind("### ERROR: ", 0) != 0))
        std::abort();
    if (span.first < earliestSpanYear || span.first > span.last || span.last > latestSpanYear ||
        span.last - span.first >= mostSpanYears)
        std::abort();
    size_t textures = 0;
    for (MonthQuarter* record : library) {
        int count = record->getPictureCount();
        if (count < 1 || count > MaxTexturesPerQuarter)
            std::abort();
        for (int picture = 0; picture < count; ++picture) {
            int photo = record->getPhotoIndex(picture);
            if (photo < -1 || photo >= static_cast<int>(record->getOriginals().size()))
                std::abort();
        }
        textures += count;
        delete record;
    }
    if (textures != lastName)
        std::abort();
    return 0;
}
