#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace support {

TempDir::TempDir() : root(std::filesystem::temp_directory_path().string() + "/zv-test-XXXXXX")   // $TMPDIR or /tmp
{
    if (mkdtemp(root.data()) == nullptr)
        ADD_FAILURE() << "cannot create a temporary folder " << root;
}

TempDir::~TempDir() { std::error_code ignored; std::filesystem::remove_all(root, ignored); }

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(file(name), std::ios::binary);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush())
        ADD_FAILURE() << "cannot write " << file(name);
    return file(name);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace support
