// The library watch: one non-blocking inotify descriptor, drained on each
// question, so a burst of writes reads as one rewrite.
#include "library/LibraryWatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>


namespace {

constexpr uint32_t finishedEvents = IN_CLOSE_WRITE | IN_MOVED_TO;

bool isFile(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

LibraryWatch::LibraryWatch(const std::string& libraryPath)
{
    const size_t slash = libraryPath.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : libraryPath.substr(0, slash);
    name = slash == std::string::npos ? libraryPath : libraryPath.substr(slash + 1);
    inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    startWatching();
}

LibraryWatch::~LibraryWatch()
{
    if (inotify >= 0)
        close(inotify);
}

bool LibraryWatch::startWatching()
{
    // A folder removed and made again (a first index run) needs a new watch.
    watching = inotify >= 0 && inotify_add_watch(inotify, folder.c_str(), finishedEvents | IN_DELETE_SELF | IN_MOVE_SELF) >= 0;
    return watching;
}

bool LibraryWatch::rewritten()
{
    if (inotify < 0)
        return false;
    if (!watching)
        return startWatching() && isFile(folder + "/" + name);
    bool written = false;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t size; (size = read(inotify, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if ((event->mask & finishedEvents) != 0 && event->len > 0 && name == event->name)
                written = true;
            if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0)
                watching = false;
            at += sizeof(inotify_event) + event->len;
        }
    }
    return written;
}
