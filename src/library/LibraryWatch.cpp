// The library watch: one non-blocking inotify descriptor, drained on each
// question, so a burst of writes reads as one rewrite.
#include "library/LibraryWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include "library/FilePaths.h"

namespace {

constexpr uint32_t finishedEvents = IN_CLOSE_WRITE | IN_MOVED_TO;

} // namespace

LibraryWatch::LibraryWatch(const std::string& libraryPath) : folder(folderOf(libraryPath)), name(nameOf(libraryPath))
{
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
        return startWatching() && isRegularFile(folder + "/" + name);
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
