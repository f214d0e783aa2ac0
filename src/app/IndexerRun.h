// Runs zandervale-index in the background for the viewer (over the folder
// a person chose, or a library's folders again), reading its counts from a
// pipe so the window can show how far it is.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// "1,234 of 5,678 photos", "1 of 1 photo".
std::string photoCountLine(size_t done, size_t total);

// The indexer beside this viewer: the one the launcher names in
// ZANDERVALE_INDEX, else the build's, else zandervale-index on PATH.
std::string indexerProgram();

class IndexerRun {
public:
    IndexerRun() = default;
    // A run still going when the viewer ends goes on: its library is wanted.
    ~IndexerRun();
    IndexerRun(const IndexerRun&) = delete;
    IndexerRun& operator=(const IndexerRun&) = delete;

    // Starts program with arguments, its standard output to /dev/null;
    // false when it cannot be started or a run is going.
    bool start(const std::string& program, const std::vector<std::string>& arguments);
    // Reads the counts and notices the end; never blocks.
    void poll();
    bool running() const { return child > 0; }
    size_t done() const { return photosDone; }
    size_t total() const { return photosTotal; }
    // The last run's exit status; -1 while it runs or when a signal ended it.
    int status() const { return exitStatus; }
    // The last line it wrote to standard error (its refusals say why there).
    const std::string& lastMessage() const { return message; }

private:
    int child = -1;
    int counts = -1;     // the read ends of the counts pipe
    int messages = -1;   // and of its standard error
    std::string partial, partialMessage;   // lines not yet ended
    std::string message;
    size_t photosDone = 0, photosTotal = 0;
    int exitStatus = -1;
};
