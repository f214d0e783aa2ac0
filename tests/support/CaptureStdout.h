// Captures what a call prints on standard output (printf, puts, fwrite), so
// tests can compare the program's messages byte for byte.
#pragma once

#include <functional>
#include <string>

namespace support {

// Flushes before and after, so nothing printed earlier leaks in and nothing is lost.
std::string captureStdout(const std::function<void()>& call);

}  // namespace support
