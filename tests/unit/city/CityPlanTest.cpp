// The city's layout, checked on its plan: order, positions, house numbers
// and constructor arguments of every piece.
#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "city/CityPlan.h"
#include "scene/Sign.h"
#include "scene/Street.h"

namespace {

// Owns the records it makes, in library order.
class Library {
public:
    Library() = default;
    Library(std::initializer_list<std::array<int, 3>> dates)
    {
        for (const auto& date : dates)
            add(date[0], date[1], date[2]);
    }
    MonthQuarter* add(int year, int month, int quarter)
    {
        owned.emplace_back(new MonthQuarter(year, month, quarter,
                                            new std::vector<TextureName>{1, 2, 3},
                                            new std::vector<std::string>{"a", "b", "c"}));
        records.push_back(owned.back().get());
        return records.back();
    }
    std::vector<MonthQuarter*> records;

private:
    std::vector<std::unique_ptr<MonthQuarter>> owned;
};

float monthX(int m) { return 120.0f * static_cast<float>(m - 1); }
float rowZ(int k) { return 120.0f * static_cast<float>(k); }

void expectAt(const CityPiece& piece, CityPiece::Kind kind, float x, float y, float z)
{
    EXPECT_EQ(piece.kind, kind);
    EXPECT_EQ(piece.x, x);
    EXPECT_EQ(piece.y, y);
    EXPECT_EQ(piece.z, z);
}

void expectStreet(const CityPiece& piece, int kind, float x, float z, int month, int year)
{
    expectAt(piece, CityPiece::street, x, 0.0f, z);
    EXPECT_EQ(piece.objectKind, kind);
    EXPECT_EQ(piece.month, month);
    EXPECT_EQ(piece.year, year);
}

void expectSign(const CityPiece& piece, int kind, float x, float y, float z, int index)
{
    expectAt(piece, CityPiece::sign, x, y, z);
    EXPECT_EQ(piece.objectKind, kind);
    EXPECT_EQ(piece.index, index);
}

// The 12 north-south pieces and 13 tiles that open row k; returns the index after them.
size_t expectStreetsAndTiles(const std::vector<CityPiece>& plan, size_t at, int k, int year)
{
    for (int m = 1; m <= 12; m++, at++) {
        SCOPED_TRACE("north-south piece of month " + std::to_string(m));
        expectStreet(plan.at(at), Street::northSouth, monthX(m) + 35.0f, rowZ(k) - 25.0f, m, year);
    }
    for (int j = 0; j < 13; j++, at++) {
        SCOPED_TRACE("tile " + std::to_string(j));
        expectAt(plan.at(at), CityPiece::quarter, -25.0f + 120.0f * j, 0.0f, rowZ(k) - 25.0f);
    }
    return at;
}

// The 25 pieces of row k's east-west street; returns the index after them.
size_t expectEastWestStreet(const std::vector<CityPiece>& plan, size_t at, int k, int year)
{
    for (int m = 1; m <= 12; m++) {
        SCOPED_TRACE("east-west street, month " + std::to_string(m));
        expectStreet(plan.at(at++), Street::eastWest, monthX(m) - 25.0f, rowZ(k) + 35.0f, m, year);
        expectStreet(plan.at(at++), Street::crossing, monthX(m) + 35.0f, rowZ(k) + 35.0f, m, year);
    }
    expectStreet(plan.at(at++), Street::eastWest, 1415.0f, rowZ(k) + 35.0f, 12, year);
    return at;
}

// The signs of years first..last and the title; returns the index after them.
size_t expectSigns(const std::vector<CityPiece>& plan, size_t at, int first, int last)
{
    for (int year = first; year <= last; year++) {
        SCOPED_TRACE("month banners of " + std::to_string(year));
        float z = rowZ(year - first) + 34.5f;
        for (int m = 1; m <= 11; m++)
            expectSign(plan.at(at++), Sign::monthBanner, monthX(m) + 95.0f, 6.0f, z, m);
        expectSign(plan.at(at++), Sign::yearLabel, 1515.0f, 0.0f, z, year - 1998);
    }
    for (int year = first; year <= last; year++) {
        SCOPED_TRACE("year banners of " + std::to_string(year));
        for (int m = 1; m <= 12; m++) {
            expectSign(plan.at(at++), Sign::yearBanner, monthX(m) + 35.0f, 6.0f,
                       rowZ(year - first) - 25.0f, year - 1998);
            if (year == last)
                expectSign(plan.at(at++), Sign::monthLabel, monthX(m) + 35.5f, 0.0f, -125.0f, m);
        }
    }
    expectSign(plan.at(at++), Sign::title, -65.0f, 6.0f, 40.0f, 0);
    return at;
}

std::vector<const CityPiece*> housesOf(const std::vector<CityPiece>& plan)
{
    std::vector<const CityPiece*> houses;
    for (const CityPiece& piece : plan)
        if (piece.kind == CityPiece::house)
            houses.push_back(&piece);
    return houses;
}

int firstNonHouseAfter(const std::vector<CityPiece>& plan, size_t at)
{
    while (at < plan.size() && plan[at].kind == CityPiece::house)
        at++;
    return static_cast<int>(at);
}

// A city of rows year rows with houses houses: light, rows of 74 pieces
// (50 + 12 month banners and label + 12 year banners) plus houses, closing
// row, month labels, title.
size_t expectedSize(int rows, int houses)
{
    return 1 + 74 * rows + houses + 25 + (rows > 0 ? 12 : 0) + 1;
}

TEST(CityPlan, EmptyLibraryIsLightClosingRowAndTitle)
{
    std::vector<CityPiece> plan = planCity({});
    ASSERT_EQ(plan.size(), 27u);
    expectAt(plan[0], CityPiece::light, 12.5f, 25.0f, 12.5f);
    size_t at = expectStreetsAndTiles(plan, 1, 0, -1);
    EXPECT_EQ(expectSigns(plan, at, 9999, 0), plan.size());
}

TEST(CityPlan, OneRecordGivesOneFullRow)
{
    Library library{{2005, 7, 1}};
    std::vector<CityPiece> plan = planCity(library.records);
    ASSERT_EQ(plan.size(), 114u);
    expectAt(plan[0], CityPiece::light, 12.5f, 25.0f, 12.5f);
    size_t at = expectStreetsAndTiles(plan, 1, 0, 2005);
    expectAt(plan.at(at), CityPiece::house, 720.0f, 0.0f, 0.0f);
    EXPECT_EQ(plan[at].record, library.records[0]);
    EXPECT_EQ(plan[at].houseNumber, 10);
    at = expectEastWestStreet(plan, at + 1, 0, 2005);
    at = expectStreetsAndTiles(plan, at, 1, 2005);
    EXPECT_EQ(expectSigns(plan, at, 2005, 2005), plan.size());
}

TEST(CityPlan, QuartersStandAtTheFourCornersOfTheirCrossing)
{
    struct Case { int quarter; float dx; float dz; bool beforeStreet; };
    const Case cases[] = {
        {1, 0.0f, 0.0f, true}, {2, 0.0f, 70.0f, false},
        {3, 70.0f, 0.0f, true}, {4, 70.0f, 70.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("quarter " + std::to_string(c.quarter));
        Library library{{2000, 3, c.quarter}};
        std::vector<CityPiece> plan = planCity(library.records);
        ASSERT_EQ(plan.size(), 114u);
        size_t at = c.beforeStreet ? 26 : 51;   // after the tiles, or after the east-west street
        expectAt(plan.at(at), CityPiece::house, monthX(3) + c.dx, 0.0f, c.dz);
        EXPECT_EQ(plan[at].houseNumber, 10);
        expectEastWestStreet(plan, c.beforeStreet ? 27 : 26, 0, 2000);
    }
}

TEST(CityPlan, YearWithoutRecordsStillGetsItsRow)
{
    Library library{{2003, 1, 1}, {2005, 12, 4}};
    std::vector<CityPiece> plan = planCity(library.records);
    ASSERT_EQ(plan.size(), expectedSize(3, 2));
    size_t at = expectStreetsAndTiles(plan, 1, 0, 2003);
    expectAt(plan.at(at), CityPiece::house, 0.0f, 0.0f, 0.0f);
    at = expectEastWestStreet(plan, at + 1, 0, 2003);
    at = expectStreetsAndTiles(plan, at, 1, 2004);
    at = expectEastWestStreet(plan, at, 1, 2004);
    at = expectStreetsAndTiles(plan, at, 2, 2005);
    at = expectEastWestStreet(plan, at, 2, 2005);
    expectAt(plan.at(at), CityPiece::house, monthX(12) + 70.0f, 0.0f, rowZ(2) + 70.0f);
    EXPECT_EQ(plan[at].houseNumber, 11);
    at = expectStreetsAndTiles(plan, at + 1, 3, 2005);
    EXPECT_EQ(expectSigns(plan, at, 2003, 2005), plan.size());
}

TEST(CityPlan, YearsOutsideTheCityBuildOnlyTheClosingRow)
{
    struct Case { std::vector<std::array<int, 3>> dates; int closingYear; };
    const Case cases[] = {
        {{{1997, 5, 1}}, 1997},
        {{{2011, 5, 1}}, 2011},
        {{{1990, 1, 1}, {2050, 2, 2}}, 2050},
        {{{2050, 2, 2}, {0, 0, 0}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("closing year " + std::to_string(c.closingYear));
        Library library;
        for (const auto& date : c.dates)
            library.add(date[0], date[1], date[2]);
        std::vector<CityPiece> plan = planCity(library.records);
        ASSERT_EQ(plan.size(), 27u);
        size_t at = expectStreetsAndTiles(plan, 1, 0, c.closingYear);
        EXPECT_EQ(expectSigns(plan, at, 9999, 0), plan.size());
    }
}

TEST(CityPlan, RangeRunsFrom1998To2010)
{
    struct Case { std::vector<std::array<int, 3>> dates; int first; int last; int houses; };
    const Case cases[] = {
        {{{2010, 1, 1}, {2011, 1, 1}}, 2010, 2010, 1},
        {{{2011, 1, 1}, {2009, 1, 1}, {2010, 6, 2}}, 2009, 2010, 2},
        {{{1997, 1, 1}, {1998, 1, 1}}, 1998, 1998, 1},
        {{{2010, 1, 1}, {1998, 1, 1}}, 1998, 2010, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " to " + std::to_string(c.last));
        Library library;
        for (const auto& date : c.dates)
            library.add(date[0], date[1], date[2]);
        std::vector<CityPiece> plan = planCity(library.records);
        int rows = c.last - c.first + 1;
        ASSERT_EQ(plan.size(), expectedSize(rows, c.houses));
        ASSERT_EQ(housesOf(plan).size(), static_cast<size_t>(c.houses));
        size_t signsAt = plan.size() - (12 * rows + 12 * rows + 12 + 1);
        expectStreetsAndTiles(plan, signsAt - 25, rows, c.dates.back()[0]);
        EXPECT_EQ(expectSigns(plan, signsAt, c.first, c.last), plan.size());
    }
}

TEST(CityPlan, MonthsAndQuartersOffTheGridWidenTheRangeWithoutHouses)
{
    const std::array<int, 3> offGrid[] = {{2005, 13, 1}, {2005, 0, 1}, {2005, 1, 5}, {2005, 1, 0}};
    for (const auto& date : offGrid) {
        SCOPED_TRACE("month " + std::to_string(date[1]) + " quarter " + std::to_string(date[2]));
        Library library{{2003, 1, 1}};
        library.add(date[0], date[1], date[2]);
        std::vector<CityPiece> plan = planCity(library.records);
        EXPECT_EQ(plan.size(), expectedSize(3, 1));
        EXPECT_EQ(housesOf(plan).size(), 1u);
    }
}

TEST(CityPlan, RecordsAtOnePlaceGetOneHouseEachWithConsecutiveNumbers)
{
    Library library{{2005, 7, 1}, {2005, 7, 1}};
    std::vector<CityPiece> plan = planCity(library.records);
    std::vector<const CityPiece*> houses = housesOf(plan);
    ASSERT_EQ(houses.size(), 2u);
    for (int i = 0; i < 2; i++) {
        expectAt(*houses[i], CityPiece::house, 720.0f, 0.0f, 0.0f);
        EXPECT_EQ(houses[i]->record, library.records[i]);
        EXPECT_EQ(houses[i]->houseNumber, 10 + i);
    }
    EXPECT_EQ(firstNonHouseAfter(plan, 26), 28);
}

TEST(CityPlan, HousesAreNumberedRowByRowMonthByMonth)
{
    Library library;
    MonthQuarter* may2q2 = library.add(2005, 2, 2);
    MonthQuarter* jan5q3 = library.add(2005, 1, 3);
    MonthQuarter* feb5q1 = library.add(2005, 2, 1);
    MonthQuarter* dec4q4 = library.add(2004, 12, 4);
    MonthQuarter* jan5q1 = library.add(2005, 1, 1);
    MonthQuarter* jan5q4 = library.add(2005, 1, 4);
    MonthQuarter* jan4q1 = library.add(2004, 1, 1);
    struct Expected { MonthQuarter* record; float x; float z; };
    const Expected expected[] = {
        {jan4q1, 0.0f, 0.0f},        {dec4q4, 1390.0f, 70.0f},
        {jan5q1, 0.0f, 120.0f},      {jan5q3, 70.0f, 120.0f},
        {feb5q1, 120.0f, 120.0f},    {jan5q4, 70.0f, 190.0f},
        {may2q2, 120.0f, 190.0f},
    };
    std::vector<CityPiece> plan = planCity(library.records);
    std::vector<const CityPiece*> houses = housesOf(plan);
    ASSERT_EQ(houses.size(), std::size(expected));
    for (size_t i = 0; i < houses.size(); i++) {
        SCOPED_TRACE("house " + std::to_string(i));
        EXPECT_EQ(houses[i]->record, expected[i].record);
        EXPECT_EQ(houses[i]->houseNumber, static_cast<int>(10 + i));
        expectAt(*houses[i], CityPiece::house, expected[i].x, 0.0f, expected[i].z);
    }
}

}  // namespace
