// The parent's side of the wall around the decoders: a few decoder
// processes, started once, each given one photo at a time as an open
// descriptor. A decoder that crashes, passes a limit or the photo's
// deadline costs that photo only: it is killed if need be, the failure is
// put in words, and a fresh one takes its place. Safe to call from several
// threads; each call holds one decoder.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "photos/DecodeRequest.h"

// A photo that holds its decoder longer than this is given up: far above
// what the largest photo the budget admits takes to decode.
constexpr double photoDeadlineSeconds = 30.0;

class DecoderPool {
public:
    // program: the decoder's path (decoderProgramPath); workers: how many
    // photos may decode at once. The decoders start at once.
    DecoderPool(std::string program, unsigned workers, double deadlineSeconds);
    ~DecoderPool();
    DecoderPool(const DecoderPool&) = delete;
    DecoderPool& operator=(const DecoderPool&) = delete;

    // Has a decoder decode the photo open as fd. False when no decoder gave
    // an answer: failure then says what happened, as a phrase
    // ("passed the decoder's deadline of 20 s"). second: a descriptor sent
    // beside the photo (DecodeRequest says which), -1: none.
    bool decode(const DecodeRequest& request, int fd, DecodeReply* reply, std::vector<unsigned char>* payload,
                std::string* failure, int second = -1);

private:
    struct Worker {
        pid_t pid = -1;
        int socket = -1;
        bool busy = false;
    };
    bool start(Worker* worker);
    void stop(Worker* worker, bool kill, std::string* failure);
    bool exchange(Worker* worker, const DecodeRequest& request, int fd, int second, DecodeReply* reply,
                  std::vector<unsigned char>* payload, std::string* failure);

    const std::string program;
    const double deadlineSeconds;
    std::mutex mutex;
    std::condition_variable freed;
    std::vector<Worker> workers;
};

// The decoder program beside the running one, or where it is installed
// from there, or where the build put it.
std::string decoderProgramPath();
