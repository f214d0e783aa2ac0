// The calendar the viewer, the indexer and the sample tools share: the days
// of a month, the quarter of the month a day is filed under (which house a
// photo goes to) and the months' names.
#pragma once

constexpr int monthsInYear = 12;

bool isLeapYear(int year);
// 28 to 31 for month 1 to 12.
int daysInMonth(int year, int month);
// 1 to 4: days 1-7, 8-14, 15-21, 22 to the end of the month.
int quarterOfDay(int day);
// The first day of quarter 1 to 4: 1, 8, 15, 22.
int firstDayOfQuarter(int quarter);
// "January" for 1, up to "December" for 12.
const char* monthName(int month);
