// The city's layout, checked on its plan: order, positions, house numbers
// and constructor arguments of every piece.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
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
    // count pieces from index at, every stride-th; x and arg (street month,
    // sign index or house number) grow by dx and dArg from one to the next.
    const struct { int at, count, stride; CityPiece::Kind kind; int objectKind; float x, dx, y, z; int arg, dArg; } runs[] = {
        { 0, 1, 1, CityPiece::light, 0, 12.5f, 0, 25, 12.5f, 0, 0 }, { 1, 12, 1, CityPiece::street, Street::northSouth, 35, 120, 0, -25, 1, 1 },
        { 13, 13, 1, CityPiece::quarter, 0, -25, 120, 0, -25, 0, 0 }, { 26, 1, 1, CityPiece::house, 0, 720, 0, 0, 0, 10, 0 },
        { 27, 12, 2, CityPiece::street, Street::eastWest, -25, 120, 0, 35, 1, 1 }, { 28, 12, 2, CityPiece::street, Street::crossing, 35, 120, 0, 35, 1, 1 },
        { 51, 1, 1, CityPiece::street, Street::eastWest, 1415, 0, 0, 35, 12, 0 }, { 52, 12, 1, CityPiece::street, Street::northSouth, 35, 120, 0, 95, 1, 1 },
        { 64, 13, 1, CityPiece::quarter, 0, -25, 120, 0, 95, 0, 0 }, { 77, 11, 1, CityPiece::sign, Sign::monthBanner, 95, 120, 6, 34.5f, 1, 1 },
        { 88, 1, 1, CityPiece::sign, Sign::yearLabel, 1515, 0, 0, 34.5f, 7, 0 }, { 89, 12, 2, CityPiece::sign, Sign::yearBanner, 35, 120, 6, -25, 7, 0 },
        { 90, 12, 2, CityPiece::sign, Sign::monthLabel, 35.5f, 120, 0, -125, 1, 1 }, { 113, 1, 1, CityPiece::sign, Sign::title, -65, 0, 6, 40, 0, 0 },
    };
    const std::vector<CityPiece> plan = planCity(recordsOf({ { 2005, 7, 1 } }));
    ASSERT_EQ(plan.size(), 114u);
    for (const auto& r : runs)
        for (int i = 0; i < r.count; i++) {
            const CityPiece& p = plan.at(r.at + i * r.stride);
            const int arg = p.kind == CityPiece::street ? p.month : p.kind == CityPiece::sign ? p.index : p.houseNumber;
            EXPECT_EQ((std::vector<float>{ float(p.kind), float(p.objectKind), float(arg), float(p.year), p.x, p.y, p.z }),
                      (std::vector<float>{ float(r.kind), float(r.objectKind), float(r.arg + r.dArg * i),
                                           r.kind == CityPiece::street ? 2005.0f : 0.0f, r.x + r.dx * i, r.y, r.z }))
                << "piece " << r.at + i * r.stride;
        }
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
    // House number, plan index and library index of each house. Quarters 1
    // to 4 stand at +(0, 0), +(0, 70), +(70, 0), +(70, 70); 2005 is the third row.
    const struct { int number, at, record; float x, z; } houses[] = {
        { 10, 26, 6, 0, 0 }, { 11, 52, 3, 1390, 70 }, { 12, 128, 4, 0, 240 }, { 13, 129, 1, 70, 240 },
        { 14, 130, 7, 70, 240 }, { 15, 131, 2, 120, 240 }, { 16, 157, 5, 70, 310 }, { 17, 158, 0, 120, 310 },
    };
    ASSERT_EQ(plan.size(), 1 + 74 * 3 + std::size(houses) + 25 + 12 + 1);
    for (const auto& h : houses) {
        const CityPiece& p = plan.at(h.at);
        EXPECT_EQ(std::make_tuple(p.kind, p.record, p.houseNumber, p.x, p.z),
                  std::make_tuple(CityPiece::house, records[h.record], h.number, h.x, h.z)) << "house " << h.number;
    }
}

}  // namespace
