// A depth-first walk with openat-style calls: entries are examined before
// any link is followed, and every folder and photo is read once by device
// and inode, so a loop or a second path to the same place costs nothing.
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

#include "IndexFile.h"
#include "LibraryFile.h"
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

}  // namespace

bool isLibraryFile(const std::string& name) { return name == libraryFileName || name == indexFileName; }

namespace {

class Walker {
public:
    Walker(dev_t device, ino_t inode, const std::function<void(size_t)>& found)
        : found(found), output{device, inode} {}

    WalkResult result;

    // Depth first, folders in name order, so the photo list comes out sorted.
    // expected: the folder as it was examined; one swapped since is not entered.
    void walk(const std::string& folder, const struct stat& expected, bool viaLink)
    {
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | (viaLink ? 0 : O_NOFOLLOW) | O_CLOEXEC);
        struct stat opened;
        DIR* dir = fd >= 0 && fstat(fd, &opened) == 0 && opened.st_dev == expected.st_dev &&
                           opened.st_ino == expected.st_ino ? fdopendir(fd) : nullptr;
        if (!dir) {
            noteUnreadable(folder, fd >= 0 ? "changed while it was read" : std::strerror(errno), &result.folders);
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
        if (std::any_of(names.begin(), names.end(), isLibraryFile)) {
            result.libraries.push_back(folder);
            closedir(dir);
            return;
        }
        std::sort(names.begin(), names.end());
        const std::set<std::string> shown = stemsShownBySiblings(names);
        for (const std::string& name : names)
            if (fileRoleOfName(name) != FileRole::raw || !shown.count(stemOf(name)))
                visit(dirfd(dir), folder + "/" + name, name);
        closedir(dir);
    }

private:
    const std::function<void(size_t)>& found;
    const std::pair<dev_t, ino_t> output;
    std::set<std::pair<dev_t, ino_t>> visited;   // folders and photos; bind mounts can loop too

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
        const bool link = S_ISLNK(info.st_mode);
        const FileRole role = fileRoleOfName(name);
        if (link && fstatat(folderFd, name.c_str(), &info, 0) != 0) {
            if (role == FileRole::photo || role == FileRole::raw)
                result.skipped.push_back({path, std::string("link cannot be followed: ") + std::strerror(errno)});
            return;
        }
        if (S_ISDIR(info.st_mode)) {
            const bool entered = enterFolder(path, info, link);
            result.linkedFolders += link && entered;
            return;
        }
        if (!S_ISREG(info.st_mode))
            return;
        if (role == FileRole::video || role == FileRole::other) {
            ++(role == FileRole::video ? result.videos : result.others);
            return;
        }
        if (info.st_size == 0) {   // said apart from files whose content is no photo
            result.skipped.push_back({path, "empty file"});
            return;
        }
        const std::string problem = pathProblem(path);
        if (!problem.empty()) {
            result.skipped.push_back({path, problem});
            return;
        }
        if (!visited.insert({info.st_dev, info.st_ino}).second) {
            ++result.seenTwice;
            return;
        }
        result.linkedPhotos += link;
        result.photos.push_back({path, static_cast<long long>(info.st_size), info.st_mtim.tv_sec,
                                 info.st_mtim.tv_nsec});
        found(result.photos.size());
    }

public:
    // True when the folder is read now, false when it was passed over.
    bool enterFolder(const std::string& path, const struct stat& info, bool viaLink)
    {
        if (std::make_pair(info.st_dev, info.st_ino) == output) {
            result.libraries.push_back(path);
            return false;
        }
        if (!visited.insert({info.st_dev, info.st_ino}).second) {
            ++result.seenTwice;
            return false;
        }
        const std::string problem = pathProblem(path);
        if (!problem.empty()) {
            result.folders.push_back({path, "folder " + problem});
            return false;
        }
        walk(path, info, viaLink);
        return true;
    }
};

}  // namespace

WalkResult walkPhotos(const std::vector<std::string>& roots, dev_t excludedDevice, ino_t excludedInode,
                      const std::function<void(size_t found)>& found)
{
    Walker walker(excludedDevice, excludedInode, found);
    for (const std::string& root : roots) {
        struct stat info;
        if (stat(root.c_str(), &info) == 0)
            walker.enterFolder(root, info, true);
        else
            walker.result.folders.push_back({root, std::string("cannot be read: ") + std::strerror(errno)});
    }
    // Each root's photos come in path order; several roots are merged into it.
    std::stable_sort(walker.result.photos.begin(), walker.result.photos.end(),
                     [](const FoundPhoto& a, const FoundPhoto& b) { return a.path < b.path; });
    return std::move(walker.result);
}

}  // namespace photoindex
