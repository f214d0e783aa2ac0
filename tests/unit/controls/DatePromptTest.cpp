// The date prompt key by key: what it shows after each typing, what it
// refuses, how Escape closes it; and the dates it reads.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controls/DatePrompt.h"

namespace {

void typeAll(DatePrompt& prompt, const char* keys)
{
    for (const char* k = keys; *k != '\0'; ++k)
        EXPECT_EQ(prompt.type(static_cast<unsigned char>(*k)), DatePrompt::Reply::none) << *k;
}

// Keys typed into a freshly opened prompt, and the line it shows after.
TEST(DatePrompt, TypingAddsDigitsAndDashesAndBackspaceTakesBack)
{
    const std::pair<const char*, const char*> typings[] = {
        {"2019-07-04", "Go to: 2019-07-04_"}, {"2019-07-04-9", "Go to: 2019-07-04_"},   // ten characters at most
        {"20a1 9/x", "Go to: 2019_"},         // other keys are ignored
        {"2019\b\b", "Go to: 20_"},           {"\b\x7f", "Go to: _"},   // nothing to take back
        {"1987\x7f" "6", "Go to: 1986_"},      // Delete serves as Backspace
    };
    for (const auto& [keys, line] : typings) {
        DatePrompt prompt;
        prompt.open();
        typeAll(prompt, keys);
        EXPECT_EQ(prompt.line(), line) << keys;
    }
}

TEST(DatePrompt, ARefusalShowsUntilTheNextEditAndEscapeClosesUntilItsRelease)
{
    DatePrompt prompt;
    EXPECT_FALSE(prompt.holdsEscape());
    prompt.open();
    typeAll(prompt, "1987");
    EXPECT_EQ(prompt.type('\r'), DatePrompt::Reply::go);
    prompt.refuse("no photos in 1987");
    EXPECT_EQ(prompt.line(), "Go to: 1987_  no photos in 1987");
    EXPECT_TRUE(prompt.isOpen());
    typeAll(prompt, "\b");
    EXPECT_EQ(prompt.line(), "Go to: 198_");
    prompt.refuse("type YYYY-MM-DD");
    typeAll(prompt, "x");   // an ignored key edits nothing
    EXPECT_EQ(prompt.line(), "Go to: 198_  type YYYY-MM-DD");

    prompt.release('w');
    EXPECT_TRUE(prompt.isOpen());
    EXPECT_EQ(prompt.type(27), DatePrompt::Reply::closed);
    EXPECT_FALSE(prompt.isOpen());
    EXPECT_TRUE(prompt.holdsEscape()) << "the release of the closing Escape must not end the program";
    prompt.release(27);
    EXPECT_FALSE(prompt.holdsEscape());
    prompt.open();
    EXPECT_EQ(prompt.line(), "Go to: _");
    prompt.release(27);   // a release whose press came before the prompt
    EXPECT_FALSE(prompt.isOpen());
}

TEST(DatePrompt, DatesAreAYearAMonthOrADayThatExists)
{
    struct Case { const char* text; bool read; int year, month, day; };
    const Case cases[] = {
        {"2019", true, 2019, 0, 0},         {"2019-07", true, 2019, 7, 0},
        {"2019-7-4", true, 2019, 7, 4},     {"2019-12-31", true, 2019, 12, 31},
        {"2000-02-29", true, 2000, 2, 29},  {"1900-02-29", false, 0, 0, 0},
        {"2019-04-31", false, 0, 0, 0},     {"2019-13", false, 0, 0, 0},
        {"2019-07-00", false, 0, 0, 0},     {"2019-07-", false, 0, 0, 0},
        {"20190", false, 0, 0, 0},          {"2019--07", false, 0, 0, 0},
        {"2019-007", false, 0, 0, 0},       {"", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CalendarDate date{-1, -1, -1};
        EXPECT_EQ(parseDate(c.text, &date), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ((std::vector<int>{date.year, date.month, date.day}),
                      (std::vector<int>{c.year, c.month, c.day})) << c.text;
        }
    }
}

} // namespace
