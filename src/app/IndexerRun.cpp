// The indexer as a child process: its counts come as "DONE TOTAL" lines on
// a pipe it finds through ZANDERVALE_PROGRESS_FD, its messages on another;
// standard output goes nowhere, since its report is in the log it writes
// beside the library.
#include "app/IndexerRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int countsDescriptor = 3;   // as the child sees it

std::string withThousands(size_t number)
{
    std::string digits = std::to_string(number);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

constexpr size_t longestMessage = 400;

// Reads what a non-blocking pipe holds onto partial.
void drain(int pipe, std::string* partial)
{
    char buffer[4096];
    for (ssize_t size; pipe >= 0 && (size = read(pipe, buffer, sizeof buffer)) > 0;)
        partial->append(buffer, static_cast<size_t>(size));
}

bool executable(const std::string& path)
{
    return access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string photoCountLine(size_t done, size_t total)
{
    return withThousands(done) + " of " + withThousands(total) + (total == 1 ? " photo" : " photos");
}

std::string indexerProgram()
{
    if (const char* named = std::getenv("ZANDERVALE_INDEX"); named != nullptr && executable(named))
        return named;
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string folder(self, static_cast<size_t>(length));
        folder.erase(folder.rfind('/'));
        // The build keeps the viewer in run/ and the tools in tools/.
        if (executable(folder + "/../tools/zandervale-index"))
            return folder + "/../tools/zandervale-index";
    }
    return "zandervale-index";
}

IndexerRun::~IndexerRun()
{
    for (int pipe : {counts, messages})
        if (pipe >= 0)
            close(pipe);
}

bool IndexerRun::start(const std::string& program, const std::vector<std::string>& arguments)
{
    if (running())
        return false;
    int pipeEnds[2], messageEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    if (pipe2(messageEnds, O_CLOEXEC) != 0) {
        close(pipeEnds[0]), close(pipeEnds[1]);
        return false;
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::string named = "ZANDERVALE_PROGRESS_FD=" + std::to_string(countsDescriptor);
    std::vector<char*> envp{named.data()};
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::strncmp(*variable, "ZANDERVALE_PROGRESS_FD=", 23) != 0)
            envp.push_back(*variable);
    envp.push_back(nullptr);
    // posix_spawn rather than fork: the viewer runs threads, and only the
    // spawn's own steps run between the copy and the new program.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], countsDescriptor);
    posix_spawn_file_actions_adddup2(&actions, messageEnds[1], STDERR_FILENO);
    for (int standard : {STDIN_FILENO, STDOUT_FILENO})
        posix_spawn_file_actions_addopen(&actions, standard, "/dev/null", O_RDWR, 0);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]), close(messageEnds[1]);
    if (failed != 0) {
        close(pipeEnds[0]), close(messageEnds[0]);
        return false;
    }
    fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK), fcntl(messageEnds[0], F_SETFL, O_NONBLOCK);
    for (int pipe : {counts, messages})
        if (pipe >= 0)
            close(pipe);
    child = pid;
    counts = pipeEnds[0];
    messages = messageEnds[0];
    photosDone = photosTotal = 0;
    exitStatus = -1;
    partial.clear();
    partialMessage.clear();
    message.clear();
    return true;
}

void IndexerRun::poll()
{
    // Reaped first: what it wrote before it ended is then all in the pipes.
    int wstatus = 0;
    const bool ended = child > 0 && waitpid(child, &wstatus, WNOHANG) == child;
    drain(counts, &partial);
    drain(messages, &partialMessage);
    for (size_t end; (end = partialMessage.find('\n')) != std::string::npos; partialMessage.erase(0, end + 1))
        if (end > 0)
            message = partialMessage.substr(0, std::min(end, longestMessage));
    if (partialMessage.size() > 4 * longestMessage)   // no line end in sight
        partialMessage.clear();
    for (size_t end; (end = partial.find('\n')) != std::string::npos; partial.erase(0, end + 1)) {
        unsigned long done = 0, total = 0;
        if (std::sscanf(partial.c_str(), "%lu %lu", &done, &total) == 2 && done <= total) {
            photosDone = done;
            photosTotal = total;
        }
    }
    if (ended) {
        exitStatus = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        child = -1;
    }
}
