// The date prompt's editing and the reading of what was typed.
#include "controls/DatePrompt.h"

#include <cctype>

#include "calendar/Calendar.h"

#include "controls/InputControl.h"

namespace {

constexpr std::size_t longestDate = 10;    // "YYYY-MM-DD"

// The number of digits from at (none, or more than most, is false).
bool readNumber(const std::string& text, std::size_t* at, std::size_t least, std::size_t most,
                int* value)
{
    std::size_t end = *at;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
        ++end;
    const std::size_t digits = end - *at;
    if (digits < least || digits > most)
        return false;
    *value = std::stoi(text.substr(*at, digits));
    *at = end;
    return true;
}

}  // namespace

bool parseDate(const std::string& text, CalendarDate* date)
{
    CalendarDate read;
    std::size_t at = 0;
    if (!readNumber(text, &at, 4, 4, &read.year))
        return false;
    int parts = 0;   // after the year
    for (int* part : {&read.month, &read.day}) {
        if (at == text.size())
            break;
        if (text[at] != '-')
            return false;
        ++at;
        if (!readNumber(text, &at, 1, 2, part))
            return false;
        ++parts;
    }
    if (at != text.size())
        return false;
    if (parts >= 1 && (read.month < 1 || read.month > monthsInYear))
        return false;
    if (parts == 2 && (read.day < 1 || read.day > daysInMonth(read.year, read.month)))
        return false;
    *date = read;
    return true;
}

void DatePrompt::open()
{
    shown = true;
    text.clear();
    note.clear();
}

void DatePrompt::close()
{
    shown = false;
    text.clear();
    note.clear();
}

DatePrompt::Reply DatePrompt::type(unsigned char key)
{
    switch (key) {
    case enterKey:
        return Reply::go;
    case escapeKey:
        close();
        escapeDown = true;
        return Reply::closed;
    case backspaceKey:
    case deleteKey:
        if (!text.empty())
            text.pop_back();
        note.clear();
        return Reply::none;
    default:
        break;
    }
    if ((std::isdigit(key) || key == '-') && text.size() < longestDate) {
        text += static_cast<char>(key);
        note.clear();
    }
    return Reply::none;
}

void DatePrompt::release(unsigned char key)
{
    if (key != escapeKey)
        return;
    // A press that never came (it went to the window before the prompt
    // opened) still closes the prompt rather than leave it stuck.
    escapeDown = false;
    if (shown)
        close();
}

std::string DatePrompt::line() const
{
    std::string shownLine = "Go to: " + text + "_";
    if (!note.empty())
        shownLine += "  " + note;
    return shownLine;
}
