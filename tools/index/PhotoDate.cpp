// EXIF date texts read strictly: a camera that wrote nonsense, or nothing but
// zeros, has no date, and the next source is asked.
#include "PhotoDate.h"

#include <cctype>
#include <cstdio>
#include <tuple>
#include <utility>

#include "calendar/Calendar.h"

namespace photoindex {

namespace {

// Reads `digits` decimal digits at text[at], or false.
bool number(const std::string& text, size_t at, int digits, int* value)
{
    *value = 0;
    for (int i = 0; i < digits; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[at + i]);
        if (!std::isdigit(c))
            return false;
        *value = *value * 10 + (c - '0');
    }
    return true;
}

std::string shown(const std::string& text)
{
    std::string printable;
    for (char c : text)
        if (c != '\0')
            printable += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    return printable;
}

}  // namespace

bool operator<(const LocalDate& a, const LocalDate& b)
{
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) <
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

const char* sourceName(DateSource source)
{
    switch (source) {
    case DateSource::sidecar: return "XMP sidecar";
    case DateSource::original: return "DateTimeOriginal";
    case DateSource::digitized: return "DateTimeDigitized";
    case DateSource::dateTime: return "DateTime";
    case DateSource::fileName: return "file name";
    case DateSource::fileTime: return "file time";
    case DateSource::none: break;
    }
    return "no date";
}

bool parseExifDate(const std::string& text, LocalDate* date)
{
    if (text.size() < 19 || text.find_first_not_of(std::string(" \0", 2), 19) != std::string::npos)
        return false;
    for (size_t at : {4, 7, 13, 16})
        if (text[at] != ':')
            return false;
    if (text[10] != ' ')
        return false;
    LocalDate d;
    if (!number(text, 0, 4, &d.year) || !number(text, 5, 2, &d.month) || !number(text, 8, 2, &d.day) ||
        !number(text, 11, 2, &d.hour) || !number(text, 14, 2, &d.minute) || !number(text, 17, 2, &d.second))
        return false;
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > daysInMonth(d.year, d.month) ||
        d.hour > 23 || d.minute > 59 || d.second > 59)
        return false;
    *date = d;
    return true;
}

LocalDate localDateOf(std::time_t time)
{
    std::tm parts{};
    localtime_r(&time, &parts);
    return LocalDate{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::string formatDate(const LocalDate& date)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month, date.day,
                  date.hour, date.minute, date.second);
    return text;
}

bool parseFormattedDate(const std::string& text, LocalDate* date)
{
    if (text.size() != 19 || text[4] != '-' || text[7] != '-')
        return false;
    std::string exif = text;
    exif[4] = exif[7] = ':';
    return parseExifDate(exif, date);
}

DateChoice chooseDate(const DateTexts& texts, const LocalDate* nameDate, const LocalDate& fileDate,
                      const LocalDate& now)
{
    DateChoice choice;
    const std::pair<DateSource, const std::string*> sources[] = {
        {DateSource::sidecar, &texts.sidecar}, {DateSource::original, &texts.original},
        {DateSource::digitized, &texts.digitized}, {DateSource::fileName, nullptr},
        {DateSource::dateTime, &texts.dateTime}, {DateSource::fileTime, nullptr}};
    for (const auto& [source, text] : sources) {
        if (source == DateSource::fileName) {
            if (!nameDate)
                continue;
            choice.date = *nameDate;
            choice.source = source;
            return choice;
        }
        LocalDate date = fileDate;
        if (text && !parseExifDate(*text, &date))
            continue;
        const std::string named = std::string(sourceName(source)) + " " + (text ? shown(*text) : formatDate(date));
        if (date.year < 1900) {
            choice.notes.push_back(named + " lies before 1900");
        } else if (now < date) {
            choice.notes.push_back(named + " lies in the future");
        } else {
            choice.date = date;
            choice.source = source;
            return choice;
        }
    }
    return choice;
}

}  // namespace photoindex
