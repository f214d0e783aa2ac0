// Which year and month table entries a sign shows on its front and back.
#include <gtest/gtest.h>

#include "scene/Sign.h"

TEST(SignEntries, BannersShowTheNextAndPreviousEntryInsideTheTable)
{
    const struct { int kind; int index; int front; int back; } cases[] = {
        { Sign::yearBanner, 7, 7, 6 }, { Sign::yearBanner, 13, -1, 12 }, { Sign::yearBanner, -1, -1, -1 },
        { Sign::yearBanner, 0, 0, 0 },   // 1998 has no earlier year
        { Sign::monthBanner, 1, 1, 0 }, { Sign::monthBanner, 12, -1, 11 }, { Sign::monthBanner, 0, 0, -1 },
        { Sign::yearLabel, 12, 12, -1 }, { Sign::yearLabel, 13, -1, -1 },
        { Sign::monthLabel, 12, 11, -1 }, { Sign::monthLabel, 0, -1, -1 }, { Sign::monthLabel, 13, -1, -1 },
        { Sign::title, 0, -1, -1 }, { 5, 3, -1, -1 },
    };
    for (const auto& c : cases) {
        const SignEntries e = signTableEntries(c.kind, c.index);
        EXPECT_EQ(std::make_pair(e.front, e.back), std::make_pair(c.front, c.back)) << "kind " << c.kind << " index " << c.index;
    }
}
