// The sign's texture table entries and the street's distance rule.
#include <gtest/gtest.h>

#include "scene/Sign.h"
#include "scene/Street.h"

TEST(SignEntries, BannersShowTheNextAndPreviousEntryInsideTheTable)
{
    const struct { int kind; int index; int front; int back; } cases[] = {
        { Sign::yearBanner, 7, 7, 6 },       // 2005 ahead, 2004 behind
        { Sign::yearBanner, 12, 12, 11 },
        { Sign::yearBanner, 0, 0, 0 },       // 1998 has no earlier year
        { Sign::yearBanner, 13, -1, 12 },
        { Sign::yearBanner, -1, -1, -1 },
        { Sign::monthBanner, 1, 1, 0 },      // February ahead, January behind
        { Sign::monthBanner, 11, 11, 10 },   // December and November
        { Sign::monthBanner, 12, -1, 11 },
        { Sign::monthBanner, 0, 0, -1 },
        { Sign::yearLabel, 12, 12, -1 },
        { Sign::yearLabel, 13, -1, -1 },
        { Sign::monthLabel, 12, 11, -1 },    // December
        { Sign::monthLabel, 1, 0, -1 },
        { Sign::monthLabel, 0, -1, -1 },
        { Sign::monthLabel, 13, -1, -1 },
        { Sign::title, 0, -1, -1 },
        { 5, 3, -1, -1 },
    };
    for (const auto& c : cases) {
        const SignEntries e = signTableEntries(c.kind, c.index);
        EXPECT_EQ(e.front, c.front) << "kind " << c.kind << " index " << c.index;
        EXPECT_EQ(e.back, c.back) << "kind " << c.kind << " index " << c.index;
    }
}

TEST(StreetDistance, TruncatesTheSinglePrecisionDistance)
{
    const struct { float p[3]; int distance; } cases[] = {
        { { 0, 1.8f, 0 }, 1 },       // the walker's eye above a crossing
        { { 3, 0, 4 }, 5 },
        { { -3, 0, -4 }, 5 },
        { { 0.99f, 0, 0 }, 0 },
        { { 120, 1.8f, 0 }, 120 },
        { { 49.9f, 0, 0 }, 49 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(truncatedDistance(0, 0, 0, c.p[0], c.p[1], c.p[2]), c.distance)
            << c.p[0] << "," << c.p[1] << "," << c.p[2];
}
