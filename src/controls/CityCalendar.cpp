// The time keys' targets over the city's crossings and houses.
#include "controls/CityCalendar.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <tuple>

#include "calendar/Calendar.h"
#include "controls/DatePrompt.h"
#include "scene/Angles.h"
#include "scene/House.h"
#include "scene/Street.h"

namespace {

bool before(const CalendarHouse& a, const CalendarHouse& b)
{
    return std::tie(a.year, a.month, a.quarter) < std::tie(b.year, b.month, b.quarter);
}

// The month's house of this quarter, else its first house, else none.
const CalendarHouse* houseOfMonth(const CityCalendar& calendar, int year, int month, int quarter)
{
    const CalendarHouse* first = nullptr;
    for (const CalendarHouse& h : calendar.houses()) {
        if (h.year != year || h.month != month)
            continue;
        if (h.quarter == quarter)
            return &h;
        if (first == nullptr)
            first = &h;
    }
    return first;
}

TimeTarget monthTarget(const CityCalendar& calendar, int year, int month, int quarter)
{
    TimeTarget target;
    target.crossing = calendar.crossing(year, month);
    if (target.crossing != nullptr)
        target.house = houseOfMonth(calendar, year, month, quarter);
    return target;
}

TimeTarget houseAt(const CityCalendar& calendar, int index)
{
    const CalendarHouse& house = calendar.houses()[static_cast<std::size_t>(index)];
    TimeTarget target;
    target.crossing = calendar.crossing(house.year, house.month);
    if (target.crossing != nullptr)
        target.house = &house;
    return target;
}

TimeTarget refusal(const std::string& why)
{
    TimeTarget target;
    target.note = why;
    return target;
}

}  // namespace

CityCalendar::CityCalendar(std::vector<CalendarCrossing> crossings_,
                           std::vector<CalendarHouse> houses)
    : crossings(std::move(crossings_)), timeOrder(std::move(houses))
{
    std::stable_sort(timeOrder.begin(), timeOrder.end(), before);
}

bool CityCalendar::hasYear(int year) const
{
    return std::any_of(crossings.begin(), crossings.end(),
                       [year](const CalendarCrossing& c) { return c.year == year; });
}

const CalendarCrossing* CityCalendar::crossing(int year, int month) const
{
    for (const CalendarCrossing& c : crossings) {
        if (c.year == year && c.month == month)
            return &c;
    }
    return nullptr;
}

int CityCalendar::indexOf(const SceneObject* house) const
{
    if (house == nullptr)
        return -1;
    for (std::size_t i = 0; i < timeOrder.size(); ++i) {
        if (timeOrder[i].house == house)
            return static_cast<int>(i);
    }
    return -1;
}

CityCalendar calendarOf(const std::vector<SceneObject*>& objects)
{
    std::vector<CalendarCrossing> crossings;
    std::vector<CalendarHouse> houses;
    for (SceneObject* object : objects) {
        if (const Street* street = dynamic_cast<const Street*>(object)) {
            if (street->kind == Street::crossing)
                crossings.push_back({street->year, street->month, street->x, street->z});
        } else if (House* house = dynamic_cast<House*>(object)) {
            const MonthQuarter* record = house->getRecord();
            houses.push_back({record->getYear(), record->getMonth(), record->getQuarter(),
                              house->x, house->z, house});
        }
    }
    return CityCalendar(std::move(crossings), std::move(houses));
}

TimeTarget dateTarget(const CityCalendar& calendar, const std::string& typed)
{
    CalendarDate date;
    if (!parseDate(typed, &date))
        return refusal("type YYYY-MM-DD");
    if (!calendar.hasYear(date.year))
        return refusal("no photos in " + typed.substr(0, 4));
    if (date.month == 0) {
        // A bare year: its first house, wherever in the year that stands.
        for (int at = 0; at < static_cast<int>(calendar.houses().size()); ++at)
            if (calendar.houses()[static_cast<std::size_t>(at)].year == date.year)
                return houseAt(calendar, at);
        TimeTarget january = monthTarget(calendar, date.year, 1, 0);
        january.note = "no photos in " + std::to_string(date.year);
        return january;
    }
    TimeTarget target = monthTarget(calendar, date.year, date.month, date.day == 0 ? 0 : quarterOfDay(date.day));
    if (target.crossing != nullptr && target.house == nullptr)
        target.note = std::string("no photos in ") + monthName(date.month) + " " + std::to_string(date.year);
    return target;
}

TimeTarget stepTarget(const CityCalendar& calendar, const TimePoint& from, int direction)
{
    assert(direction == 1 || direction == -1);
    const std::vector<CalendarHouse>& houses = calendar.houses();
    const int count = static_cast<int>(houses.size());
    const int at = calendar.indexOf(from.house);
    int next = -1;
    if (at >= 0) {
        next = at + direction;
    } else if (direction > 0) {
        // Nothing selected: the month the walker stands in counts.
        next = 0;
        while (next < count && std::tie(houses[next].year, houses[next].month) < std::tie(from.year, from.month))
            ++next;
    } else {
        next = count - 1;
        while (next >= 0 && std::tie(houses[next].year, houses[next].month) > std::tie(from.year, from.month))
            --next;
    }
    if (next < 0)
        return refusal("no earlier house");
    if (next >= count)
        return refusal("no later house");
    return houseAt(calendar, next);
}

TimeTarget yearTarget(const CityCalendar& calendar, const TimePoint& from, int direction)
{
    if (from.month == 0)
        return TimeTarget();   // nowhere to count from
    const int year = from.year + direction;
    if (!calendar.hasYear(year))
        return refusal("no photos in " + std::to_string(year));
    return monthTarget(calendar, year, from.month, from.quarter);
}

TimeTarget endTarget(const CityCalendar& calendar, bool last)
{
    if (calendar.houses().empty())
        return refusal("no houses in this city");
    return houseAt(calendar, last ? static_cast<int>(calendar.houses().size()) - 1 : 0);
}

TimeTarget houseTarget(const CityCalendar& calendar, const SceneObject* house)
{
    const int at = calendar.indexOf(house);
    return at < 0 ? TimeTarget() : houseAt(calendar, at);
}

Landing landingOf(const TimeTarget& target, float yaw)
{
    assert(target.crossing != nullptr);
    // The crossing's middle: every house of the grid stands 35 units off it
    // in both directions, well clear of its walls.
    Landing landing{target.crossing->x, target.crossing->z, yaw};
    if (target.house != nullptr) {
        // At yaw 0 the walker looks down -z, at 90 down +x.
        const double dx = target.house->x - landing.x;
        const double dz = target.house->z - landing.z;
        landing.yaw = static_cast<float>(std::atan2(dx, -dz) * 180.0 / walkerPi);
        if (landing.yaw < 0.0f)
            landing.yaw += 360.0f;
    }
    return landing;
}
