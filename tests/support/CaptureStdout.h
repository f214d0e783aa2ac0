// Captures what a call prints on standard output (printf, puts, fwrite), or
// a shell command on both its outputs, so tests can compare the program's
// messages byte for byte.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace support {

// Flushes before and after, so nothing printed earlier leaks in and nothing is lost.
std::string captureStdout(const std::function<void()>& call);
// The command's exit status (-1 after a signal) and its output.
std::pair<int, std::string> commandOutput(const std::string& command);

}  // namespace support
