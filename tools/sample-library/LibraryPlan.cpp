// The date plan of a generated sample library.
#include "LibraryPlan.h"

#include <algorithm>

#include "../artwork/Paint.h"
#include "calendar/Calendar.h"

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

// `pictures` pictures numbered from *number on, their days spread over the quarter.
PlannedQuarter quarterOf(int year, int month, int quarterOfMonth, int pictures, int* number)
{
    PlannedQuarter quarter{year, month, quarterOfMonth, {}};
    const int firstDay = firstDayOfQuarter(quarterOfMonth);
    const int lastDay = quarterOfMonth == 4 ? daysInMonth(year, month) : firstDayOfQuarter(quarterOfMonth + 1) - 1;
    for (int i = 0; i < pictures; ++i) {
        const int day = firstDay + i * (lastDay - firstDay + 1) / pictures;
        quarter.pictures.push_back({(*number)++, year, month, quarterOfMonth, day});
    }
    return quarter;
}

}  // namespace

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
        plan.push_back(quarterOf(firstYear + slot / 48, slot / 4 % 12 + 1, slot % 4 + 1, sizes[h], &number));
    }
    return plan;
}

std::vector<PlannedQuarter> planPhotoFolder()
{
    // Year, month, quarter, photos: towers of 1 to 7, pairs of 8 to 13, squares of 14 to 30 and one block
    // of 33, in every year from 2008 to 2016 and all four quarters.
    static const int folder[][4] = {
        {2008, 1, 1, 3}, {2008, 2, 4, 10}, {2008, 3, 2, 20}, {2008, 6, 3, 3}, {2008, 12, 4, 5},
        {2009, 3, 1, 1}, {2009, 8, 3, 10}, {2009, 8, 4, 2}, {2010, 2, 2, 3}, {2010, 7, 1, 7},
        {2011, 5, 3, 8}, {2011, 10, 2, 3}, {2012, 1, 1, 2}, {2012, 7, 2, 33}, {2012, 7, 3, 4},
        {2013, 4, 4, 12}, {2013, 11, 1, 1}, {2014, 6, 3, 21}, {2014, 9, 1, 3}, {2015, 2, 4, 6},
        {2015, 8, 2, 14}, {2016, 3, 1, 3}, {2016, 12, 3, 2}};
    std::vector<PlannedQuarter> plan;
    int number = 1;
    for (const auto& q : folder)
        plan.push_back(quarterOf(q[0], q[1], q[2], q[3], &number));
    for (PlannedQuarter& quarter : plan) {
        if (quarter.year == 2011 && quarter.month == 10)
            quarter.pictures[1].portrait = true;
        if (quarter.year == 2014 && quarter.month == 9)
            quarter.pictures[1].portrait = quarter.pictures[1].storedTurned = true;
    }
    return plan;
}

}  // namespace sample
