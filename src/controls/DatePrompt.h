// The "Go to: " prompt of the heads-up display: what the user has typed of a
// date, with the line it shows, and the reading of that date. Plain state,
// no GL, so its editing can be checked key by key.
#pragma once

#include <string>

// A day, a month or a whole year: month 0 for a bare year, day 0 for a whole
// month.
struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// Reads "YYYY", "YYYY-MM" or "YYYY-MM-DD" (month and day may have one
// digit). Anything else, and a day the month does not have, is false.
bool parseDate(const std::string& text, CalendarDate* date);

class DatePrompt {
public:
    enum class Reply { none, go, closed };

    void open();
    void close();
    bool isOpen() const { return shown; }
    // A key typed while the prompt is open. Digits and '-' are added (up to
    // a full date's ten characters), Backspace takes the last one back,
    // Enter answers go, Escape closes the prompt; every other key is
    // ignored. A refusal shown disappears with the next edit.
    Reply type(unsigned char key);
    // A key released; the release of the Escape that closed the prompt ends
    // its hold on Escape.
    void release(unsigned char key);
    // Shows why the typed date goes nowhere; the prompt stays open.
    void refuse(const std::string& why) { note = why; }
    // Whether Escape is the prompt's: while it is open, and until the
    // release of the Escape that closed it.
    bool holdsEscape() const { return shown || escapeDown; }

    const std::string& typed() const { return text; }
    // "Go to: 2019-07_", and the refusal after it.
    std::string line() const;

private:
    bool shown = false;
    bool escapeDown = false;
    std::string text;
    std::string note;
};
