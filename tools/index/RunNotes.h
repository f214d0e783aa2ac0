// What a run tells its user beyond the counts: why it refuses a folder
// without photos, and which photos it dated by their file time, since those
// are the ones that may stand in the wrong year.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace photoindex {

// "1 video", "2 videos": a count with its noun; many defaults to one + "s".
std::string counted(size_t count, const char* one, const char* many = nullptr);

// The name of the full list, in OUTPUT_DIR beside the library.
extern const char logFileName[];
// How many of the file-dated photos the report names itself.
constexpr size_t fileDatedShown = 20;

// A folder with no photo at all (a disk not mounted, a mistyped path that
// exists) would give an empty library and delete every thumbnail: the run
// stops before it writes anything.
// Videos found there are named, so nobody wonders where they went.
std::string noPhotosMessage(const std::vector<std::string>& photoDirs, size_t videos);

// The report's lines for a list of photos: "title: count", the first
// fileDatedShown paths, and where the rest are.
std::string listReport(const std::string& title, const std::vector<std::string>& paths, const std::string& logPath);
// The same for the photos dated by their file time.
std::string fileDatedReport(const std::vector<std::string>& paths, const std::string& logPath);

// One part of the log: a title line with its count, then its lines.
struct LogSection {
    std::string title;
    std::vector<std::string> lines;
};

// The log's text: the file-dated photos, one a line, then each section
// that has lines.
std::string runLog(const std::vector<std::string>& fileDated, const std::vector<LogSection>& sections);

}  // namespace photoindex
