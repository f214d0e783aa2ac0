// O_NONBLOCK keeps open() itself from waiting on a FIFO's writer; fstat
// then turns away anything that is not a regular file, so no read blocks.
#include "photos/PhotoFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

PhotoFile::PhotoFile(const std::string& path)
{
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        openError = errno;
        openState = openError == ENOENT || openError == ENOTDIR ? State::Missing : State::Unreadable;
        return;
    }
    struct stat about {};
    if (fstat(fd, &about) != 0 || !S_ISREG(about.st_mode)) {
        close(fd);
        fd = -1;
        openState = State::NotRegular;
        return;
    }
    openState = State::Open;
}

PhotoFile::~PhotoFile()
{
    if (fd >= 0)
        close(fd);
}

PhotoHeader PhotoFile::readHeader() const
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(maxHeaderSeconds));
    bool late = false;
    const int from = fd;
    PhotoHeader header = readPhotoHeader([from, deadline, &late](uint64_t offset, unsigned char* out, size_t want) {
        // Past the deadline every read comes back empty: the walk ends as at
        // the end of the file, and the header is refused below.
        if (late || Clock::now() > deadline) {
            late = true;
            return size_t{0};
        }
        const ssize_t got = pread(from, out, want, static_cast<off_t>(offset));
        return got > 0 ? static_cast<size_t>(got) : size_t{0};
    });
    header.tooSlow = late;
    return header;
}
