// Asks the person for their photo folder with the desktop's own chooser:
// the XDG desktop portal's FileChooser over D-Bus, else zenity or kdialog.
// The question runs on a thread of its own (a chooser is modal for as long
// as the person takes); each frame asks how it stands.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>

class FolderChooser {
public:
    enum class State {
        Idle,          // not asked yet
        Asking,        // a chooser is open
        Chosen,        // folder() holds the answer
        Cancelled,     // the person closed the chooser
        Unavailable    // no portal and no chooser program: ask by typing instead
    };

    FolderChooser() = default;
    ~FolderChooser();
    FolderChooser(const FolderChooser&) = delete;
    FolderChooser& operator=(const FolderChooser&) = delete;

    // Opens the chooser unless one is open already.
    void ask(const std::string& title);
    State state() const;
    std::string folder() const;   // "" unless Chosen

private:
    struct Answer {
        std::mutex lock;
        State state = State::Idle;
        std::string folder;
    };
    std::shared_ptr<Answer> answer;   // shared with the asking thread
    std::thread asker;
};
