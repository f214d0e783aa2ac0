// Photos sorted by date, handed to the library layer's writer.
#include "LibraryFile.h"

#include <algorithm>
#include <tuple>

#include "calendar/Calendar.h"

namespace photoindex {

YearSpan spanOf(const std::vector<int>& years, size_t* leftOut)
{
    YearSpan span;
    *leftOut = 0;
    if (years.empty())
        return span;
    span.last = *std::max_element(years.begin(), years.end());
    span.first = std::max(*std::min_element(years.begin(), years.end()), span.last - mostSpanYears + 1);
    *leftOut = static_cast<size_t>(std::count_if(years.begin(), years.end(),
                                                 [&](int year) { return year < span.first; }));
    return span;
}

bool formatLibrary(std::vector<const IndexEntry*> entries, const YearSpan& span, std::string* xml,
                   std::vector<CrowdedQuarter>* crowded)
{
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const IndexEntry* e) { return e->date.year < span.first; }),
                  entries.end());
    std::sort(entries.begin(), entries.end(), [](const IndexEntry* a, const IndexEntry* b) {
        return std::tie(a->date, a->path) < std::tie(b->date, b->path);
    });
    std::vector<LibraryPicture> pictures;
    size_t inQuarter = 0;
    for (const IndexEntry* entry : entries) {
        const LibraryPicture picture{entry->date.year, entry->date.month, quarterOfDay(entry->date.day),
                                     entry->thumbnail, entry->path};
        const auto quarterOf = [](const LibraryPicture& p) { return std::tie(p.year, p.month, p.quarter); };
        inQuarter = pictures.empty() || quarterOf(pictures.back()) != quarterOf(picture) ? 1 : inQuarter + 1;
        if (inQuarter == MaxTexturesPerQuarter + 1)
            crowded->push_back({picture.year, picture.month, picture.quarter, 0});
        if (inQuarter > MaxTexturesPerQuarter)
            crowded->back().photos = inQuarter;
        pictures.push_back(picture);
    }
    return formatLibraryFile(pictures, pictures.empty() ? nullptr : &span, " ", xml);
}

}  // namespace photoindex
