// The city's layout: year rows of streets, tiles and houses, a closing row,
// then the signs. Positions follow the 120-unit grid; x grows with the
// month, z with the year.
#include "city/CityPlan.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "scene/Sign.h"
#include "scene/Street.h"

namespace {

constexpr int monthsPerYear = 12;
constexpr int tilesPerRow = 13;        // one more than the months: the row's far end
constexpr float houseOffset = 70.0f;   // from a crossing's first house to the next one
constexpr float bannerHeight = 6.0f;
// Tiles and labels reach this far from their centres.
constexpr double largestHalfSize = 50.0;
// Room above the ground for the overview camera and a rising walker.
constexpr double viewHeight = 1000.0;

// Left edge of month m's column; the crossing's centre is 35 further.
float columnX(int m)
{
    return gridPitch * static_cast<float>(m - 1);
}

float rowZ(int k)
{
    return gridPitch * static_cast<float>(k);
}

struct YearRange {
    int first = 9999;
    int last = 0;
    int rows() const { return first > last ? 0 : last - first + 1; }
};

YearRange yearRange(const std::vector<MonthQuarter*>& library, const YearSpan& span)
{
    YearRange range;
    for (const MonthQuarter* record : library) {
        assert(record != nullptr);
        int year = record->getYear();
        if (year >= span.first && year < range.first)
            range.first = year;
        if (year > range.last && year <= span.last)
            range.last = year;
    }
    return range;
}

class Planner {
public:
    explicit Planner(const std::vector<MonthQuarter*>& library) : library(library) {}

    void add(CityPiece::Kind kind, float x, float y, float z)
    {
        pieces.push_back(CityPiece{kind, x, y, z});
    }

    void addStreet(int kind, float x, float z, int month, int year)
    {
        add(CityPiece::street, x, 0.0f, z);
        pieces.back().objectKind = kind;
        pieces.back().month = month;
        pieces.back().year = year;
    }

    void addSign(int kind, float x, float y, float z, int index)
    {
        add(CityPiece::sign, x, y, z);
        pieces.back().objectKind = kind;
        pieces.back().index = index;
    }

    // The north-south pieces leading into row k and the row's ground tiles.
    void addStreetsAndTiles(int k, int year)
    {
        for (int m = 1; m <= monthsPerYear; m++)
            addStreet(Street::northSouth, columnX(m) + 35.0f, rowZ(k) - 25.0f, m, year);
        for (int j = 0; j < tilesPerRow; j++)
            add(CityPiece::quarter, -25.0f + gridPitch * static_cast<float>(j), 0.0f,
                rowZ(k) - 25.0f);
    }

    void addEastWestStreet(int k, int year)
    {
        float z = rowZ(k) + 35.0f;
        for (int m = 1; m <= monthsPerYear; m++) {
            addStreet(Street::eastWest, columnX(m) - 25.0f, z, m, year);
            addStreet(Street::crossing, columnX(m) + 35.0f, z, m, year);
        }
        addStreet(Street::eastWest, columnX(monthsPerYear + 1) - 25.0f, z, monthsPerYear, year);
    }

    // One house row of a year: the west quarter's houses and then the east
    // quarter's, month by month. Every matching record gets its own house,
    // even several at one place.
    void addHouseRow(int year, float z, int westQuarter, int eastQuarter)
    {
        for (int m = 1; m <= monthsPerYear; m++) {
            addHouses(year, m, westQuarter, columnX(m), z);
            addHouses(year, m, eastQuarter, columnX(m) + houseOffset, z);
        }
    }

    void addHouses(int year, int month, int quarter, float x, float z)
    {
        for (MonthQuarter* record : library) {
            if (record->getYear() != year || record->getMonth() != month
                || record->getQuarter() != quarter)
                continue;
            add(CityPiece::house, x, 0.0f, z);
            pieces.back().record = record;
            pieces.back().houseNumber = houseNumber++;
        }
    }

    const std::vector<MonthQuarter*>& library;
    std::vector<CityPiece> pieces;
    int houseNumber = firstHouseNumber;
};

void planSigns(Planner* plan, const YearRange& range, const YearSpan& span)
{
    for (int year = range.first; year <= range.last; year++) {
        float z = rowZ(year - range.first) + 34.5f;
        for (int m = 1; m < monthsPerYear; m++)
            plan->addSign(Sign::monthBanner, columnX(m) + 95.0f, bannerHeight, z, m);
        plan->addSign(Sign::yearLabel, 1515.0f, 0.0f, z, year - span.first);
    }
    // The month labels are made together with the last year's banners; the
    // order matters only because it is the creation order.
    for (int year = range.first; year <= range.last; year++) {
        float z = rowZ(year - range.first) - 25.0f;
        for (int m = 1; m <= monthsPerYear; m++) {
            plan->addSign(Sign::yearBanner, columnX(m) + 35.0f, bannerHeight, z,
                          year - span.first);
            if (year == range.last)
                plan->addSign(Sign::monthLabel, columnX(m) + 35.5f, 0.0f, -125.0f, m);
        }
    }
    plan->addSign(Sign::title, -65.0f, bannerHeight, 40.0f, 0);
}

}  // namespace

std::vector<CityPiece> planCity(const std::vector<MonthQuarter*>& library, const YearSpan& span)
{
    Planner plan(library);
    plan.add(CityPiece::light, 12.5f, 25.0f, 12.5f);

    YearRange range = yearRange(library, span);
    for (int year = range.first; year <= range.last; year++) {
        int k = year - range.first;
        plan.addStreetsAndTiles(k, year);
        plan.addHouseRow(year, rowZ(k), 1, 3);
        plan.addEastWestStreet(k, year);
        plan.addHouseRow(year, rowZ(k) + houseOffset, 2, 4);
    }

    // The closing row carries the last record's year even when that year
    // lies outside the city: it is what the walker sees past the last row.
    int closingYear = library.empty() ? -1 : library.back()->getYear();
    plan.addStreetsAndTiles(range.rows(), closingYear);

    planSigns(&plan, range, span);
    return plan.pieces;
}

CityGround cityGround(const std::vector<CityPiece>& plan)
{
    double minX = 0.0, maxX = 0.0, minZ = 0.0, maxZ = 0.0;
    for (const CityPiece& piece : plan) {
        minX = std::min(minX, double(piece.x));
        maxX = std::max(maxX, double(piece.x));
        minZ = std::min(minZ, double(piece.z));
        maxZ = std::max(maxZ, double(piece.z));
    }
    return CityGround{float(minX - largestHalfSize), float(maxX + largestHalfSize),
                      float(minZ - largestHalfSize), float(maxZ + largestHalfSize)};
}

double cityViewDistance(const std::vector<CityPiece>& plan)
{
    const CityGround ground = cityGround(plan);
    const double width = double(ground.maxX) - ground.minX;
    const double depth = double(ground.maxZ) - ground.minZ;
    return std::sqrt(width * width + depth * depth + viewHeight * viewHeight);
}
