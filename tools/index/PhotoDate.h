// When a photo was taken: EXIF date texts and the file's time as a fallback.
// The quarter of the month that places the photo in the city is the
// calendar's quarterOfDay.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace photoindex {

// A wall-clock time with no zone, as cameras record it.
struct LocalDate {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

bool operator<(const LocalDate& a, const LocalDate& b);

// The sources in the order they are tried; none: every one was missing or unusable.
// A date in the name comes before DateTime, which editors set to the day of an edit.
enum class DateSource { sidecar, original, digitized, fileName, dateTime, fileTime, none };

// "XMP sidecar", the EXIF tag names of the three EXIF sources, "file name" and "file time".
const char* sourceName(DateSource source);

// The date texts a photo carries, as EXIF writes them; "" where absent.
struct DateTexts {
    std::string sidecar, original, digitized, dateTime;
};

// Reads an EXIF date "YYYY:MM:DD HH:MM:SS" (trailing NULs or spaces allowed).
// Anything else, an impossible calendar day or the all-zero date is false.
bool parseExifDate(const std::string& text, LocalDate* date);

LocalDate localDateOf(std::time_t time);

// "YYYY-MM-DD HH:MM:SS", and back (false for anything else).
std::string formatDate(const LocalDate& date);
bool parseFormattedDate(const std::string& text, LocalDate* date);

struct DateChoice {
    LocalDate date;
    DateSource source = DateSource::none;
    std::vector<std::string> notes;   // dates passed over for lying before 1900 or after now
};

// The first usable date in DateSource's order: the texts, nameDate (the
// date in the file's name, where it holds one within 1900 and now) and
// fileDate. A text or file date before 1900 or after now is noted and passed
// over; a malformed or all-zero one is passed over quietly.
DateChoice chooseDate(const DateTexts& texts, const LocalDate* nameDate, const LocalDate& fileDate,
                      const LocalDate& now);

}  // namespace photoindex
