// Whether a path names a file that an image decoder may be given. fopen
// succeeds on a directory, and a FIFO or a device would block or never end
// once a decoder reads it: only a regular file that opens qualifies.
#pragma once

enum class FileCheck { Missing, NotRegular, Readable };

// Missing: no such file, or it cannot be opened for reading.
FileCheck checkReadableFile(const char* path);
