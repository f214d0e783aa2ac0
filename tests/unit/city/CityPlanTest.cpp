// The city's layout, checked on its plan: what each row holds, where rows,
// crossings, tiles and houses lie, and how houses are numbered.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "city/CityPlan.h"
#include "scene/Sign.h"
#include "scene/Street.h"

namespace {

using Date = std::array<int, 3>;   // year, month, quarter

// Records with these dates, in this order. Plans point into them, so they
// live on, as in the viewer, until this program ends.
std::vector<MonthQuarter*> recordsOf(const std::vector<Date>& dates)
{
    static std::vector<std::unique_ptr<MonthQuarter>> kept;
    std::vector<MonthQuarter*> records;
    for (const Date& d : dates) {
        kept.emplace_back(new MonthQuarter(d[0], d[1], d[2], std::vector<TextureName>{ 1 }, std::vector<std::string>{ "a" }));
        records.push_back(kept.back().get());
    }
    return records;
}

TEST(CityPlan, OneRecordGivesOneFullRowOnTheGrid)
{
    const std::vector<CityPiece> plan = planCity(recordsOf({ { 2005, 7, 1 } }));
    // The light goes first (it lights what follows) and the title last.
    EXPECT_EQ(plan.front().kind, CityPiece::light);
    EXPECT_EQ(std::make_pair(plan.back().kind, plan.back().objectKind), std::make_pair(CityPiece::sign, int(Sign::title)));
    std::map<std::pair<int, int>, int> counts;   // kind and object kind
    for (const CityPiece& p : plan) {
        ++counts[{ p.kind, p.kind == CityPiece::street || p.kind == CityPiece::sign ? p.objectKind : 0 }];
        if (p.kind == CityPiece::street && p.objectKind == Street::crossing) {   // every month's on the grid
            EXPECT_EQ(std::make_pair(p.x, p.year), std::make_pair(35.0f + 120.0f * float(p.month - 1), 2005));
        } else if (p.kind == CityPiece::quarter) {   // tiles between the streets
            EXPECT_EQ(std::fmod(p.x + 25.0f, 120.0f), 0.0f) << p.x;
        }
    }
    // A row and the closing row: streets both sides of 12 months and 13 tiles
    // each; banners and labels for every month, one year label.
    const std::map<std::pair<int, int>, int> expected = {
        { { CityPiece::light, 0 }, 1 },   { { CityPiece::street, Street::northSouth }, 24 }, { { CityPiece::street, Street::eastWest }, 13 },
        { { CityPiece::street, Street::crossing }, 12 }, { { CityPiece::quarter, 0 }, 26 }, { { CityPiece::house, 0 }, 1 },
        { { CityPiece::sign, Sign::monthBanner }, 11 },  { { CityPiece::sign, Sign::monthLabel }, 12 },
        { { CityPiece::sign, Sign::yearBanner }, 12 },   { { CityPiece::sign, Sign::yearLabel }, 1 }, { { CityPiece::sign, Sign::title }, 1 },
    };
    EXPECT_EQ(counts, expected);
}

TEST(CityPlan, RowsSpanTheRecordYearsWithinTheYearSpan)
{
    // rows: the years of the rows, then the closing row's (the last record's year).
    const std::vector<Date> decade = { { 2014, 5, 1 }, { 2016, 2, 3 }, { 2024, 12, 4 }, { 2010, 6, 2 }, { 2015, 1, 1 }, { 2025, 3, 3 } };
    const struct { std::vector<Date> dates; std::vector<int> rows; size_t houses; YearSpan span = YearSpan(); } cases[] = {
        { {}, { -1 }, 0 }, { { { 1990, 1, 1 }, { 2050, 2, 2 } }, { 2050 }, 0 },
        { { { 2010, 1, 1 }, { 2011, 1, 1 } }, { 2010, 2011 }, 1 }, { { { 1997, 1, 1 }, { 1998, 1, 1 } }, { 1998, 1998 }, 1 },
        { { { 2003, 1, 1 }, { 2005, 12, 4 } }, { 2003, 2004, 2005, 2005 }, 2 }, { { { 2003, 1, 1 }, { 2005, 13, 1 } }, { 2003, 2004, 2005, 2005 }, 1 },
        { decade, { 2015, 2016, 2017, 2018, 2019, 2020, 2021, 2022, 2023, 2024, 2025 }, 3, { 2015, 2024 } }, { decade, { 2010, 2025 }, 1 },
        { { { 1900, 1, 1 }, { 1959, 1, 1 } }, { 1900, 1959 }, 1, { 1900, 1950 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        const std::vector<CityPiece> plan = planCity(recordsOf(c.dates), c.span);
        // Light, 74 pieces a row, houses (none off the grid), closing row, month labels, title.
        const size_t rows = c.rows.size() - 1;
        EXPECT_EQ(plan.size(), 1 + 74 * rows + c.houses + 25 + (rows > 0 ? 12 : 0) + 1);
        // Year and row offset (120 k) of each row's first north-south piece, year label and first year banner.
        std::vector<std::pair<int, float>> rowYears, labelYears, bannerYears, expected;
        for (const CityPiece& p : plan) {
            if (p.kind == CityPiece::street && p.objectKind == Street::northSouth && p.month == 1)
                rowYears.push_back({ p.year, p.z + 25.0f });
            if (p.kind == CityPiece::sign && p.objectKind == Sign::yearLabel)
                labelYears.push_back({ c.span.first + p.index, p.z - 34.5f });
            if (p.kind == CityPiece::sign && p.objectKind == Sign::yearBanner && p.x == 35.0f)
                bannerYears.push_back({ c.span.first + p.index, p.z + 25.0f });
            if (!p.record)
                continue;   // a house: quarters 1 to 4 at +(0, 0), +(0, 70), +(70, 0), +(70, 70) from its month and row
            EXPECT_EQ(std::make_pair(p.x, p.z), std::make_pair(120.0f * float(p.record->getMonth() - 1) + (p.record->getQuarter() > 2 ? 70.0f : 0.0f),
                                                               120.0f * float(p.record->getYear() - c.rows[0]) + (p.record->getQuarter() % 2 ? 0.0f : 70.0f)));
        }
        for (size_t k = 0; k < c.rows.size(); k++)
            expected.push_back({ c.rows[k], 120.0f * float(k) });
        EXPECT_EQ(rowYears, expected);
        expected.pop_back();
        EXPECT_EQ(std::make_pair(labelYears, bannerYears), std::make_pair(expected, expected));
    }
}

// Across 60 years: x from -75 (first tiles) to 1565 (year labels), z from -175 (month labels) to 120 * 60 + 25, 1000 up.
TEST(CityPlan, SightSpansTheWholeCity)
{
    const double deep = cityViewDistance(planCity(recordsOf({ { 1950, 1, 1 }, { 2009, 1, 1 } }), { 1950, 2009 }));
    EXPECT_GE(deep, std::hypot(std::hypot(1640.0, 120.0 * 60 + 25 + 175), 1000.0));
    EXPECT_LE(deep, 8000.0);
    EXPECT_LE(cityViewDistance(planCity(recordsOf({ { 1998, 1, 1 }, { 2010, 1, 1 } }))), 5000.0);   // today's far plane suffices
}

TEST(CityPlan, HousesStandAtTheirQuarterCornersNumberedRowByRowThenInLibraryOrder)
{
    const std::vector<MonthQuarter*> records = recordsOf({ { 2005, 2, 2 }, { 2005, 1, 3 }, { 2005, 2, 1 }, { 2003, 12, 4 },
                                                           { 2005, 1, 1 }, { 2005, 1, 4 }, { 2003, 1, 1 }, { 2005, 1, 3 } });
    const std::vector<CityPiece> plan = planCity(records);
    // Library index and place of each house in plan order, numbered from 10.
    // Quarters 1 to 4 stand at +(0, 0), +(0, 70), +(70, 0), +(70, 70); 2005 is the third row.
    const struct { int record; float x, z; } houses[] = {
        { 6, 0, 0 }, { 3, 1390, 70 }, { 4, 0, 240 }, { 1, 70, 240 }, { 7, 70, 240 }, { 2, 120, 240 }, { 5, 70, 310 }, { 0, 120, 310 },
    };
    std::vector<std::tuple<const MonthQuarter*, int, float, float>> seen, expected;
    for (const CityPiece& p : plan)
        if (p.kind == CityPiece::house)
            seen.emplace_back(p.record, p.houseNumber, p.x, p.z);
    for (const auto& h : houses)
        expected.emplace_back(records[h.record], 10 + int(expected.size()), h.x, h.z);
    EXPECT_EQ(seen, expected);
}

}  // namespace
