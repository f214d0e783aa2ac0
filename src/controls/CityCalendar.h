// The city read as a calendar: which crossing stands for which month, the
// houses in time order, and where each of the time keys goes (a typed date,
// the next or previous house, a year back or on, the first and last house).
// Plain data, so every target can be checked without a window.
#pragma once

#include <string>
#include <vector>

class SceneObject;

// The street crossing of one month of one year, and where it lies.
struct CalendarCrossing {
    int year;
    int month;
    float x, z;
};

// A house, by the date of its record, and where it stands.
struct CalendarHouse {
    int year;
    int month;
    int quarter;
    float x, z;
    SceneObject* house;   // not owned
};

class CityCalendar {
public:
    CityCalendar() = default;
    // Puts the houses into time order; houses of the same quarter keep the
    // order they are given in.
    CityCalendar(std::vector<CalendarCrossing> crossings, std::vector<CalendarHouse> houses);

    // Whether the city has a row for the year.
    bool hasYear(int year) const;
    const CalendarCrossing* crossing(int year, int month) const;
    const std::vector<CalendarCrossing>& allCrossings() const { return crossings; }
    // In time order.
    const std::vector<CalendarHouse>& houses() const { return timeOrder; }
    // The index in houses() of this house, or -1.
    int indexOf(const SceneObject* house) const;

private:
    std::vector<CalendarCrossing> crossings;
    std::vector<CalendarHouse> timeOrder;
};

// The crossings and houses among the city's objects.
CityCalendar calendarOf(const std::vector<SceneObject*>& objects);

// Where the time keys count from: the selected house, else the month of
// the crossing nearest the walker (quarter 0, no house).
struct TimePoint {
    int year = 0;
    int month = 0;
    int quarter = 0;
    const SceneObject* house = nullptr;
};

// Where a jump goes: the crossing to land on and the house to face and
// select (none: the selection is cleared). Without a crossing nothing
// moves, and the note says why (it may be empty); with one, a note says
// why no house is selected.
struct TimeTarget {
    const CalendarCrossing* crossing = nullptr;
    const CalendarHouse* house = nullptr;
    std::string note;
};

// A typed date: a bare year's first house; else the crossing of its month,
// facing the house of the day's quarter or else the month's first house,
// with a note where the month (or the year) has no photos.
TimeTarget dateTarget(const CityCalendar& calendar, const std::string& typed);
// The next (direction +1) or previous (-1) house in time.
TimeTarget stepTarget(const CityCalendar& calendar, const TimePoint& from, int direction);
// The same month a year on (+1) or back (-1), in the same quarter if it has
// a house there.
TimeTarget yearTarget(const CityCalendar& calendar, const TimePoint& from, int direction);
// The first or the last house of the library.
TimeTarget endTarget(const CityCalendar& calendar, bool last);
// This house, from wherever the walker is.
TimeTarget houseTarget(const CityCalendar& calendar, const SceneObject* house);

// Where the walker's eye comes down for a target, on the street, and the
// yaw (degrees) that faces its house; without a house the yaw stays.
struct Landing {
    float x, z;
    float yaw;
};
Landing landingOf(const TimeTarget& target, float yaw);
