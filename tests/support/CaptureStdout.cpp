#include "support/CaptureStdout.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

namespace support {

// GoogleTest's capture goes through a file, so a call that prints a lot never blocks.
std::string captureStdout(const std::function<void()>& call)
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    call();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

std::pair<int, std::string> commandOutput(const std::string& command)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    for (char buffer[4096]; size_t size = std::fread(buffer, 1, sizeof buffer, pipe);)
        output.append(buffer, size);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

}  // namespace support
