#include "support/CaptureStdout.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace support {

std::string captureStdout(const std::function<void()>& call)
{
    std::cout.flush();
    std::fflush(stdout);
    // A file rather than a pipe: a call that prints more than a pipe holds
    // would otherwise block forever.
    std::FILE* sink = std::tmpfile();
    int saved = dup(STDOUT_FILENO);
    if (sink == nullptr || saved < 0 || dup2(fileno(sink), STDOUT_FILENO) < 0) {
        ADD_FAILURE() << "cannot redirect standard output";
        call();
        return {};
    }
    call();
    std::cout.flush();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);

    std::string text;
    std::rewind(sink);
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, sink)) > 0)
        text.append(chunk, got);
    std::fclose(sink);
    return text;
}

}  // namespace support
