// Reading rules of the library loader, driven by real files in a temporary
// folder and a fake texture loader that records what it was asked to load.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
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

std::string picture(const std::string& texture, const std::string& original)
{
    return "<p><texture>" + texture + "</texture><originalPicture>" + original +
           "</originalPicture></p>";
}

std::string quarterXml(int year, int month, int quarter, const std::string& pictures)
{
    std::ostringstream xml;
    xml << "<y val=\"" << year << "\"><m val=\"" << month << "\"><q val=\"" << quarter
        << "\">" << pictures << "</q></m></y>";
    return xml.str();
}

std::string document(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<Zandervale>\n" + body + "\n</Zandervale>\n";
}

struct Loaded {
    std::vector<MonthQuarter*> records;
    std::string output;
    bool result = false;

    ~Loaded()
    {
        for (MonthQuarter* record : records)
            delete record;
    }
};

class PictureLibrary : public testing::Test {
protected:
    support::TempDir dir;

    void SetUp() override { loadedPaths.clear(); }

    void touch(const std::string& name) const { dir.write(name, "x"); }

    void load(const std::string& xml, Loaded* loaded, const std::string& name = "Zandervale.xml")
    {
        std::string path = dir.write(name, xml);
        loaded->output = support::captureStdout([&] {
            loaded->result = loadPictureLibrary(path.c_str(), &loaded->records, fakeLoad);
        });
    }
};

TEST_F(PictureLibrary, RootWithoutChildrenGivesEmptyLibrary)
{
    Loaded loaded;
    load("<Zandervale/>", &loaded);
    EXPECT_TRUE(loaded.result);
    EXPECT_TRUE(loaded.records.empty());
    EXPECT_EQ("", loaded.output);
}

TEST_F(PictureLibrary, EveryMissingTextureIsDiscardedByFullPath)
{
    Loaded loaded;
    load(document(quarterXml(2005, 7, 1, picture("a.jpg", "A") + picture("b.jpg", "B"))),
         &loaded);
    EXPECT_TRUE(loaded.result);
    EXPECT_TRUE(loaded.records.empty());
    EXPECT_TRUE(loadedPaths.empty());
    EXPECT_EQ("Discarded an image: " + dir.file("a.jpg") + "\nDiscarded an image: " +
                  dir.file("b.jpg") + "\n",
              loaded.output);
}

TEST_F(PictureLibrary, MissingSecondPictureShiftsTexturesButNotOriginals)
{
    touch("t1.jpg");
    touch("t3.jpg");
    Loaded loaded;
    load(document(quarterXml(2005, 7, 3, picture("t1.jpg", "O1") + picture("t2.jpg", "O2") +
                                             picture("t3.jpg", "O3"))),
         &loaded);
    ASSERT_EQ(1u, loaded.records.size());
    const MonthQuarter& record = *loaded.records[0];
    EXPECT_EQ((std::vector<TextureName>{1, 2}), record.getTextures());
    EXPECT_EQ((std::vector<std::string>{"O1", "O2", "O3"}), record.getOriginals());
    EXPECT_EQ((std::vector<std::string>{dir.file("t1.jpg"), dir.file("t3.jpg")}), loadedPaths);
    EXPECT_EQ("Discarded an image: " + dir.file("t2.jpg") + "\n", loaded.output);
    EXPECT_EQ(2005, record.getYear());
    EXPECT_EQ(7, record.getMonth());
    EXPECT_EQ(3, record.getQuarter());
}

TEST_F(PictureLibrary, WhiteSpaceAroundNamesIsPartOfTheName)
{
    touch("t1.jpg");
    const char* names[] = {" t1.jpg", "t1.jpg ", "\nt1.jpg\n", "\n    t1.jpg\n  ", "\tt1.jpg"};
    for (const char* name : names) {
        SCOPED_TRACE(testing::PrintToString(name));
        loadedPaths.clear();
        Loaded loaded;
        load(document(quarterXml(2005, 1, 1, picture(name, "O"))), &loaded);
        EXPECT_TRUE(loaded.records.empty());
        EXPECT_TRUE(loadedPaths.empty());
        EXPECT_EQ("Discarded an image: " + dir.path() + "/" + name + "\n", loaded.output);
    }
}

TEST_F(PictureLibrary, QuarterKeepsAtMostTheLimitOfTexturesAndEveryOriginal)
{
    const int pictureCount = 300;
    const int missingIndex = 280;   // beyond the limit: still reported
    std::string pictures;
    for (int i = 0; i < pictureCount; ++i) {
        std::string name = "t" + std::to_string(i) + ".jpg";
        if (i != missingIndex)
            touch(name);
        pictures += picture(name, "O" + std::to_string(i));
    }
    Loaded loaded;
    load(document(quarterXml(2006, 2, 4, pictures)), &loaded);
    ASSERT_EQ(1u, loaded.records.size());
    const MonthQuarter& record = *loaded.records[0];
    ASSERT_EQ(MaxTexturesPerQuarter, record.getPictureCount());
    ASSERT_EQ(static_cast<size_t>(pictureCount), record.getOriginals().size());
    EXPECT_EQ(dir.file("t249.jpg"), loadedPaths.back());
    EXPECT_EQ("O299", record.getOriginals().back());
    EXPECT_EQ("Discarded an image: " + dir.file("t280.jpg") + "\n", loaded.output);
}

TEST_F(PictureLibrary, ValIsReadLikeAtoiAndSaturates)
{
    struct Case {
        const char* val;
        int year;
    };
    const Case cases[] = {
        {"2005abc", 2005}, {" 7", 7},          {"July", 0},   {"", 0},
        {"-12", -12},      {"+3", 3},          {"  -0x1", 0}, {"007", 7},
        {"- 5", 0},        {"4294969301", INT_MAX}, {"-99999999999", INT_MIN},
    };
    touch("t.jpg");
    std::string body;
    for (const Case& c : cases)
        body += std::string("<y val=\"") + c.val + "\"><m val=\"1\"><q val=\"1\">" +
                picture("t.jpg", "O") + "</q></m></y>";
    Loaded loaded;
    load(document(body), &loaded);
    ASSERT_EQ(std::size(cases), loaded.records.size());
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].year, loaded.records[i]->getYear()) << "val=\"" << cases[i].val << "\"";
}

TEST_F(PictureLibrary, LevelWithoutValHidesEverythingInside)
{
    touch("t.jpg");
    const std::string pics = picture("t.jpg", "O");
    const std::string hidden[] = {
        "<y><m val=\"1\"><q val=\"1\">" + pics + "</q></m></y>",
        "<y val=\"2001\"><m><q val=\"1\">" + pics + "</q></m></y>",
        "<y val=\"2001\"><m val=\"1\"><q>" + pics + "</q></m></y>",
        "<y val=\"2001\"><m val=\"1\"><!-- c --><q valx=\"1\">" + pics + "</q></m></y>",
        pics,   // a picture straight under the root is a year without val
    };
    for (const std::string& body : hidden) {
        SCOPED_TRACE(body);
        Loaded loaded;
        load(document("<!-- note -->\n" + body + "\n" + quarterXml(2002, 2, 2, pics)), &loaded);
        ASSERT_EQ(1u, loaded.records.size());
        EXPECT_EQ(2002, loaded.records[0]->getYear());
    }
}

TEST_F(PictureLibrary, PictureChildrenAreReadByNameInAnyOrder)
{
    touch("a.jpg");
    touch("b.jpg");
    touch("c.jpg");
    std::string pics =
        "<p><originalPicture>OA</originalPicture><texture>a.jpg</texture></p>"
        "<p><texture>b.jpg</texture><Texture>c.jpg</Texture><note>x</note></p>"
        "<p><originalPicture>OC</originalPicture></p>"
        "<p><originalPicture>O<i>D</i></originalPicture><x><texture>c.jpg</texture></x></p>"
        "<texture>c.jpg</texture>";
    Loaded loaded;
    load(document(quarterXml(2005, 7, 1, pics)), &loaded);
    ASSERT_EQ(1u, loaded.records.size());
    EXPECT_EQ((std::vector<std::string>{dir.file("a.jpg"), dir.file("b.jpg")}), loadedPaths);
    EXPECT_EQ((std::vector<std::string>{"OA", "OC", "OD"}), loaded.records[0]->getOriginals());
    EXPECT_EQ("", loaded.output);
}

TEST_F(PictureLibrary, QuarterWithOnlyOriginalsGivesNoRecord)
{
    Loaded loaded;
    load(document(quarterXml(2005, 7, 1, "<p><originalPicture>O</originalPicture></p>")),
         &loaded);
    EXPECT_TRUE(loaded.result);
    EXPECT_TRUE(loaded.records.empty());
}

TEST_F(PictureLibrary, RecordsFollowDocumentOrderAndRepeatedQuartersStaySeparate)
{
    touch("t.jpg");
    const std::string pics = picture("t.jpg", "O");
    std::string body = "<y val=\"2007\"><m val=\"3\"><q val=\"2\">" + pics +
                       "</q><q val=\"1\">" + pics + "</q></m><m val=\"1\"><q val=\"4\">" +
                       pics + "</q></m></y>" + quarterXml(2004, 12, 1, pics) +
                       quarterXml(2007, 3, 2, pics);
    Loaded loaded;
    load(document(body), &loaded);
    const int expected[][3] = {{2007, 3, 2}, {2007, 3, 1}, {2007, 1, 4}, {2004, 12, 1}, {2007, 3, 2}};
    ASSERT_EQ(std::size(expected), loaded.records.size());
    for (size_t i = 0; i < std::size(expected); ++i) {
        const MonthQuarter& r = *loaded.records[i];
        EXPECT_EQ(expected[i][0], r.getYear()) << i;
        EXPECT_EQ(expected[i][1], r.getMonth()) << i;
        EXPECT_EQ(expected[i][2], r.getQuarter()) << i;
        EXPECT_EQ(std::vector<TextureName>{static_cast<TextureName>(i + 1)}, r.getTextures());
    }
}

TEST_F(PictureLibrary, ElementNamesBelowTheRootAreFree)
{
    touch("t.jpg");
    const std::string pics = "<pic><texture>t.jpg</texture><originalPicture>O</originalPicture></pic>";
    const std::string bodies[] = {
        "<year val=\"2005\"><month val=\"7\"><quarter val=\"1\">" + pics +
            "</quarter></month></year>",
        "<Jahr val=\"2005\"><Monat val=\"7\"><Viertel val=\"1\">" + pics +
            "</Viertel></Monat></Jahr>",
        "<a val=\"2005\" other=\"x\"><a val=\"7\"><a val=\"1\">" + pics + "</a></a></a>",
    };
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body);
        Loaded loaded;
        load(document(body), &loaded);
        ASSERT_EQ(1u, loaded.records.size());
        const MonthQuarter& r = *loaded.records[0];
        EXPECT_EQ(2005, r.getYear());
        EXPECT_EQ(7, r.getMonth());
        EXPECT_EQ(1, r.getQuarter());
        EXPECT_EQ(std::vector<std::string>{"O"}, r.getOriginals());
    }
}

// Texture names never reach past the element: a long name is one path.
TEST_F(PictureLibrary, LongTextureNamesLoadWhole)
{
    std::string name(200, 'n');
    name += ".jpg";
    touch(name);
    Loaded loaded;
    load(document(quarterXml(2005, 7, 1, picture(name, "O"))), &loaded);
    ASSERT_EQ(1u, loaded.records.size());
    EXPECT_EQ(std::vector<std::string>{dir.file(name)}, loadedPaths);
}

// A directory opens for reading on Linux, and an empty name names the
// library's own folder: neither is an image.
TEST_F(PictureLibrary, DirectoriesAndEmptyNamesAreDiscarded)
{
    std::filesystem::create_directory(dir.file("sub.jpg"));
    Loaded loaded;
    load(document(quarterXml(2005, 7, 1, picture("sub.jpg", "O1") + picture("", "O2") +
                                             "<p><texture/></p>")),
         &loaded);
    EXPECT_TRUE(loaded.records.empty());
    EXPECT_TRUE(loadedPaths.empty());
    std::string folder = dir.path() + "/";
    EXPECT_EQ("Discarded an image: " + folder + "sub.jpg\nDiscarded an image: " + folder +
                  "\nDiscarded an image: " + folder + "\n",
              loaded.output);
}

// A FIFO blocks whoever opens it and a device never ends: neither is an image.
TEST_F(PictureLibrary, SpecialFilesAreDiscarded)
{
    ASSERT_EQ(0, mkfifo(dir.file("pipe.jpg").c_str(), 0600));
    // Held open here so that a loader which does open it fails rather than hangs.
    int writer = open(dir.file("pipe.jpg").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.jpg"));
    Loaded loaded;
    load(document(quarterXml(2005, 7, 1, picture("pipe.jpg", "O") + picture("zero.jpg", "Z"))),
         &loaded);
    EXPECT_TRUE(loaded.records.empty());
    EXPECT_EQ("Discarded an image: " + dir.file("pipe.jpg") + "\nDiscarded an image: " +
                  dir.file("zero.jpg") + "\n",
              loaded.output);
    close(writer);
}

// Keeps the working directory at a folder while it lives.
class InFolder {
public:
    explicit InFolder(const std::string& path) : saved(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~InFolder() { std::filesystem::current_path(saved); }

private:
    std::filesystem::path saved;
};

TEST_F(PictureLibrary, PrefixEndsAtTheLastSlashOrBackslash)
{
    struct Case {
        const char* library;   // relative to the test folder
        const char* texture;   // the path handed to the texture loader
    };
    // On Linux a backslash is an ordinary character, so "C:\a\b\t1.jpg" is
    // one file in the working directory: enough to show where the prefix ends.
    const Case cases[] = {
        {"C:\\a\\b\\Zandervale.xml", "C:\\a\\b\\t1.jpg"},
        {"Zandervale.xml", "t1.jpg"},
        {"lib/Zandervale.xml", "lib/t1.jpg"},
        {"lib/x\\Zandervale.xml", "lib/x\\t1.jpg"},
        {"lib\\x/Zandervale.xml", "lib\\x/t1.jpg"},
    };
    std::filesystem::create_directories(dir.file("lib"));
    std::filesystem::create_directories(dir.file("lib\\x"));
    InFolder inFolder(dir.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        touch(c.texture);
        loadedPaths.clear();
        Loaded loaded;
        dir.write(c.library, document(quarterXml(2005, 7, 1, picture("t1.jpg", "O"))));
        loaded.output = support::captureStdout(
            [&] { loadPictureLibrary(c.library, &loaded.records, fakeLoad); });
        EXPECT_EQ(std::vector<std::string>{c.texture}, loadedPaths);
        EXPECT_EQ("", loaded.output);
        std::filesystem::remove(dir.file(c.texture));
    }
}

TEST_F(PictureLibrary, ThousandsOfThumbnailsLoad)
{
    const int years = 5, months = 12, quarters = 4, perQuarter = 25;   // 6000 pictures
    std::string body;
    int count = 0;
    for (int y = 0; y < years; ++y)
        for (int m = 1; m <= months; ++m)
            for (int q = 1; q <= quarters; ++q) {
                std::string pics;
                for (int p = 0; p < perQuarter; ++p, ++count) {
                    std::string name = "a" + std::to_string(count) + ".jpg";
                    touch(name);
                    pics += picture(name, "C:\\photos\\" + name);
                }
                body += quarterXml(2000 + y, m, q, pics);
            }
    Loaded loaded;
    auto start = std::chrono::steady_clock::now();
    load(document(body), &loaded);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(static_cast<size_t>(years * months * quarters), loaded.records.size());
    EXPECT_EQ(static_cast<size_t>(count), loadedPaths.size());
    EXPECT_EQ(static_cast<TextureName>(count), loaded.records.back()->getTextures().back());
    std::printf("[ info ] %d pictures in %zu quarters loaded in %.3f s\n", count,
                loaded.records.size(), seconds);
}

// --- fatal start-up errors -------------------------------------------------

const char* const noLibrary = "### ERROR: There was no xml photo library file at %s\n";
const char* const notZandervale =
    "### ERROR: The XML document in %s is empty or not an Zandervale XML file. Please specify "
    "the correct Zandervale.xml file\n";

std::string formatted(const char* format, const std::string& path)
{
    char line[4096];
    std::snprintf(line, sizeof line, format, path.c_str());
    return line;
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Nine levels of tenfold entities: a gigabyte of text if ever expanded.
const char* const billionLaughs =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE Zandervale [\n<!ENTITY a \"aaaaaaaaaa\">\n"
    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
    "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
    "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n"
    "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">\n<!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">\n"
    "]>\n<Zandervale><y val=\"1\"><m val=\"1\"><q val=\"1\"><p><texture>&i;</texture>"
    "</p></q></m></y></Zandervale>\n";

class PictureLibraryDeath : public PictureLibrary {
protected:
    // Loads path in a child process whose standard output goes to a file, and
    // returns what it printed; the child must end with status 1.
    std::string loadFatally(const std::string& path)
    {
        GTEST_FLAG_SET(death_test_style, "fast");   // the child must see this folder
        std::string out = dir.file("stdout.txt");
        EXPECT_EXIT(
            {
                std::freopen(out.c_str(), "w", stdout);
                std::vector<MonthQuarter*> library;
                loadPictureLibrary(path.c_str(), &library, fakeLoad);
            },
            testing::ExitedWithCode(1), "");
        return readWhole(out);
    }
};

TEST_F(PictureLibraryDeath, UnreadableLibrariesEndTheProcess)
{
    struct Case {
        const char* name;
        const char* content;   // nullptr: no such file
        const char* message;
    };
    const Case cases[] = {
        {"missing.xml", nullptr, noLibrary},
        {"empty.xml", "", noLibrary},
        {"declaration.xml", "<?xml version=\"1.0\"?>\n", noLibrary},
        {"malformed.xml", "<Zandervale><y val=\"1\"></Zandervale>", noLibrary},
        {"latin1.xml", "<Zandervale><y val=\"M\xe4rz\"/></Zandervale>", noLibrary},
        {"laughs.xml", billionLaughs, noLibrary},
        {"wrongroot.xml", "<zandervale/>", notZandervale},
        {"otherroot.xml", "<?xml version=\"1.0\"?><Library><y val=\"2005\"/></Library>",
         notZandervale},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = c.content ? dir.write(c.name, c.content) : dir.file(c.name);
        EXPECT_EQ(formatted(c.message, path), loadFatally(path));
    }
}

TEST_F(PictureLibraryDeath, FolderAsLibraryEndsTheProcess)
{
    EXPECT_EQ(formatted(noLibrary, dir.path()), loadFatally(dir.path()));
}

// A path or DTD naming a URL must not make the loader reach the network.
TEST_F(PictureLibraryDeath, UrlsAreNeverFetched)
{
    int server = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ASSERT_GE(server, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(0, bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, listen(server, 4));
    ASSERT_EQ(0, getsockname(server, reinterpret_cast<sockaddr*>(&address), &length));
    std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));

    EXPECT_EQ(formatted(noLibrary, url + "/Zandervale.xml"), loadFatally(url + "/Zandervale.xml"));

    std::string withDtd = dir.write(
        "dtd.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE Zandervale SYSTEM \"" + url +
                       "/z.dtd\">\n<Zandervale/>\n");
    Loaded loaded;
    loaded.output = support::captureStdout(
        [&] { loaded.result = loadPictureLibrary(withDtd.c_str(), &loaded.records, fakeLoad); });
    EXPECT_TRUE(loaded.result);

    int client = accept(server, nullptr, nullptr);
    EXPECT_LT(client, 0) << "the loader connected to " << url;
    if (client >= 0)
        close(client);
    close(server);
}

}  // namespace
