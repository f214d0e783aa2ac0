#include "support/CaptureStdout.h"

#include <gtest/gtest.h>

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

}  // namespace support
