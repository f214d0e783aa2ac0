// The progress bar on a terminal's standard error (count, rate, time left),
// and the messages printed above it. Silent where standard error is no terminal,
// apart from the messages. A program that started the indexer may also ask
// for the counts as lines on a pipe. Safe to call from several threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace photoindex {

class Progress {
public:
    // countsPipe: a descriptor that gets "DONE TOTAL" lines, or -1.
    explicit Progress(bool shown, int countsPipe = -1) : shown(shown), countsPipe(countsPipe) {}

    void scanning(size_t found);
    void start(size_t total);
    void advance();
    void message(const std::string& line);   // without its line end
    void finish();

private:
    using Clock = std::chrono::steady_clock;

    std::string barLine() const;
    void draw(const std::string& line, bool now);   // holds lock
    void reportCounts(bool now);                    // holds lock

    const bool shown;
    const int countsPipe;
    std::mutex lock;
    std::string current;   // what the terminal shows now, "" when nothing
    Clock::time_point started, lastDrawn, lastCounted;
    size_t done = 0, total = 0;
};

// The pipe named by ZANDERVALE_PROGRESS_FD, as the viewer passes it to an
// indexer it starts, or -1: a descriptor that is no pipe is never written.
int progressPipeFromEnvironment();

}  // namespace photoindex
