// A hidden temporary file, fsync when asked, then rename: the POSIX way to
// replace a file so that no one ever sees half of it.
#include "OutputFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace photoindex {

std::string replaceFile(const std::string& path, const void* bytes, size_t size, bool durable)
{
    const size_t slash = path.rfind('/');
    const std::string temporary = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return temporary + ": " + std::strerror(errno);
    const char* at = static_cast<const char*>(bytes);
    for (size_t left = size; left > 0;) {
        const ssize_t written = write(fd, at, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const std::string reason = temporary + ": " + std::strerror(written < 0 ? errno : ENOSPC);
            close(fd);
            unlink(temporary.c_str());
            return reason;
        }
        at += written;
        left -= static_cast<size_t>(written);
    }
    bool whole = !durable || fsync(fd) == 0;
    whole = close(fd) == 0 && whole;
    if (!whole || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = path + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return reason;
    }
    return std::string();
}

}  // namespace photoindex
