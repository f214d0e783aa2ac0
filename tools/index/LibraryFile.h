// What of the index goes into Zandervale.xml: the span of years the city
// shows and the quarters too crowded to show every photo as a box.
#pragma once

#include <string>
#include <vector>

#include "IndexFile.h"
#include "library/LibraryWriter.h"

namespace photoindex {

// The years of the photos, or their latest mostSpanYears when they spread
// wider; leftOut counts the photos from before the span.
YearSpan spanOf(const std::vector<int>& years, size_t* leftOut);

struct CrowdedQuarter {
    int year, month, quarter;
    size_t photos;
};

// The library text for entries inside span, in date order (then path order).
// Returns false when libxml2 cannot write it.
bool formatLibrary(std::vector<const IndexEntry*> entries, const YearSpan& span, std::string* xml,
                   std::vector<CrowdedQuarter>* crowded);

}  // namespace photoindex
