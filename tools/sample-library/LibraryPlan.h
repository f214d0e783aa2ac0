// Which pictures a generated sample library holds and where they fall in
// time: a fixed table of house sizes spread evenly, with a seeded jitter,
// over every quarter of every month of the year range.
#pragma once

#include <vector>

namespace sample {

struct PlannedPicture {
    int number;                    // 1 .. pictures, in document order
    int year, month, quarter, day;
};

struct PlannedQuarter {
    int year, month, quarter;
    std::vector<PlannedPicture> pictures;
};

// Quarters in ascending date order; every picture in exactly one of them.
std::vector<PlannedQuarter> planLibrary(int pictures, int firstYear, int lastYear);

int daysInMonth(int year, int month);

}  // namespace sample
