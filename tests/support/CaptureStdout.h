// Captures what a call prints on standard output (printf, puts, std::cout),
// so tests can compare the program's messages byte for byte.
#pragma once

#include <functional>
#include <string>

namespace support {

// Runs call with file descriptor 1 redirected to a temporary file and
// returns everything it wrote. Flushes stdout (and std::cout) before and
// after, so nothing printed earlier leaks in and nothing is lost.
std::string captureStdout(const std::function<void()>& call);

}  // namespace support
