// The index as text: a header line, then per photo its thumbnail, size,
// modification time, date, date source, sidecar time, flags, path and notes,
// separated by tabs.
#include "IndexFile.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "PhotoPaths.h"

namespace photoindex {

const char* const indexFileName = "Zandervale.index";

namespace {

const char header[] = "zandervale-index 2", firstHeader[] = "zandervale-index 1";
// By DateSource; a letter keeps its meaning when sources are added or reordered.
const char sourceLetters[] = "XODNTF";

std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

// Version 1: thumbnail, size, time, date, source, path. Version 2 adds the
// sidecar's time and the flags before the path, and the notes after it.
bool parseLine(const std::string& line, bool firstVersion, IndexEntry* entry)
{
    const std::vector<std::string> fields = fieldsOf(line);
    const size_t pathField = firstVersion ? 5 : 7;
    if (fields.size() < pathField + 1 || (firstVersion && fields.size() != pathField + 1))
        return false;
    entry->path = fields[pathField];
    unsigned number = 0;
    char* end = nullptr;
    entry->size = std::strtoll(fields[1].c_str(), &end, 10);
    if (*end != '\0' || entry->size < 0)
        return false;
    long long seconds = 0;
    if (std::sscanf(fields[2].c_str(), "%lld.%ld", &seconds, &entry->mtimeNanoseconds) != 2)
        return false;
    entry->mtime = static_cast<std::time_t>(seconds);
    entry->thumbnail = fields[0];
    const std::string letters(sourceLetters);
    const size_t source = fields[4].size() == 1 ? letters.find(fields[4][0]) : std::string::npos;
    if (source == std::string::npos)
        return false;
    entry->source = static_cast<DateSource>(source);
    if (!firstVersion) {
        entry->sidecarStamp = std::strtoll(fields[5].c_str(), &end, 10);
        if (*end != '\0')
            return false;
        entry->damaged = fields[6].find('D') != std::string::npos;
        entry->previewUnchecked = fields[6].find('P') != std::string::npos;
        entry->notes.assign(fields.begin() + pathField + 1, fields.end());
    }
    return thumbnailNumber(entry->thumbnail, &number) && parseFormattedDate(fields[3], &entry->date) &&
           entry->path.size() > 1 && entry->path[0] == '/' && pathProblem(entry->path).empty();
}

}  // namespace

std::vector<IndexEntry> parseIndex(const std::string& text)
{
    std::vector<IndexEntry> entries;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || (line != header && line != firstHeader))
        return entries;
    const bool firstVersion = line == firstHeader;
    while (std::getline(lines, line)) {
        IndexEntry entry;
        if (parseLine(line, firstVersion, &entry))
            entries.push_back(entry);
    }
    return entries;
}

std::string formatIndex(const std::vector<IndexEntry>& entries)
{
    std::string text = std::string(header) + "\n";
    for (const IndexEntry& entry : entries) {
        char numbers[128];
        std::snprintf(numbers, sizeof numbers, "\t%lld\t%lld.%09ld\t", entry.size,
                      static_cast<long long>(entry.mtime), entry.mtimeNanoseconds);
        const std::string flags = std::string(entry.damaged ? "D" : "") + (entry.previewUnchecked ? "P" : "") + "-";
        text += entry.thumbnail + numbers + formatDate(entry.date) + "\t" +
                sourceLetters[static_cast<int>(entry.source)] + "\t" + std::to_string(entry.sidecarStamp) + "\t" +
                flags + "\t" + entry.path;
        for (const std::string& note : entry.notes)
            text += "\t" + note;
        text += "\n";
    }
    return text;
}

}  // namespace photoindex
