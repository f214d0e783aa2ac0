// Where the time keys go in a city with empty years, months and quarters:
// typed dates, the next and previous house, a year back or on, the first
// and last house; and that every landing stands clear of every house.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "controls/CityCalendar.h"
#include "support/CalendarCity.h"

namespace {

// What a target should be: the crossing's month, the house's quarter (0:
// none), or the note when nothing moves.
struct Expected {
    int year, month, quarter;
    const char* note;
};

void expectTarget(const support::CalendarCity& city, const TimeTarget& target, const Expected& e)
{
    EXPECT_EQ(target.note, e.note != nullptr ? e.note : "");
    if (e.year == 0) {
        EXPECT_EQ(target.crossing, nullptr);
        return;
    }
    ASSERT_NE(target.crossing, nullptr) << target.note;
    EXPECT_EQ(target.crossing->year, e.year);
    EXPECT_EQ(target.crossing->month, e.month);
    EXPECT_EQ(target.house != nullptr ? target.house->house : nullptr,
              e.quarter == 0 ? nullptr : city.house(e.year, e.month, e.quarter));
}

TEST(CityCalendar, DatesAndTimeKeysGoToTheirHouseOrCrossingAndStopAtTheEnds)
{
    const support::CalendarCity city;
    const CityCalendar& calendar = city.calendar;
    const auto at = [&city](int year, int month, int quarter) {
        return TimePoint{year, month, quarter, city.house(year, month, quarter)};
    };
    const TimePoint standingIn2002 = {2002, 5, 0, nullptr};   // nothing selected
    const TimePoint standingInJanuary = {2001, 1, 0, nullptr};
    struct Case { const char* what; TimeTarget target; Expected expected; };
    const Case cases[] = {
        {"a year: January, its first house", dateTarget(calendar, "2001"), {2001, 1, 1, nullptr}},
        {"a day: its quarter", dateTarget(calendar, "2001-01-20"), {2001, 1, 3, nullptr}},
        {"the day's quarter empty: the month's first", dateTarget(calendar, "2001-01-10"), {2001, 1, 1, nullptr}},
        {"a month", dateTarget(calendar, "2001-3"), {2001, 3, 2, nullptr}},
        {"the last day", dateTarget(calendar, "2003-07-31"), {2003, 7, 4, nullptr}},
        {"a row without houses", dateTarget(calendar, "2002-05"), {2002, 5, 0, "no photos in May 2002"}},
        {"a year without houses", dateTarget(calendar, "2002"), {2002, 1, 0, "no photos in 2002"}},
        {"January empty: the year's first", dateTarget(calendar, "2003"), {2003, 7, 1, nullptr}},
        {"an empty month", dateTarget(calendar, "2003-01-05"), {2003, 1, 0, "no photos in January 2003"}},
        {"before the city", dateTarget(calendar, "1987"), {0, 0, 0, "no photos in 1987"}},
        {"after it", dateTarget(calendar, "2004-01-01"), {0, 0, 0, "no photos in 2004"}},
        {"month 13", dateTarget(calendar, "2001-13"), {0, 0, 0, "type YYYY-MM-DD"}},
        {"no such day", dateTarget(calendar, "2001-02-29"), {0, 0, 0, "type YYYY-MM-DD"}},
        {"nothing typed", dateTarget(calendar, ""), {0, 0, 0, "type YYYY-MM-DD"}},
        {"N skips empty quarters", stepTarget(calendar, at(2001, 1, 3), +1), {2001, 3, 2, nullptr}},
        {"N from the last house", stepTarget(calendar, at(2003, 12, 4), +1), {0, 0, 0, "no later house"}},
        {"B from the first house", stepTarget(calendar, at(2001, 1, 1), -1), {0, 0, 0, "no earlier house"}},
        {"B within a crossing", stepTarget(calendar, at(2003, 7, 4), -1), {2003, 7, 1, nullptr}},
        {"N from an empty year", stepTarget(calendar, standingIn2002, +1), {2003, 7, 1, nullptr}},
        {"B from an empty year", stepTarget(calendar, standingIn2002, -1), {2001, 3, 2, nullptr}},
        {"N counts the month stood in", stepTarget(calendar, standingInJanuary, +1), {2001, 1, 1, nullptr}},
        {"B counts it too", stepTarget(calendar, standingInJanuary, -1), {2001, 1, 3, nullptr}},
        {"N across a year end", stepTarget(calendar, {2001, 12, 0, nullptr}, +1), {2003, 7, 1, nullptr}},
        {"B across a year end", stepTarget(calendar, {2003, 1, 0, nullptr}, -1), {2001, 3, 2, nullptr}},
        {"Page Up from the first year", yearTarget(calendar, at(2001, 1, 3), -1), {0, 0, 0, "no photos in 2000"}},
        {"Page Down from the last year", yearTarget(calendar, at(2003, 7, 4), +1), {0, 0, 0, "no photos in 2004"}},
        {"Page Down into an empty year", yearTarget(calendar, at(2001, 3, 2), +1), {2002, 3, 0, nullptr}},
        {"Page Down keeps the month", yearTarget(calendar, {2002, 7, 0, nullptr}, +1), {2003, 7, 1, nullptr}},
        {"Page Down keeps the quarter", yearTarget(calendar, {2002, 7, 4, nullptr}, +1), {2003, 7, 4, nullptr}},
        {"Home", endTarget(calendar, false), {2001, 1, 1, nullptr}},
        {"End", endTarget(calendar, true), {2003, 12, 4, nullptr}},
        {"End in an empty city", endTarget(CityCalendar(), true), {0, 0, 0, "no houses in this city"}},
        {"J", houseTarget(calendar, city.house(2003, 7, 1)), {2003, 7, 1, nullptr}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectTarget(city, c.target, c.expected);
    }
}

// From every crossing to every house of its month: the walker lands clear
// of each house's walls (25.5 units each way from its middle) and looks at
// the house it flew to.
TEST(CityCalendar, LandingsStandOnTheStreetClearOfHousesAndFaceTheirHouse)
{
    const support::CalendarCity city;
    std::vector<TimeTarget> targets;
    for (int year = 2001; year <= 2003; ++year)
        for (int month = 1; month <= 12; ++month)
            targets.push_back(dateTarget(city.calendar, std::to_string(year) + "-" + std::to_string(month)));
    for (const CalendarHouse& house : city.calendar.houses())
        targets.push_back(houseTarget(city.calendar, house.house));
    for (const TimeTarget& target : targets) {
        ASSERT_NE(target.crossing, nullptr);
        const Landing landing = landingOf(target, 123.0f);
        SCOPED_TRACE(testing::Message() << target.crossing->year << "-" << target.crossing->month
                                        << " lands at " << landing.x << ", " << landing.z);
        for (const CalendarHouse& house : city.calendar.houses())
            EXPECT_TRUE(std::fabs(landing.x - house.x) >= 25.5f || std::fabs(landing.z - house.z) >= 25.5f);
        if (target.house == nullptr) {
            EXPECT_EQ(landing.yaw, 123.0f);
            continue;
        }
        // At yaw 0 the view runs down -z, at 90 down +x.
        const double yaw = landing.yaw * 3.14159265358979 / 180.0;
        const double dx = target.house->x - landing.x, dz = target.house->z - landing.z;
        const double length = std::hypot(dx, dz);
        EXPECT_NEAR(std::sin(yaw), dx / length, 1e-5);
        EXPECT_NEAR(-std::cos(yaw), dz / length, 1e-5);
    }
}

} // namespace
