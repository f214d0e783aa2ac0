// A photo opened once, by path, for everything that reads it afterwards:
// the gate's header and the decoder both read this one descriptor, so a
// file swapped or turned into a FIFO after the gate looked never reaches a
// decoder. Opened without blocking and kept from child programs.
#pragma once

#include <string>

#include "photos/PhotoGate.h"

class PhotoFile {
public:
    enum class State { Open, Missing, Unreadable, NotRegular };

    explicit PhotoFile(const std::string& path);
    ~PhotoFile();
    PhotoFile(const PhotoFile&) = delete;
    PhotoFile& operator=(const PhotoFile&) = delete;

    State state() const { return openState; }
    // errno of the failed open, for Missing and Unreadable.
    int error() const { return openError; }
    int descriptor() const { return fd; }
    // The gate's header, read from the descriptor; a header that takes
    // longer than maxHeaderSeconds to read is given up as too slow.
    PhotoHeader readHeader() const;

private:
    int fd = -1;
    State openState = State::Missing;
    int openError = 0;
};

// Reading one header may take this long at most.
constexpr double maxHeaderSeconds = 1.0;
