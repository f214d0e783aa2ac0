// Decoders are started with posix_spawn, never by fork: both programs run
// threads (and the viewer GL) by the time a photo is decoded, and a fresh
// program is the one child that inherits none of that. Each decoder is a
// SOCK_SEQPACKET socket away: one message a request, one a reply, and the
// end of the connection is the decoder's end.
#include "photos/DecoderPool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "photos/DecoderChannel.h"

extern char** environ;

namespace {

// A square of 1024 x 1024 RGB is 3 MB, a thumbnail a few KB: a decoder
// claiming more is not believed.
constexpr uint64_t maxPayloadBytes = uint64_t(64) << 20;

// The one way back from a failed decoder: its end, in words.
std::string endOf(int status)
{
    if (WIFEXITED(status))
        return "the decoder ended with status " + std::to_string(WEXITSTATUS(status));
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (signal == SIGXCPU)
        return "the decoder passed its processor-time limit of " + std::to_string(decoderCpuSeconds) + " s";
    if (signal == SIGSYS)
        return "the decoder made a system call its filter forbids";
    if (signal == SIGKILL)
        return "the decoder was killed";
    // A failed allocation under the address-space limit ends in GLib's or
    // the C++ library's abort.
    if (signal == SIGABRT || signal == SIGTRAP)
        return std::string("the decoder gave up (") + strsignal(signal) + "), most likely past its memory limit of " +
               std::to_string(decoderMemoryBytes >> 20) + " MB";
    return std::string("the decoder crashed (") + strsignal(signal) + ")";
}

bool readPayload(int memory, uint64_t bytes, std::vector<unsigned char>* payload)
{
    struct stat about {};
    if (memory < 0 || bytes > maxPayloadBytes || fstat(memory, &about) != 0 || uint64_t(about.st_size) < bytes)
        return false;
    payload->resize(bytes);
    for (uint64_t done = 0; done < bytes;) {
        const ssize_t got = pread(memory, payload->data() + done, bytes - done, static_cast<off_t>(done));
        if (got <= 0)
            return false;
        done += static_cast<uint64_t>(got);
    }
    return true;
}

}  // namespace

std::string decoderProgramPath()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string folder = length > 0 ? std::string(self, static_cast<size_t>(length)) : std::string();
    const std::string here = folder.substr(0, folder.rfind('/') + 1);
    // The viewer lies beside it once installed, the library builder in bin/.
    for (const std::string& candidate : {here + "zandervale-decoder", here + "../libexec/zandervale/zandervale-decoder"})
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    return ZV_BUILT_DECODER;
}

DecoderPool::DecoderPool(std::string program, unsigned count, double deadlineSeconds)
    : program(std::move(program)), deadlineSeconds(deadlineSeconds), workers(count == 0 ? 1 : count)
{
    // Started now, each loads its libraries while its program does other
    // work; one that cannot start is tried again at its first photo.
    for (Worker& worker : workers)
        start(&worker);
}

DecoderPool::~DecoderPool()
{
    for (Worker& worker : workers)
        if (worker.pid > 0)
            stop(&worker, true, nullptr);
}

bool DecoderPool::start(Worker* worker)
{
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return false;
    // dup2 onto itself would keep close-on-exec: the decoder's end must
    // come from elsewhere.
    if (pair[1] == decoderSocketFd) {
        const int moved = fcntl(pair[1], F_DUPFD_CLOEXEC, decoderSocketFd + 1);
        close(pair[1]);
        pair[1] = moved;
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], decoderSocketFd);
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const int failed = pair[1] < 0 ? -1 : posix_spawn(&worker->pid, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (pair[1] >= 0)
        close(pair[1]);
    if (failed != 0) {
        close(pair[0]);
        worker->pid = -1;
        return false;
    }
    worker->socket = pair[0];
    return true;
}

void DecoderPool::stop(Worker* worker, bool kill, std::string* failure)
{
    if (kill)
        ::kill(worker->pid, SIGKILL);
    close(worker->socket);
    int status = 0;
    while (waitpid(worker->pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (failure && failure->empty())
        *failure = endOf(status);
    worker->pid = -1;
    worker->socket = -1;
}

bool DecoderPool::exchange(Worker* worker, const DecodeRequest& request, int fd, int second, DecodeReply* reply,
                           std::vector<unsigned char>* payload, std::string* failure)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(deadlineSeconds));
    if (!sendMessage(worker->socket, &request, sizeof request, fd, second)) {
        stop(worker, true, failure);
        return false;
    }
    pollfd answer{worker->socket, POLLIN, 0};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int ready = left > 0 ? poll(&answer, 1, static_cast<int>(left)) : 0;
        if (ready > 0)
            break;
        if (ready == 0) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%g", deadlineSeconds);
            *failure = std::string("it held the decoder past its deadline of ") + seconds + " s";
            stop(worker, true, failure);
            return false;
        }
        if (errno != EINTR) {
            stop(worker, true, failure);
            return false;
        }
    }
    int memory = -1;
    std::vector<unsigned char> message(sizeof *reply + maxInlinePayloadBytes);
    const ssize_t got = receiveMessage(worker->socket, message.data(), message.size(), &memory);
    if (got >= static_cast<ssize_t>(sizeof *reply))
        std::memcpy(reply, message.data(), sizeof *reply);
    const size_t carried = got > 0 ? static_cast<size_t>(got) - std::min(static_cast<size_t>(got), sizeof *reply) : 0;
    if (got < static_cast<ssize_t>(sizeof *reply) || (carried != 0 && carried != reply->payloadBytes)) {
        if (memory >= 0)
            close(memory);
        // Nothing, or not a reply: the decoder is gone or not itself.
        stop(worker, got > 0, failure);
        return false;
    }
    reply->problem[sizeof reply->problem - 1] = '\0';
    reply->kindName[sizeof reply->kindName - 1] = '\0';
    for (char* date : reply->dates)
        date[sizeof reply->dates[0] - 1] = '\0';
    if (carried != 0)
        payload->assign(message.begin() + sizeof *reply, message.begin() + static_cast<std::ptrdiff_t>(got));
    const bool read = reply->payloadBytes == carried || readPayload(memory, reply->payloadBytes, payload);
    if (memory >= 0)
        close(memory);
    if (!read)
        *failure = "the decoder's pixels cannot be read";
    return read;
}

bool DecoderPool::decode(const DecodeRequest& request, int fd, DecodeReply* reply, std::vector<unsigned char>* payload,
                         std::string* failure, int second)
{
    Worker* worker = nullptr;
    {
        std::unique_lock<std::mutex> lock(mutex);
        freed.wait(lock, [&] {
            for (Worker& candidate : workers)
                if (!candidate.busy)
                    worker = &candidate;
            return worker != nullptr;
        });
        worker->busy = true;
    }
    bool answered = false;
    // A decoder that retired after its last photo (status 0) is replaced
    // and asked once more; any other end costs this photo.
    for (int attempt = 0; attempt < 2 && !answered; ++attempt) {
        failure->clear();
        if (worker->pid < 0 && !start(worker)) {
            *failure = "the decoder " + program + " cannot be started";
            break;
        }
        answered = exchange(worker, request, fd, second, reply, payload, failure);
        if (!answered && *failure != endOf(0))
            break;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        worker->busy = false;
    }
    freed.notify_one();
    return answered;
}
