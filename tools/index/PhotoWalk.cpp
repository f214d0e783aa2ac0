// A depth-first walk with openat-style calls: entries are examined without
// following links, and every folder is entered once by device and inode.
#include "PhotoWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "PhotoPaths.h"

namespace photoindex {

namespace {

// The name without its extension, in lower case.
std::string stemOf(const std::string& name)
{
    std::string stem = name.substr(0, name.rfind('.'));
    for (char& c : stem)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return stem;
}

// A camera that saves RAW+JPEG (or a phone RAW+HEIC) takes one photo: the
// stems in a folder that a JPEG or HEIF of the same name shows, so the RAW
// beside it is passed over.
std::set<std::string> stemsShownBySiblings(const std::vector<std::string>& names)
{
    std::set<std::string> stems;
    for (const std::string& name : names) {
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos)
            continue;
        for (const char* shown : {"jpg", "jpeg", "jpe", "heic", "heif", "hif"})
            if (strcasecmp(name.c_str() + dot + 1, shown) == 0)
                stems.insert(stemOf(name));
    }
    return stems;
}

class Walker {
public:
    Walker(dev_t device, ino_t inode, const std::function<void(size_t)>& found)
        : found(found) { visited.insert({device, inode}); }

    WalkResult result;

    // Depth first, folders in name order, so the photo list comes out sorted.
    void walk(const std::string& folder)
    {
        // O_NOFOLLOW: a folder swapped for a link since it was listed is not entered.
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
        if (!dir) {
            noteUnreadable(folder, std::strerror(errno), &result.folders);
            if (fd >= 0)
                close(fd);
            return;
        }
        std::vector<std::string> names;
        errno = 0;
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        }
        if (errno != 0)
            noteUnreadable(folder, std::strerror(errno), &result.folders);
        std::sort(names.begin(), names.end());
        const std::set<std::string> shown = stemsShownBySiblings(names);
        for (const std::string& name : names)
            if (fileRoleOfName(name) != FileRole::raw || !shown.count(stemOf(name)))
                visit(dirfd(dir), folder + "/" + name, name);
        closedir(dir);
    }

private:
    const std::function<void(size_t)>& found;
    std::set<std::pair<dev_t, ino_t>> visited;   // bind mounts can loop too

    void noteUnreadable(const std::string& path, const std::string& reason, std::vector<SkippedEntry>* list)
    {
        list->push_back({path, "cannot be read: " + reason});
        result.unreadable.push_back(path);
    }

    void visit(int folderFd, const std::string& path, const std::string& name)
    {
        struct stat info;
        if (fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)   // gone since the listing: nothing to report
                noteUnreadable(path, std::strerror(errno), &result.skipped);
            return;
        }
        if (S_ISDIR(info.st_mode)) {
            enterFolder(path, info);
            return;
        }
        const FileRole role = fileRoleOfName(name);
        if (role == FileRole::video || role == FileRole::other) {
            if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))
                ++(role == FileRole::video ? result.videos : result.others);
            return;
        }
        // A link to a photo counts as the photo; a link to a folder is never followed.
        if (S_ISLNK(info.st_mode) && fstatat(folderFd, name.c_str(), &info, 0) != 0) {
            result.skipped.push_back({path, std::string("link cannot be followed: ") + std::strerror(errno)});
            return;
        }
        if (!S_ISREG(info.st_mode))
            return;
        const std::string problem = pathProblem(path);
        if (!problem.empty()) {
            result.skipped.push_back({path, problem});
            return;
        }
        result.photos.push_back({path, static_cast<long long>(info.st_size), info.st_mtim.tv_sec,
                                 info.st_mtim.tv_nsec});
        found(result.photos.size());
    }

public:
    void enterFolder(const std::string& path, const struct stat& info)
    {
        if (!visited.insert({info.st_dev, info.st_ino}).second)
            return;
        const std::string problem = pathProblem(path);
        if (!problem.empty()) {
            result.folders.push_back({path, "folder " + problem});
            return;
        }
        walk(path);
    }
};

}  // namespace

WalkResult walkPhotos(const std::string& root, dev_t excludedDevice, ino_t excludedInode,
                      const std::function<void(size_t found)>& found)
{
    Walker walker(excludedDevice, excludedInode, found);
    struct stat info;
    if (stat(root.c_str(), &info) == 0)
        walker.enterFolder(root, info);
    else
        walker.walk(root);   // reports why
    return std::move(walker.result);
}

}  // namespace photoindex
