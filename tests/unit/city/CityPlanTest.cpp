// The city's layout, checked on its plan: order, positions, house numbers
// and constructor arguments of every piece.
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <iterator>
#include <string>
#include <vector>

#include "city/CityPlan.h"
#include "scene/Sign.h"
#include "scene/Street.h"

namespace {

using Date = std::array<int, 3>;   // year, month, quarter

// Owns the records it makes, in library order.
struct Library {
    explicit Library(const std::vector<Date>& dates)
    {
        for (const Date& d : dates)
            records.push_back(&owned.emplace_back(d[0], d[1], d[2], new std::vector<TextureName>{1},
                                                  new std::vector<std::string>{"a"}));
    }
    std::deque<MonthQuarter> owned;
    std::vector<MonthQuarter*> records;
};

TEST(CityPlan, OneRecordGivesOneFullRowOnTheGrid)
{
    // count pieces from index at, every stride-th; x and arg (street month,
    // sign index or house number) grow by dx and dArg from one to the next.
    struct Run { int at, count, stride; CityPiece::Kind kind; int objectKind;
                 float x, dx, y, z; int arg, dArg; };
    const Run runs[] = {
        {0, 1, 1, CityPiece::light, 0, 12.5f, 0, 25, 12.5f, 0, 0},
        {1, 12, 1, CityPiece::street, Street::northSouth, 35, 120, 0, -25, 1, 1},
        {13, 13, 1, CityPiece::quarter, 0, -25, 120, 0, -25, 0, 0},
        {26, 1, 1, CityPiece::house, 0, 720, 0, 0, 0, 10, 0},
        {27, 12, 2, CityPiece::street, Street::eastWest, -25, 120, 0, 35, 1, 1},
        {28, 12, 2, CityPiece::street, Street::crossing, 35, 120, 0, 35, 1, 1},
        {51, 1, 1, CityPiece::street, Street::eastWest, 1415, 0, 0, 35, 12, 0},
        {52, 12, 1, CityPiece::street, Street::northSouth, 35, 120, 0, 95, 1, 1},
        {64, 13, 1, CityPiece::quarter, 0, -25, 120, 0, 95, 0, 0},
        {77, 11, 1, CityPiece::sign, Sign::monthBanner, 95, 120, 6, 34.5f, 1, 1},
        {88, 1, 1, CityPiece::sign, Sign::yearLabel, 1515, 0, 0, 34.5f, 7, 0},
        {89, 12, 2, CityPiece::sign, Sign::yearBanner, 35, 120, 6, -25, 7, 0},
        {90, 12, 2, CityPiece::sign, Sign::monthLabel, 35.5f, 120, 0, -125, 1, 1},
        {113, 1, 1, CityPiece::sign, Sign::title, -65, 0, 6, 40, 0, 0},
    };
    Library library({{2005, 7, 1}});
    std::vector<CityPiece> plan = planCity(library.records);
    ASSERT_EQ(plan.size(), 114u);
    for (const Run& r : runs)
        for (int i = 0; i < r.count; i++) {
            const CityPiece& p = plan.at(r.at + i * r.stride);
            SCOPED_TRACE("piece " + std::to_string(r.at + i * r.stride));
            int arg = p.kind == CityPiece::street ? p.month
                      : p.kind == CityPiece::sign ? p.index : p.houseNumber;
            EXPECT_EQ((std::vector<int>{p.kind, p.objectKind, arg, p.year}),
                      (std::vector<int>{r.kind, r.objectKind, r.arg + r.dArg * i,
                                        r.kind == CityPiece::street ? 2005 : 0}));
            EXPECT_EQ((std::vector<float>{p.x, p.y, p.z}),
                      (std::vector<float>{r.x + r.dx * static_cast<float>(i), r.y, r.z}));
        }
}

TEST(CityPlan, RowsSpanTheRecordYearsWithin1998To2010)
{
    // rows: the years of the rows, then the closing row's (the last record's year).
    const struct { std::vector<Date> dates; std::vector<int> rows; size_t houses; } cases[] = {
        {{}, {-1}, 0},
        {{{1990, 1, 1}, {2050, 2, 2}}, {2050}, 0},
        {{{2010, 1, 1}, {2011, 1, 1}}, {2010, 2011}, 1},
        {{{1997, 1, 1}, {1998, 1, 1}}, {1998, 1998}, 1},
        {{{2003, 1, 1}, {2005, 12, 4}}, {2003, 2004, 2005, 2005}, 2},
        {{{2003, 1, 1}, {2005, 13, 1}}, {2003, 2004, 2005, 2005}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        Library library(c.dates);
        std::vector<CityPiece> plan = planCity(library.records);
        // Light, 74 pieces a row, houses (none off the grid), closing row, month labels, title.
        size_t rows = c.rows.size() - 1;
        EXPECT_EQ(plan.size(), 1 + 74 * rows + c.houses + 25 + (rows > 0 ? 12 : 0) + 1);
        std::vector<int> rowYears;   // from each row's first north-south piece, at z = 120 k - 25
        for (const CityPiece& p : plan)
            if (p.kind == CityPiece::street && p.objectKind == Street::northSouth && p.month == 1) {
                EXPECT_EQ(p.z, 120.0f * static_cast<float>(rowYears.size()) - 25.0f);
                rowYears.push_back(p.year);
            }
        EXPECT_EQ(rowYears, c.rows);
    }
}

TEST(CityPlan, HousesStandAtTheirQuarterCornersNumberedRowByRowThenInLibraryOrder)
{
    Library library({{2005, 2, 2}, {2005, 1, 3}, {2005, 2, 1}, {2003, 12, 4},
                     {2005, 1, 1}, {2005, 1, 4}, {2003, 1, 1}, {2005, 1, 3}});
    // Plan index and library index of each house. Quarters 1 to 4 stand at
    // +(0, 0), +(0, 70), +(70, 0), +(70, 70); 2005 is the third row (z 240).
    const struct { int at, record; float x, z; } expected[] = {
        {26, 6, 0, 0}, {52, 3, 1390, 70}, {128, 4, 0, 240}, {129, 1, 70, 240},
        {130, 7, 70, 240}, {131, 2, 120, 240}, {157, 5, 70, 310}, {158, 0, 120, 310},
    };
    std::vector<CityPiece> plan = planCity(library.records);
    ASSERT_EQ(plan.size(), 1 + 74 * 3 + std::size(expected) + 25 + 12 + 1);
    for (size_t i = 0; i < std::size(expected); i++) {
        const CityPiece& house = plan.at(expected[i].at);
        SCOPED_TRACE("house " + std::to_string(i));
        EXPECT_EQ(house.kind, CityPiece::house);
        EXPECT_EQ(house.record, library.records[expected[i].record]);
        EXPECT_EQ(house.houseNumber, static_cast<int>(10 + i));
        EXPECT_EQ((std::vector<float>{house.x, house.z}),
                  (std::vector<float>{expected[i].x, expected[i].z}));
    }
}

}  // namespace
