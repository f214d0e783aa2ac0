// The date plan of a generated sample library.
#include "LibraryPlan.h"

#include <algorithm>

#include "../artwork/Paint.h"

namespace sample {
namespace {

// House sizes in the order they are handed out: mostly small houses, some
// middle-sized, and a few big quarters (a holiday, a wedding) of 24 to 38.
const int groupSizes[] = {3, 1, 6, 2, 38, 1, 4, 2, 9, 1, 3, 24, 2, 5, 1, 12, 2, 1, 4, 7,
                          1, 3, 2, 16, 1, 5, 2, 8, 1, 3, 30, 2, 1, 6, 3, 1, 11, 2, 4, 1};
const int groupCount = int(sizeof groupSizes / sizeof groupSizes[0]);

std::vector<int> houseSizes(int pictures, int slots)
{
    std::vector<int> sizes;
    int remaining = pictures;
    for (int i = 0; remaining > 0 && int(sizes.size()) < slots; ++i) {
        const int size = std::min(groupSizes[i % groupCount], remaining);
        sizes.push_back(size);
        remaining -= size;
    }
    // More pictures than the table fits into the quarters: deal the rest out.
    for (int i = 0; remaining > 0; ++i, --remaining)
        ++sizes[i % sizes.size()];
    return sizes;
}

}  // namespace

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

std::vector<PlannedQuarter> planLibrary(int pictures, int firstYear, int lastYear)
{
    std::vector<PlannedQuarter> plan;
    if (pictures <= 0 || lastYear < firstYear)
        return plan;
    const int slots = (lastYear - firstYear + 1) * 48;
    const std::vector<int> sizes = houseSizes(pictures, slots);
    const int houses = int(sizes.size());
    paint::Rng rng(2005);
    int number = 1;
    for (int h = 0; h < houses; ++h) {
        // Each house gets its own window of quarters, so none share a slot.
        const long start = long(h) * slots / houses, end = long(h + 1) * slots / houses;
        const int slot = int(start + rng.below(int(end - start)));
        PlannedQuarter quarter{firstYear + slot / 48, slot / 4 % 12 + 1, slot % 4 + 1, {}};
        // Quarter q covers the days 7(q-1)+1 .. 7q; the fourth one to the month's end.
        const int firstDay = 7 * (quarter.quarter - 1) + 1;
        const int lastDay = quarter.quarter == 4 ? daysInMonth(quarter.year, quarter.month) : firstDay + 6;
        for (int i = 0; i < sizes[h]; ++i) {
            const int day = firstDay + i * (lastDay - firstDay + 1) / sizes[h];
            quarter.pictures.push_back({number++, quarter.year, quarter.month, quarter.quarter, day});
        }
        plan.push_back(quarter);
    }
    return plan;
}

}  // namespace sample
