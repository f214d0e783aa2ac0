#include "support/CaptureStdout.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

namespace support {

std::string captureStdout(const std::function<void()>& call)
{
    std::fflush(stdout);
    // A file rather than a pipe, which would block a call that prints a lot.
    std::FILE* sink = std::tmpfile();
    int saved = dup(STDOUT_FILENO);
    if (sink == nullptr || saved < 0 || dup2(fileno(sink), STDOUT_FILENO) < 0) {
        ADD_FAILURE() << "cannot redirect standard output";
        return {};
    }
    call();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::string text(lseek(fileno(sink), 0, SEEK_END), '\0');
    std::rewind(sink);
    text.resize(std::fread(text.data(), 1, text.size(), sink));
    std::fclose(sink);
    return text;
}

}  // namespace support
