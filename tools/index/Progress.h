// The progress bar on a terminal's standard error (count, rate, time left),
// and the messages printed above it. Silent where standard error is no terminal,
// apart from the messages. Safe to call from several threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace photoindex {

class Progress {
public:
    explicit Progress(bool shown) : shown(shown) {}

    void scanning(size_t found);
    void start(size_t total);
    void advance();
    void message(const std::string& line);   // without its line end
    void finish();

private:
    using Clock = std::chrono::steady_clock;

    std::string barLine() const;
    void draw(const std::string& line, bool now);   // holds lock

    const bool shown;
    std::mutex lock;
    std::string current;   // what the terminal shows now, "" when nothing
    Clock::time_point started, lastDrawn;
    size_t done = 0, total = 0;
};

}  // namespace photoindex
