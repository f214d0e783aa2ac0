// The regular-file test that keeps FIFOs and devices from image decoders.
#include "textures/ReadableFile.h"

#include <sys/stat.h>

#include <cstdio>

FileCheck checkReadableFile(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return FileCheck::Missing;
    // Tested before opening: opening a FIFO blocks until a writer comes.
    if (!S_ISREG(info.st_mode))
        return FileCheck::NotRegular;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return FileCheck::Missing;
    std::fclose(file);
    return FileCheck::Readable;
}
