// Whether a path names a file that an image decoder may be given. fopen
// succeeds on a directory, and a FIFO or a device would block or never end
// once a decoder reads it: only a regular file that opens qualifies.
#pragma once

struct stat;

enum class FileCheck { Missing, NotRegular, Readable };

// Missing: no such file, or it cannot be opened for reading.
FileCheck checkReadableFile(const char* path);
// The same check, leaving the file open for reading when Readable: its
// descriptor (the caller closes it) and the opened file's own stat. A FIFO
// put in the file's place between the test and the opening is turned away.
FileCheck openReadableFile(const char* path, int* descriptor, struct stat* info);
