// The shared calendar: month lengths over the leap-year rules, the quarter
// boundaries and the names.
#include <gtest/gtest.h>

#include "calendar/Calendar.h"

namespace {

TEST(Calendar, MonthsHaveTheirDaysAndFebruaryFollowsTheLeapRules)
{
    const struct { int year, month, days; } rows[] = {
        {2023, 1, 31}, {2023, 2, 28}, {2024, 2, 29}, {1900, 2, 28}, {2000, 2, 29},
        {2023, 4, 30}, {2023, 9, 30}, {2023, 11, 30}, {2023, 12, 31},
    };
    for (const auto& r : rows)
        EXPECT_EQ(daysInMonth(r.year, r.month), r.days) << r.year << "-" << r.month;
}

TEST(Calendar, EachQuarterStartsOnItsFirstDayAndTheFourthRunsToTheMonthsEnd)
{
    for (int quarter = 1; quarter <= 4; ++quarter) {
        EXPECT_EQ(quarterOfDay(firstDayOfQuarter(quarter)), quarter);
        if (quarter > 1) {
            EXPECT_EQ(quarterOfDay(firstDayOfQuarter(quarter) - 1), quarter - 1);
        }
    }
    EXPECT_EQ(firstDayOfQuarter(2), 8);
    EXPECT_EQ(quarterOfDay(31), 4);
}

TEST(Calendar, MonthsAreNamedInFull)
{
    EXPECT_STREQ(monthName(1), "January");
    EXPECT_STREQ(monthName(9), "September");
    EXPECT_STREQ(monthName(12), "December");
}

}  // namespace
