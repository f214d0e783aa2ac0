// The refusal of an empty photo folder and the list of file-dated photos.
#include "RunNotes.h"

#include "PhotoPaths.h"

namespace photoindex {

const char logFileName[] = "zandervale-index.log";

std::string counted(size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many ? many : std::string(one) + "s");
}

std::string noPhotosMessage(const std::vector<std::string>& photoDirs, size_t videos)
{
    std::string text = "zandervale-index: No photos found under ";
    for (size_t i = 0; i < photoDirs.size(); ++i)
        text += (i == 0 ? "" : i + 1 == photoDirs.size() ? " and " : ", ") + printable(photoDirs[i]);
    if (videos > 0)
        text += " (" + counted(videos, "video") + ", which the city does not show)";
    return text + "\n";
}

std::string fileDatedReport(const std::vector<std::string>& paths, const std::string& logPath)
{
    return listReport("Dated by the file time (no usable EXIF date)", paths, logPath);
}

std::string listReport(const std::string& title, const std::vector<std::string>& paths, const std::string& logPath)
{
    std::string text = title + ": " + std::to_string(paths.size()) + "\n";
    for (size_t i = 0; i < paths.size() && i < fileDatedShown; ++i)
        text += "  " + printable(paths[i]) + "\n";
    if (paths.size() > fileDatedShown)
        text += "  and " + std::to_string(paths.size() - fileDatedShown) + " more, all listed in " +
                printable(logPath) + "\n";
    return text;
}

std::string runLog(const std::vector<std::string>& fileDated, const std::vector<LogSection>& sections)
{
    std::string text = "Photos dated by the file time (no usable EXIF date): " + std::to_string(fileDated.size()) + "\n";
    for (const std::string& path : fileDated)
        text += printable(path) + "\n";
    for (const LogSection& section : sections) {
        if (section.lines.empty())
            continue;
        text += section.title + ": " + std::to_string(section.lines.size()) + "\n";
        for (const std::string& line : section.lines)
            text += printable(line) + "\n";
    }
    return text;
}

}  // namespace photoindex
