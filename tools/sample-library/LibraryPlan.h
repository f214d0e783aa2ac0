// Which pictures a generated sample library holds and where they fall in
// time: for the thumbnail library a fixed table of house sizes spread evenly,
// with a seeded jitter, over every quarter of every month of the year range;
// for the photo folder a fixed table of quarters.
#pragma once

#include <vector>

namespace sample {

struct PlannedPicture {
    int number;                    // 1 .. pictures, in document order
    int year, month, quarter, day;
    bool portrait = false;         // painted upright as 768 x 1024
    bool storedTurned = false;     // stored on its side, with the EXIF tag that turns it back
};

struct PlannedQuarter {
    int year, month, quarter;
    std::vector<PlannedPicture> pictures;
};

// Quarters in ascending date order; every picture in exactly one of them.
std::vector<PlannedQuarter> planLibrary(int pictures, int firstYear, int lastYear);

// The sample photo folder: 2008 to 2016, houses of 1 to 33 photos, one
// portrait stored upright and one stored turned.
std::vector<PlannedQuarter> planPhotoFolder();

}  // namespace sample
