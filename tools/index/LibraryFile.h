// Zandervale.xml as the viewer reads it: years, months and quarters by their
// "val", each picture's thumbnail name and the absolute path of its photo,
// and on the root the span of years the city shows.
#pragma once

#include <string>
#include <vector>

#include "IndexFile.h"

namespace photoindex {

extern const char* const libraryFileName;

// Most years one city shows.
constexpr int maxShownYears = 60;
// Most boxes one house shows; the gallery still shows every photo.
constexpr int maxBoxesPerQuarter = 250;

struct YearSpan {
    int fromYear = 0, toYear = 0;   // both 0 when there are no years
    size_t leftOut = 0;             // photos from before fromYear
};

// The years of the photos, or their latest maxShownYears when they spread wider.
YearSpan spanOf(const std::vector<int>& years);

struct CrowdedQuarter {
    int year, month, quarter;
    size_t photos;
};

// The library text for entries inside span, in date order (then path order).
// Returns false when libxml2 cannot write it.
bool formatLibrary(std::vector<const IndexEntry*> entries, const YearSpan& span, std::string* xml,
                   std::vector<CrowdedQuarter>* crowded);

}  // namespace photoindex
