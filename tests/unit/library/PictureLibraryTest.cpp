// Reading rules of the library loader, driven by real files in a temporary
// folder and a fake texture loader that records what it was asked to load.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

#include "library/PictureLibrary.h"
#include "support/CaptureStdout.h"
#include "support/TempDir.h"
#include "textures/PhotoAtlas.h"
#include "textures/ThumbnailCacheSet.h"

namespace {

std::vector<std::string> loadedPaths;   // TextureLoader is a plain function pointer
const TextureLoader fakeLoad = [](const char* path) { loadedPaths.push_back(path); return TextureName(loadedPaths.size()); };

std::string picture(const std::string& texture, const std::string& original = "O") { return "<p><texture>" + texture + "</texture><originalPicture>" + original + "</originalPicture></p>"; }
std::string quarterXml(const std::string& pictures, const std::string& year = "2005") { return "<y val='" + year + "'><m val='7'><q val='3'>" + pictures + "</q></m></y>"; }

struct PictureLibrary : testing::Test {
    support::TempDir dir;
    std::vector<MonthQuarter*> records;
    YearSpan span;
    ~PictureLibrary() override { for (MonthQuarter* record : records) delete record; }
    std::string discarded(const std::string& name) const { return "Discarded an image: " + dir.file(name) + "\n"; }

    // Writes body inside the root (with attributes) to path (or
    // Zandervale.xml in the folder), reads it and returns what the reader printed.
    std::string load(const std::string& body, std::string path = "", const std::string& attributes = "")
    {
        loadedPaths.clear();
        path = path.empty() ? dir.file("Zandervale.xml") : path;
        std::ofstream(path) << "<Zandervale" << attributes << ">" << body << "</Zandervale>";
        return support::captureStdout([&] { EXPECT_EQ(readPictureLibrary(path.c_str(), &records, fakeLoad, &span), LibraryError::none); });
    }
};

// Children count by name in either order, only directly inside a picture; a
// missing texture shifts the later ones but every original stays. Missing
// files, names with white space around them, a directory, the folder itself
// (empty name) and special files are not images, and a quarter without an
// image has no record. Past the limit a quarter keeps its originals, and a
// missing file is still reported. Pictures under the root or a level without
// "val" are not read, and a library without pictures is no error.
TEST_F(PictureLibrary, PicturesAreReadByChildNameUpToTheLimit)
{
    EXPECT_EQ(load("<y val='1'/>"), "");
    EXPECT_TRUE(records.empty());
    std::string unusable, full, expected = discarded("t2");
    std::filesystem::create_directory(dir.file("sub.jpg"));
    ASSERT_EQ(mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);
    int writer = open(dir.file("pipe.jpg").c_str(), O_RDWR);   // else opening it hangs
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.jpg"));
    for (const char* name : {"a.jpg", " 1", "1 ", "\n  1\n", "\t1", "sub.jpg", "", "pipe.jpg", "zero.jpg"}) {
        unusable += picture(name);
        expected += discarded(name);
    }
    for (int n = 0; n < 260; ++n)
        full += picture(n == 255 ? "gone" : (dir.write(std::to_string(n), "x"), std::to_string(n)));
    EXPECT_EQ(load(quarterXml("<p><originalPicture>O1</originalPicture><texture>1</texture></p>" + picture("t2", "O2") +
                              "<p><originalPicture>O3</originalPicture></p><p><texture>3</texture><Texture>1</Texture>"
                              "<originalPicture>O<i>4</i></originalPicture><x><texture>1</texture></x></p><texture>1</texture>") +
                   quarterXml(unusable, "2004") + quarterXml(full, "4294969302") + picture("1") + "<y val='1'><m val='1'><q>" + picture("1") + "</q></m></y>"),
              expected + discarded("gone"));
    close(writer);
    ASSERT_EQ(records.size(), 2u);
    const MonthQuarter& first = *records[0];
    EXPECT_EQ(first.getTextures(), (std::vector<TextureName>{1, 2}));
    EXPECT_EQ(first.getOriginals(), (std::vector<std::string>{"O1", "O2", "O3", "O4"}));
    EXPECT_EQ((std::vector<std::string>(loadedPaths.begin(), loadedPaths.begin() + 2)), (std::vector<std::string>{dir.file("1"), dir.file("3")}));
    EXPECT_EQ((std::vector<int>{first.getYear(), first.getMonth(), first.getQuarter()}), (std::vector<int>{2005, 7, 3}));
    EXPECT_EQ(records[1]->getYear(), INT_MAX);   // saturated: 2^32 + 2006 must not wrap to 2006
    EXPECT_EQ(records[1]->getPictureCount(), MaxTexturesPerQuarter);
    EXPECT_EQ(records[1]->getOriginals().size(), 260u);
    EXPECT_EQ(loadedPaths.size(), 2u + MaxTexturesPerQuarter);
}

// On Linux "C:\a\b\t1.jpg" is one file in the working directory: enough to
// show where the prefix ends. A long name loads whole.
TEST_F(PictureLibrary, PrefixEndsAtTheLastSlashOrBackslash)
{
    const std::string longName(200, 'n');
    const struct { std::string library, texture, loaded; } cases[] = {
        {"C:\\a\\b\\Zandervale.xml", "t1.jpg", "C:\\a\\b\\t1.jpg"}, {"Zandervale.xml", "t1.jpg", "t1.jpg"},
        {"lib/x\\Zandervale.xml", "t1.jpg", "lib/x\\t1.jpg"}, {"lib/Zandervale.xml", longName, "lib/" + longName}};
    std::filesystem::create_directory(dir.file("lib"));
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    for (const auto& c : cases) {
        dir.write(c.loaded, "x");
        EXPECT_EQ(load(quarterXml(picture(c.texture)), c.library), "");
        EXPECT_EQ(loadedPaths, std::vector<std::string>{c.loaded});
    }
    std::filesystem::current_path(saved);
}

// Both years, digits only, from 1900 to 2099, in order and at most 60 of them make the span;
// anything else is reported once and 1998 to 2010 stays, also after a file that had a span.
TEST_F(PictureLibrary, YearSpanIsUsedOnlyWhenBothYearsAreSound)
{
    const struct { std::string attributes, reason; int first = 0, last = 0; } cases[] = {
        {" fromYear='2015' toYear='2024'", "", 2015, 2024}, {"", "", 1998, 2010}, {" toYear='1959' fromYear='1900'", "", 1900, 1959},
        {" fromYear='2099' toYear='2099'", "", 2099, 2099}, {" fromYear='02040' toYear='2099'", "", 2040, 2099}, {" fromYear='2015'", "toYear is missing"},
        {" fromYear='19x9' toYear='2010'", "fromYear \"19x9\" is not a year"}, {" fromYear='2015' toYear=' 2024'", "toYear \" 2024\" is not a year"},
        {" fromYear='+2015' toYear='2024'", "fromYear \"+2015\" is not a year"}, {" fromYear='' toYear='2024'", "fromYear \"\" is not a year"},
        {" fromYear='2015&#10;' toYear='2024'", "fromYear \"2015?\" is not a year"}, {" fromYear='2015' toYear='2024.0'", "toYear \"2024.0\" is not a year"},
        {" fromYear='2016' toYear='2015'", "fromYear 2016 is after toYear 2015"}, {" fromYear='1899' toYear='1950'", "fromYear \"1899\" is before 1900"},
        {" fromYear='2050' toYear='2100'", "toYear \"2100\" is after 2099"}, {" fromYear='1950' toYear='1800'", "toYear \"1800\" is before 1900"},
        {" fromYear='2000' toYear='9999999999999999999999999'", "toYear \"99999999999999999999...\" is after 2099"},
        {" fromYear='1950' toYear='2010'", "1950 to 2010 is 61 years, more than 60"}, {" toYear='2015'", "fromYear is missing"},
    };
    dir.write("t", "x");
    for (const auto& c : cases) {
        EXPECT_EQ(load(quarterXml(picture("t"), "1950"), "", c.attributes), c.reason.empty() ? "" : "Ignoring the year span: " + c.reason + "\n") << c.attributes;
        EXPECT_EQ((std::vector<int>{span.first, span.last}), (c.reason.empty() ? std::vector<int>{c.first, c.last} : std::vector<int>{1998, 2010})) << c.attributes;
    }
}

// The count runs from 0 to the texture elements the rules reach (missing
// files and those past the limit included), told at most once per interval;
// a stop ends the reading.
TEST_F(PictureLibrary, ProgressRisesToTheTotalAtMostOncePerInterval)
{
    std::string pictures;
    for (int n = 0; n < 1000; ++n)
        pictures += picture(n % 10 ? (dir.write("t", "x"), "t") : "gone");
    const std::string path = dir.file("Zandervale.xml");
    std::ofstream(path) << "<Zandervale>" << quarterXml(pictures) << "<y val='1'><m val='1'><q>" << picture("t") << "</q></m></y>" << picture("t") << "</Zandervale>";
    const struct { double secondsPerAsk; size_t fewest, most; } cases[] = {{0.0, 2, 2}, {0.001, 20, 22}, {1.0, 1001, 1001}};
    for (const auto& c : cases) {
        double now = 0.0;
        std::vector<int> told;
        support::captureStdout([&] { readPictureLibrary(path.c_str(), &records, fakeLoad, &span, [&](int done, int total) { EXPECT_EQ(total, 1000); told.push_back(done); return true; }, [&] { return now += c.secondsPerAsk; }); });
        EXPECT_TRUE(std::is_sorted(told.begin(), told.end()) && std::adjacent_find(told.begin(), told.end()) == told.end()) << c.secondsPerAsk;
        EXPECT_EQ(told.front(), 0);
        EXPECT_EQ(told.back(), 1000);
        EXPECT_GE(told.size(), c.fewest) << c.secondsPerAsk;
        EXPECT_LE(told.size(), c.most) << c.secondsPerAsk;
    }
    // Told to stop, it reads nothing more.
    double now = 0.0;
    int last = 0;
    support::captureStdout([&] {
        EXPECT_EQ(readPictureLibrary(path.c_str(), &records, fakeLoad, &span, [&](int done, int) { return (last = done) < 100; },
                                     [&] { return now += 1.0; }), LibraryError::stopped);
    });
    EXPECT_EQ(last, 100);
}

// The reader returns the error and appends nothing; the viewer's loader
// prints its line and says it failed.
TEST_F(PictureLibrary, UnreadableLibrariesAreRefusedWithTheirLine)
{
    const std::string noLibrary = "### ERROR: There was no xml photo library file at ";
    const struct { std::string path; const char* content; LibraryError error; } cases[] = {
        {dir.file("missing.xml"), nullptr, LibraryError::noLibraryFile}, {dir.path(), nullptr, LibraryError::noLibraryFile},
        {dir.file("empty.xml"), "", LibraryError::noLibraryFile},
        {dir.file("cut.xml"), "<Zandervale><y val='1'></Zandervale>", LibraryError::noLibraryFile},
        {"http://127.0.0.1:9/Zandervale.xml", nullptr, LibraryError::noLibraryFile},   // never fetched
        {dir.file("root.xml"), "<zandervale><a val='1'><b val='1'><c val='1'><p><texture>root.xml</texture></p></c></b></a></zandervale>", LibraryError::notZandervale},
    };
    for (const auto& c : cases) {
        if (c.content)
            dir.write(c.path.substr(dir.path().size() + 1), c.content);
        EXPECT_EQ(readPictureLibrary(c.path.c_str(), &records, fakeLoad, &span), c.error) << c.path;
        EXPECT_TRUE(records.empty()) << c.path;
        bool loaded = true;
        ThumbnailCacheSet caches;
        EXPECT_EQ(support::captureStdout([&] { PhotoAtlas photos; loaded = loadPictureLibrary(c.path.c_str(), &records, &span, photos, caches); }),
                  c.error == LibraryError::noLibraryFile ? noLibrary + c.path + "\n"
                  : "### ERROR: The XML document in " + c.path + " is empty or not an Zandervale XML file. Please specify the correct Zandervale.xml file\n");
        EXPECT_FALSE(loaded);
        EXPECT_TRUE(records.empty());
    }
}

}  // namespace
