// The pool's side of the wall, with stand-in decoders that never answer or
// end at once: each costs the photo it was given, in words, and the next
// photo is given a fresh decoder.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

#include "photos/DecoderPool.h"
#include "support/TempDir.h"

namespace {

TEST(DecoderPool, ADecoderPastItsDeadlineOrEndedCostsOnePhotoAndIsReplaced)
{
    support::TempDir dir;
    const struct { const char* what; const char* script; const char* failure; } cases[] = {
        {"never answers", "echo $$ >> \"$0.pids\"; exec sleep 60", "it held the decoder past its deadline of 0.3 s"},
        {"ends at once", "echo $$ >> \"$0.pids\"; exit 3", "the decoder ended with status 3"},
        {"is killed", "echo $$ >> \"$0.pids\"; kill -SEGV $$", "the decoder crashed (Segmentation fault)"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string program = dir.write("decoder-" + std::to_string(n++), std::string("#!/bin/sh\n") + c.script + "\n");
        chmod(program.c_str(), 0755);
        DecoderPool pool(program, 1, 0.3);
        for (int photo = 0; photo < 2; ++photo) {
            DecodeReply reply;
            std::vector<unsigned char> payload;
            std::string failure;
            EXPECT_FALSE(pool.decode(DecodeRequest{}, STDIN_FILENO, &reply, &payload, &failure)) << c.what;
            EXPECT_EQ(failure, c.failure) << c.what;
        }
        // Each photo had its own decoder, and none is left running.
        std::ifstream pids(program + ".pids");
        int pid = 0, started = 0;
        for (; pids >> pid; ++started)
            EXPECT_NE(kill(pid, 0), 0) << c.what << ": " << pid;
        EXPECT_EQ(started, 2) << c.what;
    }
}

}  // namespace
