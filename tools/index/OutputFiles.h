// Writing into the library folder so that a reader, or a run killed half-way,
// only ever sees a whole old file or a whole new one.
#pragma once

#include <cstddef>
#include <string>

namespace photoindex {

// Writes bytes to a hidden temporary file beside path and renames it over
// path; with durable, the data reaches the disk before the rename. On failure
// returns the reason and leaves path as it was.
std::string replaceFile(const std::string& path, const void* bytes, size_t size, bool durable);

}  // namespace photoindex
