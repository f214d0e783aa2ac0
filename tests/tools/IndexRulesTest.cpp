// The indexer's rules read directly: which date a photo gets, the quarter of
// its day and which names the library can hold.
#include <gtest/gtest.h>

#include <cstdlib>

#include "NameDate.h"
#include "PhotoDate.h"
#include "PhotoPaths.h"
#include "RunNotes.h"
#include "calendar/Calendar.h"
#include "photos/PhotoMetadata.h"

namespace photoindex {
namespace {

TEST(IndexDates, UnusableExifDatesArePassedOverAndOnlyImplausibleOnesAreNoted)
{
    const std::string y2002 = "2002:01:01 10:00:00", y2003 = "2003:01:01 10:00:00";
    const LocalDate now{2025, 6, 1, 12, 0, 0}, file{2011, 3, 15, 8, 0, 0}, futureFile{2025, 6, 2, 0, 0, 0};
    struct Row { const char* what; DateTexts texts; LocalDate file; DateSource source; int year; size_t notes; };
    const Row rows[] = {
        {"all-zero", {"", "0000:00:00 00:00:00", y2002, ""}, file, DateSource::digitized, 2002, 0},
        {"padded", {"", std::string("2001:01:01 10:00:00\0 ", 21), y2002, y2003}, file, DateSource::original, 2001, 0},
        {"now exactly", {"", "2025:06:01 12:00:00", y2002, ""}, file, DateSource::original, 2025, 0},
        {"a second ahead", {"", "2025:06:01 12:00:01", y2002, ""}, file, DateSource::digitized, 2002, 1},
        {"before 1900", {"", "1899:12:31 23:59:59", "1900:01:01 00:00:00", ""}, file, DateSource::digitized, 1900, 1},
        {"nothing usable", {"", "2030:01:01 00:00:00", "", ""}, futureFile, DateSource::none, 0, 2},
        {"a sidecar first", {y2003, y2002, "", ""}, file, DateSource::sidecar, 2003, 0},
        {"a future sidecar", {"2030:01:01 00:00:00", y2002, "", ""}, file, DateSource::original, 2002, 1},
    };
    for (const Row& row : rows) {
        const DateChoice choice = chooseDate(row.texts, nullptr, row.file, now);
        EXPECT_EQ(std::make_tuple(choice.source, choice.date.year, choice.notes.size()),
                  std::make_tuple(row.source, row.year, row.notes)) << row.what;
    }
}

// Run with TZ=UTC+5 (five hours behind): a Pixel's UTC name moves back.
TEST(IndexDates, NamesOfCamerasPhonesAndMessengersGiveRealDatesOnly)
{
    const char* zone = std::getenv("TZ");
    const std::string oldZone = zone ? zone : "";
    setenv("TZ", "UTC+5", 1);
    tzset();
    const LocalDate now{2025, 6, 2, 12, 0, 0};
    const std::pair<const char*, const char*> rows[] = {   // "": no date
        {"IMG_20190704_101112.jpg", "2019-07-04 10:11:12"},
        {"img_20190704_101112_HDR.jpg", "2019-07-04 10:11:12"},
        {"VID_20200101_000000.jpg", "2020-01-01 00:00:00"},
        {"IMG-20190704-WA0001.jpg", "2019-07-04 12:00:00"},
        {"PXL_20210315_101010123.jpg", "2021-03-15 05:10:10"},
        {"PXL_20210101_030000000.MP.jpg", "2020-12-31 22:00:00"},
        {"Screenshot_2020-02-29-10-00-00.png", "2020-02-29 10:00:00"},
        {"Screenshot_20200229-100000.png", "2020-02-29 10:00:00"},
        {"2018-12-31 23.59.59.jpg", "2018-12-31 23:59:59"},
        {"signal-2022-05-06-070809.jpg", "2022-05-06 07:08:09"},
        {"signal-2022-05-06-07-08-09-123.jpg", "2022-05-06 07:08:09"},
        {"20170809_101010.jpg", "2017-08-09 10:10:10"},
        {"IMG_20191332_101010.jpg", ""},        // month 13
        {"IMG_20190229_101010.jpg", ""},        // not a leap year
        {"IMG_20190704_256000.jpg", ""},        // hour 25
        {"IMG_201907041011121.jpg", ""},        // one digit too many
        {"201907041234.jpg", ""},               // a 12-digit serial number
        {"IMG-20250603-WA0001.jpg", ""},        // after tomorrow
        {"IMG-18991231-WA0001.jpg", ""},        // before 1900
        {"DSC_20190704_101112.jpg", ""},        // no known pattern
        {"IMG_2019.jpg", ""},
    };
    for (const auto& [name, expected] : rows) {
        LocalDate date;
        EXPECT_EQ(dateFromName(name, now, &date) ? formatDate(date) : "", expected) << name;
    }
    if (zone)
        setenv("TZ", oldZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// DateTime is the day of the last edit: the name's date comes first.
TEST(IndexDates, ANameDateComesAfterTheDatesOfTakingAndBeforeDateTimeAndTheFileTime)
{
    const LocalDate now{2025, 6, 1, 12, 0, 0}, file{2024, 3, 15, 8, 0, 0}, named{2019, 7, 4, 12, 0, 0};
    const std::string y2003 = "2003:01:01 10:00:00";
    const std::pair<DateTexts, DateSource> rows[] = {{{"", "", "", ""}, DateSource::fileName},
        {{"", "", "", y2003}, DateSource::fileName}, {{"", "", y2003, y2003}, DateSource::digitized}};
    for (const auto& [texts, source] : rows)
        EXPECT_EQ(chooseDate(texts, &named, file, now).source, source) << texts.dateTime;
    EXPECT_EQ(chooseDate({"", "", "", y2003}, &named, file, now).date.year, 2019);
    EXPECT_EQ(chooseDate({"", "", "", y2003}, nullptr, file, now).source, DateSource::dateTime);
    EXPECT_EQ(chooseDate({}, nullptr, file, now).source, DateSource::fileTime);
}

TEST(IndexDates, XmpDatesBecomeExifTextsAtTheirOwnWallClockTime)
{
    const std::pair<const char*, const char*> rows[] = {   // "": no date
        {"2019-07-04T10:11:12", "2019:07:04 10:11:12"}, {"2019-07-04T10:11:12.345+02:00", "2019:07:04 10:11:12"},
        {"2019-07-04T10:11Z", "2019:07:04 10:11:00"}, {"2019-07-04", "2019:07:04 00:00:00"},
        {"2019-07", ""}, {"2019:07:04 10:11:12", ""}, {"", ""}};
    for (const auto& [xmp, exif] : rows)
        EXPECT_EQ(exifDateOfXmp(xmp), exif) << xmp;
}

TEST(IndexDates, QuartersEndOnDays7And14And21AndTheMonthsLastDay)
{
    const std::pair<const char*, int> rows[] = {   // quarter 0: no such day
        {"2024:03:01", 1}, {"2024:03:07", 1}, {"2024:03:08", 2}, {"2024:03:14", 2}, {"2024:03:15", 3}, {"2024:03:21", 3},
        {"2024:03:22", 4}, {"2024:03:28", 4}, {"2024:03:31", 4}, {"2024:03:32", 0}, {"2023:02:28", 4}, {"2023:02:29", 0},
        {"2024:02:29", 4}, {"2024:02:30", 0}, {"2000:02:29", 4}, {"1900:02:29", 0}, {"2024:04:30", 4}, {"2024:04:31", 0}};
    for (const auto& [day, quarter] : rows) {
        LocalDate date;
        const bool valid = parseExifDate(std::string(day) + " 12:00:00", &date);
        EXPECT_EQ(valid ? quarterOfDay(date.day) : 0, quarter) << day;
    }
}

// The report names the first 20 photos a list holds, the log all of them.
TEST(IndexNotes, TheReportNamesTheFirstTwentyOfAListAndTheLogAll)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 23; ++i)
        paths.push_back("/p/n" + std::to_string(100 + i) + ".jpg");
    const std::string report = fileDatedReport(paths, "/lib/x.log"), log = runLog(paths, {});
    int named = 0, logged = 0;
    for (const std::string& path : paths)
        named += report.find("  " + path + "\n") != std::string::npos, logged += log.find(path + "\n") != std::string::npos;
    EXPECT_EQ(std::make_pair(named, logged), std::make_pair(20, 23));
    EXPECT_NE(report.find("Dated by the file time (no usable EXIF date): 23\n"), std::string::npos) << report;
    EXPECT_NE(report.find("  and 3 more, all listed in /lib/x.log\n"), std::string::npos) << report;
}

TEST(IndexNames, NamesThatAreNotUtf8OrHoldControlCharactersAreRefused)
{
    for (const char* bad : {"tab\t", "del\x7f", "c1 \xc2\x85", "cut \xe5\x86", "overlong \xe0\x80\xaf", "surrogate \xed\xa0\x80",
                            "beyond \xf4\x90\x80\x80", "bad\xff", "line\nbreak"})
        EXPECT_NE(pathProblem(std::string("/p/") + bad), "") << printable(bad);
}

}  // namespace
}  // namespace photoindex
