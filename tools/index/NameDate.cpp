// Each pattern is written as the name looks: a prefix, then a layout where
// Y, M, D, h, m and s stand for one digit of that field and every other
// character for itself (letters in any case). A pattern matches at the
// start of the name only.
#include "NameDate.h"

#include <strings.h>

#include <cctype>
#include <cstring>
#include <ctime>

namespace photoindex {

namespace {

struct NamePattern {
    const char* prefix;     // letters in any case
    const char* layout;
    bool utc;               // the phone writes the name in UTC
    bool digitsMayFollow;   // a counter or milliseconds; otherwise a digit after it makes a longer number
};

const NamePattern patterns[] = {
    {"IMG_", "YYYYMMDD_hhmmss", false, false},
    {"VID_", "YYYYMMDD_hhmmss", false, false},
    {"PANO_", "YYYYMMDD_hhmmss", false, false},
    {"PXL_", "YYYYMMDD_hhmmss", true, true},
    {"IMG-", "YYYYMMDD-WA", false, true},
    {"VID-", "YYYYMMDD-WA", false, true},
    {"Screenshot_", "YYYY-MM-DD-hh-mm-ss", false, false},
    {"Screenshot_", "YYYYMMDD-hhmmss", false, false},
    {"signal-", "YYYY-MM-DD-hh-mm-ss", false, true},
    {"signal-", "YYYY-MM-DD-hhmmss", false, false},
    {"", "YYYY-MM-DD hh.mm.ss", false, false},
    {"", "YYYYMMDD_hhmmss", false, false},
};

// The fields of pattern read from name, or false. A name without a time
// keeps noon, which no zone moves to another day.
bool match(const NamePattern& pattern, const std::string& name, LocalDate* date)
{
    LocalDate read{0, 0, 0, 12, 0, 0};
    const char* fields = "YMDhms";
    int* targets[6] = {&read.year, &read.month, &read.day, &read.hour, &read.minute, &read.second};
    bool timed = false;
    const size_t prefix = std::strlen(pattern.prefix);
    if (name.size() < prefix || strncasecmp(name.c_str(), pattern.prefix, prefix) != 0)
        return false;
    size_t at = prefix;
    for (const char* p = pattern.layout; *p; ++p, ++at) {
        if (at >= name.size())
            return false;
        const unsigned char c = static_cast<unsigned char>(name[at]);
        const char* field = std::strchr(fields, *p);
        if (field == nullptr) {
            if (std::tolower(c) != std::tolower(static_cast<unsigned char>(*p)))
                return false;
            continue;
        }
        if (!std::isdigit(c))
            return false;
        int* target = targets[field - fields];
        if (field - fields >= 3 && !timed) {
            timed = true;
            read.hour = 0;
        }
        *target = *target * 10 + (c - '0');
    }
    if (!pattern.digitsMayFollow && at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])))
        return false;
    *date = read;
    return true;
}

}  // namespace

bool dateFromName(const std::string& name, const LocalDate& now, LocalDate* date)
{
    for (const NamePattern& pattern : patterns) {
        LocalDate read;
        if (!match(pattern, name, &read))
            continue;
        // The calendar's rules are those of an EXIF date.
        char text[32];
        std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", read.year, read.month, read.day,
                      read.hour, read.minute, read.second);
        if (!parseExifDate(text, &read))
            return false;
        if (pattern.utc) {
            std::tm parts{read.second, read.minute, read.hour, read.day, read.month - 1, read.year - 1900,
                          0, 0, 0, 0, nullptr};
            read = localDateOf(timegm(&parts));
        }
        if (read.year < 1900 || now < read)
            return false;
        *date = read;
        return true;
    }
    return false;
}

}  // namespace photoindex
