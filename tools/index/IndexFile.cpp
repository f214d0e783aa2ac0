// The index as text: a header line, then per photo its thumbnail, size,
// modification time, date, date source and path, separated by tabs.
#include "IndexFile.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "PhotoPaths.h"

namespace photoindex {

const char* const indexFileName = "Zandervale.index";

namespace {

const char header[] = "zandervale-index 1";
// By DateSource; a letter keeps its meaning when sources are added or reordered.
const char sourceLetters[] = "XODNTF";

bool parseLine(const std::string& line, IndexEntry* entry)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (int i = 0; i < 5; ++i) {
        const size_t tab = line.find('\t', start);
        if (tab == std::string::npos)
            return false;
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    entry->path = line.substr(start);
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
    return thumbnailNumber(entry->thumbnail, &number) && parseFormattedDate(fields[3], &entry->date) &&
           entry->path.size() > 1 && entry->path[0] == '/' && pathProblem(entry->path).empty();
}

}  // namespace

std::vector<IndexEntry> parseIndex(const std::string& text)
{
    std::vector<IndexEntry> entries;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != header)
        return entries;
    while (std::getline(lines, line)) {
        IndexEntry entry;
        if (parseLine(line, &entry))
            entries.push_back(entry);
    }
    return entries;
}

std::string formatIndex(const std::vector<IndexEntry>& entries)
{
    std::string text = std::string(header) + "\n";
    for (const IndexEntry& entry : entries) {
        char numbers[96];
        std::snprintf(numbers, sizeof numbers, "\t%lld\t%lld.%09ld\t", entry.size,
                      static_cast<long long>(entry.mtime), entry.mtimeNanoseconds);
        text += entry.thumbnail + numbers + formatDate(entry.date) + "\t" +
                sourceLetters[static_cast<int>(entry.source)] + "\t" + entry.path + "\n";
    }
    return text;
}

}  // namespace photoindex
