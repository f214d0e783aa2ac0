// The Gregorian rules and the quarter rule, written once.
#include "calendar/Calendar.h"

#include <cassert>

namespace {

constexpr int daysInQuarter = 7;   // the fourth quarter takes the rest of the month

const int monthDays[monthsInYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

const char* const monthNames[monthsInYear] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

}  // namespace

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    assert(month >= 1 && month <= monthsInYear);
    return month == 2 && isLeapYear(year) ? 29 : monthDays[month - 1];
}

int quarterOfDay(int day)
{
    return day <= daysInQuarter ? 1 : day <= 2 * daysInQuarter ? 2 : day <= 3 * daysInQuarter ? 3 : 4;
}

int firstDayOfQuarter(int quarter)
{
    assert(quarter >= 1 && quarter <= 4);
    return daysInQuarter * (quarter - 1) + 1;
}

const char* monthName(int month)
{
    assert(month >= 1 && month <= monthsInYear);
    return monthNames[month - 1];
}
