// The window's way from no library to a city, for a person who never opens
// a terminal: it says what the program does, offers to choose the photo
// folder (the desktop's chooser, or a typed path where there is none),
// indexes it in the background and says how far it is. No GL here: the
// window draws what lines() and progress() say.
#pragma once

#include <string>
#include <vector>

#include "app/FolderChooser.h"
#include "app/IndexerRun.h"

class LibrarySetup {
public:
    enum class Stage {
        Offer,      // "Choose your photo folder"
        Choosing,   // the desktop's chooser is open
        Typing,     // no chooser: the path is typed
        Indexing,   // the indexer runs
        Failed,     // it did not make a library; offered again
        Done        // it made one
    };

    // The indexer program, and the library folder it writes.
    LibrarySetup(std::string indexer, std::string libraryFolder);

    // The key or the click that chooses a folder; a no-op while one is
    // being chosen or indexed.
    void choose();
    // Keys while the path is typed: characters, Backspace, Enter to index,
    // Escape back to the offer. False when the key is not the setup's.
    bool keyboard(unsigned char key);
    // Each frame: how the chooser and the indexer stand.
    void update();

    Stage stage() const { return current; }
    // Whether the offer to choose stands (first, or after a failure).
    bool offered() const { return current == Stage::Offer || current == Stage::Failed; }
    // The lines the window shows, top to bottom.
    std::vector<std::string> lines() const;
    // The bar while indexing, 0 to 1; negative when there is none.
    double progress() const;

private:
    void index(const std::string& folder);

    const std::string indexer, libraryFolder;
    Stage current = Stage::Offer;
    FolderChooser chooser;
    IndexerRun run;
    std::string typed, folder, problem;
};

// The offer's words, also the button's label.
constexpr const char* chooseFolderLabel = "Choose your photo folder";
