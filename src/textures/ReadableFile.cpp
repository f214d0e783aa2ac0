// The regular-file test that keeps FIFOs and devices from image decoders.
#include "textures/ReadableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileCheck checkReadableFile(const char* path)
{
    int file = -1;
    struct stat info;
    const FileCheck check = openReadableFile(path, &file, &info);
    if (check == FileCheck::Readable)
        close(file);
    return check;
}

FileCheck openReadableFile(const char* path, int* descriptor, struct stat* info)
{
    if (stat(path, info) != 0)
        return FileCheck::Missing;
    // Tested before opening: opening a FIFO blocks until a writer comes.
    if (!S_ISREG(info->st_mode))
        return FileCheck::NotRegular;
    const int file = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return FileCheck::Missing;
    // What opened may not be what was tested: a FIFO put in its place opens
    // at once without blocking, and is turned away here.
    const FileCheck check = fstat(file, info) != 0 ? FileCheck::Missing
                            : S_ISREG(info->st_mode) ? FileCheck::Readable : FileCheck::NotRegular;
    if (check != FileCheck::Readable)
        close(file);
    else
        *descriptor = file;
    return check;
}
