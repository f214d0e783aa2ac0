// The decoder's cage, from inside: a handler that tries what a decoder
// taken over by a hostile photo would try, run under serveDecodeRequests
// in a child, answered or ended as the limits and the filter say.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "photos/DecoderChannel.h"
#include "photos/DecoderWorker.h"
#include "support/HostilePhotos.h"

namespace {

// What the handler tries, by the request's side.
enum Attempt { WriteFile, AllocateGigabyte, Exec, Connect };

void attempt(const DecodeRequest& request, int, DecodeReply* reply, std::vector<unsigned char>*)
{
    int result = 0;
    if (request.side == WriteFile) {
        result = open("/tmp/zv-decoder-wrote", O_WRONLY | O_CREAT, 0600);
    } else if (request.side == AllocateGigabyte) {
        void* block = std::malloc(size_t(1) << 30);
        result = block ? 0 : -1;
        std::free(block);
    } else if (request.side == Exec) {
        execl("/bin/true", "true", nullptr);
        result = -1;
    } else {
        result = socket(AF_INET, SOCK_STREAM, 0);
    }
    std::snprintf(reply->problem, sizeof reply->problem, "%d %s", result, result < 0 ? std::strerror(errno) : "");
}

struct Served {
    std::string answer;   // the reply's problem, "" when none came
    int signal = 0;       // what ended the decoder
};

Served serve(Attempt what)
{
    int pair[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair), 0);
    const pid_t child = fork();
    if (child == 0) {
        // Only the test holds its end: the decoder reads the end of the connection once the test closes it.
        close(pair[0]);
        dup2(pair[1], decoderSocketFd);
        _exit(serveDecodeRequests(attempt));
    }
    close(pair[1]);
    DecodeRequest request;
    request.side = what;
    std::vector<unsigned char> reply(sizeof(DecodeReply) + maxInlinePayloadBytes);
    int memory = -1;
    Served served;
    if (sendMessage(pair[0], &request, sizeof request, STDIN_FILENO) &&
        receiveMessage(pair[0], reply.data(), reply.size(), &memory) >= static_cast<ssize_t>(sizeof(DecodeReply)))
        served.answer = reinterpret_cast<const DecodeReply*>(reply.data())->problem;
    close(pair[0]);
    int status = 0;
    waitpid(child, &status, 0);
    served.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return served;
}

TEST(DecoderWorker, WritesNothingStartsNothingReachesNoNetworkAndStaysUnderItsMemoryLimit)
{
    EXPECT_EQ(serve(WriteFile).answer, "-1 Permission denied");
    EXPECT_NE(unlink("/tmp/zv-decoder-wrote"), 0);
    EXPECT_EQ(serve(Exec).signal, SIGSYS);
    EXPECT_EQ(serve(Connect).signal, SIGSYS);
    if (!support::sanitizedBuild) {
        EXPECT_EQ(serve(AllocateGigabyte).answer, "-1 Cannot allocate memory");
    }
}

}  // namespace
