// The city's layout as plain data: every object the builder creates, in
// creation order, with its position and constructor arguments. No GL here,
// so the layout can be checked without a window.
#pragma once

#include <vector>

#include "library/MonthQuarter.h"
#include "library/PictureLibrary.h"

// The grid: one row per year, one column per month.
constexpr float gridPitch = 120.0f;   // world units from one crossing to the next
constexpr int firstHouseNumber = 10;  // pick names below this are never houses

struct CityPiece {
    enum Kind { light, street, quarter, house, sign };

    Kind kind;
    float x, y, z;
    int objectKind = 0;            // Street::Kind or Sign::Kind
    int month = 0;                 // streets
    int year = 0;                  // streets
    int index = 0;                 // signs
    MonthQuarter* record = nullptr;   // houses, not owned
    int houseNumber = 0;           // houses
};

// The objects of the city for this library, in the order they must be
// created: the constructors of quarters and houses draw from rand(), so this
// order fixes every random choice of the city. Rows run from the earliest to
// the latest record year within span; year signs count from span.first.
std::vector<CityPiece> planCity(const std::vector<MonthQuarter*>& library,
                                const YearSpan& span = YearSpan());

// The longest sight line inside the city: from any point of its ground, or
// from high above it, to any other. The far plane must reach this far.
double cityViewDistance(const std::vector<CityPiece>& plan);

// The ground the plan covers, in world units, each piece with its reach.
struct CityGround {
    float minX, maxX, minZ, maxZ;
};
CityGround cityGround(const std::vector<CityPiece>& plan);
