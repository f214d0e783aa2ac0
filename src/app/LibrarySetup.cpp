// The set-up's stages as plain state: the chooser and the indexer run on
// their own, each frame only asks how they stand.
#include "app/LibrarySetup.h"

#include <sys/stat.h>

#include <cstdlib>

#include "controls/InputControl.h"

namespace {

constexpr size_t longestTypedPath = 240;

bool isFolder(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A typed "~/Pictures" as the shell would read it.
std::string expandHome(const std::string& path)
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && (path == "~" || path.rfind("~/", 0) == 0))
        return home + path.substr(1);
    return path;
}

} // namespace

LibrarySetup::LibrarySetup(std::string indexer, std::string libraryFolder)
    : indexer(std::move(indexer)), libraryFolder(std::move(libraryFolder))
{
}

void LibrarySetup::choose()
{
    if (current == Stage::Choosing || current == Stage::Indexing || current == Stage::Typing)
        return;
    problem.clear();
    chooser.ask(chooseFolderLabel);
    current = Stage::Choosing;
}

bool LibrarySetup::keyboard(unsigned char key)
{
    if (current != Stage::Typing)
        return false;
    if (key == escapeKey) {
        current = Stage::Offer;
    } else if (key == enterKey) {
        const std::string path = expandHome(typed);
        if (isFolder(path))
            index(path);
        else
            problem = "There is no folder " + typed;
    } else if (key == backspaceKey || key == deleteKey) {
        if (!typed.empty())
            typed.pop_back();
    } else if (key >= 32 && typed.size() < longestTypedPath) {
        typed += static_cast<char>(key);
        problem.clear();
    }
    return true;
}

void LibrarySetup::update()
{
    if (current == Stage::Choosing) {
        switch (chooser.state()) {
        case FolderChooser::State::Chosen: index(chooser.folder()); break;
        case FolderChooser::State::Cancelled: current = Stage::Offer; break;
        case FolderChooser::State::Unavailable:
            current = Stage::Typing;
            typed = "~/";
            break;
        default: break;
        }
    }
    if (current == Stage::Indexing) {
        run.poll();
        if (!run.running()) {
            current = run.status() == 0 ? Stage::Done : Stage::Failed;
            if (current == Stage::Failed)
                problem = run.lastMessage().empty() ? "No library was made of " + folder : run.lastMessage();
        }
    }
}

void LibrarySetup::index(const std::string& chosen)
{
    folder = chosen;
    problem.clear();
    if (run.start(indexer, {"--", folder, libraryFolder})) {
        current = Stage::Indexing;
    } else {
        current = Stage::Failed;
        problem = "The indexer could not be started: " + indexer;
    }
}

std::vector<std::string> LibrarySetup::lines() const
{
    std::vector<std::string> shown{"Zandervale turns your photos into a small city:",
                                   "a street for every year, a house for every week's photos."};
    switch (current) {
    case Stage::Choosing: shown.push_back("Choose your photo folder in the window that opened"); break;
    case Stage::Typing:
        shown.push_back("Type your photo folder, then Enter (Esc to go back):");
        shown.push_back(typed + "_");
        break;
    case Stage::Indexing:
        shown.push_back("Making the city of " + folder);
        shown.push_back(run.total() > 0 ? photoCountLine(run.done(), run.total()) : "Looking for photos...");
        break;
    case Stage::Done: shown.push_back("Opening the city of " + folder); break;
    default: break;
    }
    if (!problem.empty())
        shown.push_back(problem);
    if (offered())   // the offer comes last: the window draws it as the button
        shown.push_back(std::string(chooseFolderLabel) + " (C or click)");
    return shown;
}

double LibrarySetup::progress() const
{
    if (current != Stage::Indexing)
        return -1.0;
    return run.total() > 0 ? static_cast<double>(run.done()) / static_cast<double>(run.total()) : 0.0;
}
