// A small city as a calendar, laid out on the viewer's grid: rows for 2001
// to 2003, 2002 without a house, months and quarters left empty here and
// there. The houses are bare scene objects: only their identity counts.
#pragma once

#include <memory>
#include <vector>

#include "controls/CityCalendar.h"
#include "scene/SceneObject.h"

namespace support {

struct Marker : SceneObject {
    void draw(double) override {}
};

struct CalendarCity {
    struct Place { int year, month, quarter; };
    // Given out of time order, as the builder's rows give them.
    static constexpr Place places[] = {
        {2001, 1, 3}, {2001, 1, 1}, {2001, 3, 2}, {2003, 12, 4}, {2003, 7, 4}, {2003, 7, 1},
    };
    static constexpr int firstYear = 2001;
    static constexpr int lastYear = 2003;

    static float crossingX(int month) { return 35.0f + 120.0f * static_cast<float>(month - 1); }
    static float crossingZ(int year) { return 35.0f + 120.0f * static_cast<float>(year - firstYear); }

    CalendarCity()
    {
        std::vector<CalendarCrossing> crossings;
        for (int year = firstYear; year <= lastYear; ++year)
            for (int month = 1; month <= 12; ++month)
                crossings.push_back({year, month, crossingX(month), crossingZ(year)});
        std::vector<CalendarHouse> houses;
        for (const Place& p : places) {
            markers.push_back(std::make_unique<Marker>());
            // Quarters 1 and 3 stand before the crossing's street, 2 and 4
            // behind it; 1 and 2 west of the crossing.
            const float dx = p.quarter <= 2 ? -35.0f : 35.0f;
            const float dz = p.quarter % 2 == 1 ? -35.0f : 35.0f;
            houses.push_back({p.year, p.month, p.quarter, crossingX(p.month) + dx,
                              crossingZ(p.year) + dz, markers.back().get()});
        }
        calendar = CityCalendar(crossings, houses);
    }
    // The house of this place.
    const SceneObject* house(int year, int month, int quarter) const
    {
        for (const CalendarHouse& h : calendar.houses())
            if (h.year == year && h.month == month && h.quarter == quarter)
                return h.house;
        return nullptr;
    }

    std::vector<std::unique_ptr<Marker>> markers;
    CityCalendar calendar;
};

}  // namespace support
