// Plain path questions the library's watch and the viewer's start-up share:
// a file's folder and name, and whether a regular file stands at a path.
#pragma once

#include <string>

// "." for a bare name, "/" for a file in the root.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);
bool isRegularFile(const std::string& path);
