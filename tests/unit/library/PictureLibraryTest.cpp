// Reading rules of the library loader, driven by real files in a temporary
// folder and a fake texture loader that records what it was asked to load.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "library/PictureLibrary.h"
#include "support/CaptureStdout.h"
#include "support/TempDir.h"

namespace {

// TextureLoader is a plain function pointer, so the fake keeps its record here.
std::vector<std::string> loadedPaths;

TextureName fakeLoad(const char* path)
{
    loadedPaths.push_back(path);
    return static_cast<TextureName>(loadedPaths.size());
}

std::string picture(const std::string& tex, const std::string& orig)
{
    return "<p><texture>" + tex + "</texture><originalPicture>" + orig + "</originalPicture></p>";
}

std::string quarterXml(const std::string& pics, const std::string& y = "2005",
                       const std::string& m = "7", const std::string& q = "3")
{
    return "<y val='" + y + "'><m val='" + m + "'><q val='" + q + "'>" + pics + "</q></m></y>";
}

class PictureLibrary : public testing::Test {
protected:
    support::TempDir dir;
    std::vector<MonthQuarter*> records;
    std::string output;

    ~PictureLibrary() override { for (MonthQuarter* record : records) delete record; }

    void touch(const std::string& name) const { dir.write(name, "x"); }

    std::string discarded(const std::string& name) const
    {
        return "Discarded an image: " + dir.file(name) + "\n";
    }

    // Writes body inside the root to name and loads it, by full path or as named.
    void load(const std::string& body, const std::string& name = "Zandervale.xml",
              bool byName = false)
    {
        loadedPaths.clear();
        std::string path = dir.write(name, "<Zandervale>" + body + "</Zandervale>");
        const char* file = byName ? name.c_str() : path.c_str();
        output = support::captureStdout(
            [&] { EXPECT_TRUE(loadPictureLibrary(file, &records, fakeLoad)); });
    }
};

TEST_F(PictureLibrary, RootWithoutChildrenGivesEmptyLibrary)
{
    load("");
    EXPECT_TRUE(records.empty());
    EXPECT_EQ("", output);
}

// Missing files, names with white space around them, a directory, the folder
// itself (empty name) and special files are not images.
TEST_F(PictureLibrary, UnusableTexturesAreDiscardedByFullPath)
{
    touch("t1.jpg");
    std::filesystem::create_directory(dir.file("sub.jpg"));
    ASSERT_EQ(0, mkfifo(dir.file("pipe.jpg").c_str(), 0600));
    int writer = open(dir.file("pipe.jpg").c_str(), O_RDWR);   // else opening it hangs
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.jpg"));
    const char* names[] = {"a.jpg",   " t1.jpg", "t1.jpg ",  "\n  t1.jpg\n", "\tt1.jpg",
                           "sub.jpg", "",        "pipe.jpg", "zero.jpg"};
    std::string pictures, expected;
    for (const char* name : names) {
        pictures += picture(name, "O");
        expected += discarded(name);
    }
    load(quarterXml(pictures));
    EXPECT_TRUE(records.empty());   // no usable texture: no record
    EXPECT_EQ(expected, output);
    close(writer);
}

// Children count by name in either order, only directly inside a picture; a
// missing second texture shifts the later ones but every original stays.
TEST_F(PictureLibrary, PicturesAreReadByChildNameAndMissingTexturesShiftTheRest)
{
    touch("t1.jpg");
    touch("t3.jpg");
    load(quarterXml(
        "<p><originalPicture>O1</originalPicture><texture>t1.jpg</texture></p>" +
        picture("t2.jpg", "O2") + "<p><originalPicture>O3</originalPicture></p>"
        "<p><texture>t3.jpg</texture><Texture>t1.jpg</Texture><note>x</note>"
        "<originalPicture>O<i>4</i></originalPicture><x><texture>t1.jpg</texture></x></p>"
        "<texture>t1.jpg</texture>"));
    const MonthQuarter& record = *records.at(0);
    EXPECT_EQ((std::vector<TextureName>{1, 2}), record.getTextures());
    EXPECT_EQ((std::vector<std::string>{"O1", "O2", "O3", "O4"}), record.getOriginals());
    EXPECT_EQ((std::vector<std::string>{dir.file("t1.jpg"), dir.file("t3.jpg")}), loadedPaths);
    EXPECT_EQ(discarded("t2.jpg"), output);
    EXPECT_EQ((std::vector<int>{2005, 7, 3}),
              (std::vector<int>{record.getYear(), record.getMonth(), record.getQuarter()}));
}

// 12 quarters of 260 pictures. The existence test comes before the limit,
// so a missing file past it is still reported.
TEST_F(PictureLibrary, ThousandsOfPicturesKeepTheLimitPerQuarterAndEveryOriginal)
{
    const size_t quarters = 12, perQuarter = 260, missing = 255;
    std::string pictures, body, expected;
    for (size_t n = 0; n < perQuarter; ++n) {
        if (n != missing)
            touch(std::to_string(n));
        pictures += picture(std::to_string(n), "O");
    }
    for (size_t q = 0; q < quarters; ++q) {
        body += quarterXml(pictures, "2000", std::to_string(q + 1));
        expected += discarded(std::to_string(missing));
    }
    load(body);
    EXPECT_EQ(expected, output);
    ASSERT_EQ(quarters, records.size());
    EXPECT_EQ(quarters * MaxTexturesPerQuarter, loadedPaths.size());
    EXPECT_EQ(MaxTexturesPerQuarter, records.back()->getPictureCount());
    EXPECT_EQ(perQuarter, records.back()->getOriginals().size());
}

// Levels count by "val" whatever their element names, read like atoi but
// saturating; a level without "val" (or a picture under the root) hides its content.
TEST_F(PictureLibrary, LevelsAreReadFromValWhateverTheirNames)
{
    touch("t.jpg");
    const std::string p = picture("t.jpg", "O");
    std::string body = "<!-- c -->" + p + "<y><m val='1'><q val='1'>" + p + "</q></m></y>" +
                       "<y val='1'><m><q val='1'>" + p + "</q></m></y><y val='1'><m val='1'>" +
                       "<!-- c --><q valx='1'>" + p + "</q></m></y><year val='2005'><month " +
                       "val='7'><quarter val='1'>" + p + "</quarter></month></year>" +
                       "<a val='6' x='1'><a val='7'><a val='1'>" + p + "</a></a></a>";
    std::vector<int> expected = {2005, 6}, years;
    const std::pair<const char*, int> vals[] = {
        {"2005abc", 2005}, {" 7", 7}, {"July", 0}, {"", 0}, {"-12", -12}, {"+3", 3},
        {"- 5", 0}, {"4294969301", INT_MAX}, {"-99999999999", INT_MIN}};
    for (const auto& [val, year] : vals) {
        body += quarterXml(p, val);
        expected.push_back(year);
    }
    load(body);
    for (const MonthQuarter* record : records)
        years.push_back(record->getYear());
    EXPECT_EQ(expected, years);
}

// On Linux "C:\a\b\t1.jpg" is one file in the working directory: enough to
// show where the prefix ends. A long name loads whole.
TEST_F(PictureLibrary, PrefixEndsAtTheLastSlashOrBackslash)
{
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // library, texture, path handed to the loader
        {"C:\\a\\b\\Zandervale.xml", "t1.jpg", "C:\\a\\b\\t1.jpg"},
        {"Zandervale.xml", "t1.jpg", "t1.jpg"},
        {"lib/x\\Zandervale.xml", "t1.jpg", "lib/x\\t1.jpg"},
        {"lib/Zandervale.xml", std::string(200, 'n'), "lib/" + std::string(200, 'n')},
    };
    std::filesystem::create_directory(dir.file("lib"));
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    for (const auto& [library, texture, loaded] : cases) {
        touch(loaded);
        load(quarterXml(picture(texture, "O")), library, true);
        EXPECT_EQ(std::vector<std::string>{loaded}, loadedPaths);
        EXPECT_EQ("", output);
    }
    std::filesystem::current_path(saved);
}

// Each case loads in a child process whose standard output goes to a file.
TEST_F(PictureLibrary, UnreadableLibrariesEndTheProcessWithStatusOne)
{
    const std::tuple<std::string, const char*, bool> cases[] = {
        // path (in the folder, unless a URL), content (nullptr: none), wrong root
        {"missing.xml", nullptr, false},
        {".", nullptr, false},   // the folder itself
        {"empty.xml", "", false},
        {"malformed.xml", "<Zandervale><y val='1'></Zandervale>", false},
        {"wrongroot.xml", "<zandervale/>", true},
        {"http://127.0.0.1:9/Zandervale.xml", nullptr, false},   // never fetched
    };
    GTEST_FLAG_SET(death_test_style, "fast");   // the child must see this folder
    for (const auto& [name, content, wrongRoot] : cases) {
        std::string path = name.rfind("http", 0) == 0 ? name : dir.file(name);
        if (content)
            dir.write(name, content);
        EXPECT_EXIT({
            std::freopen(dir.file("out").c_str(), "w", stdout);
            loadPictureLibrary(path.c_str(), &records, fakeLoad);
        }, testing::ExitedWithCode(1), "");
        std::ifstream in(dir.file("out"), std::ios::binary);
        EXPECT_EQ(wrongRoot ? "### ERROR: The XML document in " + path +
                                  " is empty or not an Zandervale XML file. Please specify the "
                                  "correct Zandervale.xml file\n"
                            : "### ERROR: There was no xml photo library file at " + path + "\n",
                  std::string(std::istreambuf_iterator<char>(in), {}));
    }
}

}  // namespace
