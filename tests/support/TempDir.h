// A temporary folder for one test, removed with everything in it when the
// object goes out of scope.
#pragma once

#include <string>

namespace support {

class TempDir {
public:
    TempDir();    // creates a fresh folder under $TMPDIR (or /tmp)
    ~TempDir();   // removes it recursively
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's absolute path, without a trailing slash.
    const std::string& path() const { return root; }
    // path() + "/" + name; creates nothing.
    std::string file(const std::string& name) const { return root + "/" + name; }
    // Writes bytes (text or binary) to file(name) and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string root;
};

}  // namespace support
