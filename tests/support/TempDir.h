// A fresh folder under $TMPDIR (or /tmp) for one test, removed with all it
// holds when the object goes out of scope.
#pragma once

#include <string>

namespace support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return root; }   // no trailing slash
    std::string file(const std::string& name) const { return root + "/" + name; }
    // Writes bytes (text or binary) to file(name) and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string root;
};

// The bytes of the file at path ("" when it cannot be read).
std::string readFile(const std::string& path);

}  // namespace support
