// Where the overview camera stands when the city is larger than the view
// from the highest the far plane allows: over the walker, but never so
// that the view leaves the city; and which labels it shows, and where.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "controls/OverviewFraming.h"
#include "controls/OverviewLabels.h"

namespace {

TEST(OverviewFraming, ACityLargerThanTheViewCentresOnTheWalkerKeptInside)
{
    // 1600 x 7200 units of ground; from 1000 up a 70-degree view at 4 : 3
    // covers about 1867 x 1400, so only the depth is larger than the view.
    const OverviewArea city{-100.0f, 1500.0f, -200.0f, 7000.0f};
    const OverviewLens lens{70.0, 4.0 / 3.0, 1000.0};
    const struct { const char* what; float walkerX, walkerZ, eyeX, eyeZ; } cases[] = {
        {"in the middle", 300.0f, 3000.0f, 700.0f, 3000.0f},
        {"near the first row", 300.0f, 0.0f, 700.0f, 500.2f},
        {"near the last row", 1400.0f, 6900.0f, 700.0f, 6299.8f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const OverviewEye eye = frameOverview(city, lens, c.walkerX, c.walkerZ);
        EXPECT_FLOAT_EQ(eye.y, 1000.0f);
        EXPECT_FLOAT_EQ(eye.x, c.eyeX);   // the width fits: centred on the city
        EXPECT_NEAR(eye.z, c.eyeZ, 0.5);
    }
}

// Twelve columns `across` pixels apart from x = left, one row a year from 1998 down from y = top.
std::vector<ScreenCrossing> grid(int years, double down, double across, double left = 100.0, double top = 700.0)
{
    std::vector<ScreenCrossing> crossings;
    for (int year = 1998; year < 1998 + years; ++year)
        for (int month = 1; month <= 12; ++month)
            crossings.push_back({year, month, left + across * (month - 1), top - down * (year - 1998)});
    return crossings;
}

TEST(OverviewLabels, YearsThinOutWhenRowsAreCloserThanALineAndMonthNamesShortenToFit)
{
    const struct { const char* what; std::vector<ScreenCrossing> crossings; std::string years, months; } cases[] = {
        {"13 years far apart", grid(13, 45, 70), "1998 1999 2000 2001 2002 2003 2004 2005 2006 2007 2008 2009 2010 ",
         "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec "},
        {"25 years a line apart, zoomed in on the months", grid(25, 17, 100, -200.0),
         "1998 1999 2000 2001 2002 2003 2004 2005 2006 2007 2008 2009 2010 2011 2012 2013 2014 2015 2016 2017 2018 "
         "2019 2020 2021 2022 ",
         "April May June July August September October November December "},
        {"25 years 10 pixels apart", grid(25, 10, 30), "1998 2000 2002 2004 2006 2008 2010 2012 2014 2016 2018 2020 2022 ", ""},
        {"25 years 8 pixels apart", grid(25, 8, 35), "2000 2005 2010 2015 2020 ", "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec "},
        {"25 years 2 pixels apart", grid(25, 2, 34), "2000 2010 2020 ", ""},
        {"no city", grid(0, 0, 0), "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string years, months;
        for (const OverviewLabel& label : overviewLabels(c.crossings, 1024, 768))
            (std::isdigit(static_cast<unsigned char>(label.text[0])) ? years : months) += label.text + " ";
        EXPECT_EQ(years, c.years);
        EXPECT_EQ(months, c.months);
    }
}

// Right-aligned a gap left of its row's first crossing, the baseline a third of a line below the row, and
// on the window's left edge when the row's end is off it; month names centred on their columns at the top.
TEST(OverviewLabels, LabelsSitAtTheRowEndsAndAboveTheColumnsAndStayOnTheWindow)
{
    const struct { const char* what; double left, top; int yearX, yearY, marchX, marchY; } cases[] = {
        {"inside", 100.0, 600.0, 56, 395, 278, 753},
        {"off the left and top", -50.0, 900.0, 2, 695, 128, 753},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<OverviewLabel> labels = overviewLabels(grid(13, 40, 100, c.left, c.top), 1024, 768);
        const auto find = [&](const std::string& text) {
            for (const OverviewLabel& label : labels)
                if (label.text == text)
                    return std::vector<int>{label.x, label.y};
            return std::vector<int>{};
        };
        EXPECT_EQ(find("2003"), (std::vector<int>{c.yearX, c.yearY}));
        EXPECT_EQ(find("March"), (std::vector<int>{c.marchX, c.marchY}));
        EXPECT_EQ(find("January").empty(), c.left < 0) << "a name that would run off the window is left out";
    }
}

} // namespace
