// The thumbnail cache seen from the library loader: a second opening shows
// the same pictures and prints the same lines from the cache file, and a
// file that is stale, cut short, another library's or cannot be written
// costs only the slow path (and one line for the unwritable folder).
#include <GL/gl.h>
#include <IL/il.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "library/PictureLibrary.h"
#include "support/CaptureStdout.h"
#include "support/GlPixels.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/Textures.h"
#include "textures/ThumbnailCacheSet.h"
#include "textures/ThumbnailDecoder.h"

namespace {


support::Colour colourOf(int picture) { return {GLubyte(30 * picture), GLubyte(250 - 30 * picture), 90, 255}; }

bool writePicture(const std::string& path, support::Colour colour)
{
    return support::writeWithDevil(path, path.back() == 'g' && path[path.size() - 2] == 'p' ? IL_JPG : IL_PNG, 32, 24,
                                   [colour](int, int) { return colour; });
}

struct Opening {
    std::string lines;
    std::vector<support::Colour> colours;
};

// Opens the library as the viewer does and waits for the cache to be written.
Opening open(const std::string& library)
{
    Opening opening;
    std::vector<MonthQuarter*> records;
    YearSpan span;
    opening.lines = support::captureStdout([&] {
        loadPictureLibrary(library.c_str(), &records, &span);
        libraryThumbnailCaches().waitForWriters();
    });
    for (const MonthQuarter* record : records) {
        for (TextureName texture : record->getTextures())
            opening.colours.push_back(support::drawnColour(texture));
        delete record;
    }
    return opening;
}

ino_t inode(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class ThumbnailCacheFile : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(compressesThumbnails());
        const char* before = std::getenv("XDG_CACHE_HOME");
        previousCacheHome = before != nullptr ? before : "";
        setenv("XDG_CACHE_HOME", cacheHome.path().c_str(), 1);
        std::string pictures;
        for (int i = 0; i < 6; ++i) {
            const std::string name = "p" + std::to_string(i) + (i % 2 ? ".jpg" : ".png");
            ASSERT_TRUE(writePicture(dir.file(name), colourOf(i)));
            pictures += "<picture><texture>" + name + "</texture></picture>";
        }
        // Lines the loader prints, which the cache must not change.
        pictures += "<picture><texture>gone.png</texture></picture><picture><texture>b.bmp</texture></picture>";
        ASSERT_TRUE(support::writeWithDevil(dir.file("b.bmp"), IL_BMP, 8, 8, [](int, int) { return support::blue; }));
        library = dir.write("Zandervale.xml", "<Zandervale><year val=\"2004\"><month val=\"5\"><quarter val=\"1\">" +
                                                  pictures + "</quarter></month></year></Zandervale>");
        slow = open(library);   // no cache file yet
        ASSERT_EQ(slow.colours.size(), 7u);
        cacheFile = ThumbnailCache(thumbnailCacheFolder(), library).filePath();
    }
    void TearDown() override
    {
        if (previousCacheHome.empty())
            unsetenv("XDG_CACHE_HOME");
        else
            setenv("XDG_CACHE_HOME", previousCacheHome.c_str(), 1);
    }

    void expectSlowPathPicture(const Opening& opening, const char* what)
    {
        EXPECT_EQ(opening.lines, slow.lines) << what;
        ASSERT_EQ(opening.colours.size(), slow.colours.size()) << what;
        for (size_t i = 0; i < slow.colours.size(); ++i)
            EXPECT_PRED3(support::nearColour, opening.colours[i], slow.colours[i], 0) << what << " picture " << i;
    }

    support::TempDir dir, cacheHome;
    std::string library, cacheFile, previousCacheHome;
    Opening slow;
};

TEST_F(ThumbnailCacheFile, IsWrittenOnceAndReadAtTheNextOpening)
{
    EXPECT_EQ(slow.lines, "Discarded an image: " + dir.file("gone.png") + "\n");
    for (int i = 0; i < 6; ++i)
        EXPECT_PRED3(support::nearColour, slow.colours[i], colourOf(i), 6) << i;
    EXPECT_EQ(cacheFile.rfind(cacheHome.path() + "/zandervale/", 0), 0u);
    EXPECT_EQ(ThumbnailCache(thumbnailCacheFolder(), library).entries(), 6u);
    const ino_t written = inode(cacheFile);
    ASSERT_NE(written, 0u);
    expectSlowPathPicture(open(library), "second opening");
    EXPECT_EQ(inode(cacheFile), written) << "every thumbnail came from the file: nothing to write again";
}

TEST_F(ThumbnailCacheFile, MakesAChangedThumbnailAgain)
{
    ASSERT_TRUE(writePicture(dir.file("p2.png"), support::red));
    const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};   // another time, whatever the size
    ASSERT_EQ(utimensat(AT_FDCWD, dir.file("p2.png").c_str(), later, 0), 0);
    slow.colours[2] = support::red;
    const Opening changed = open(library);
    EXPECT_PRED3(support::nearColour, changed.colours[2], support::red, 6);
    expectSlowPathPicture(changed, "changed thumbnail");
    expectSlowPathPicture(open(library), "after the change");
}

TEST_F(ThumbnailCacheFile, RefusesAFileCutShortOrOfAnotherLibrary)
{
    struct stat info;
    ASSERT_EQ(stat(cacheFile.c_str(), &info), 0);
    ASSERT_EQ(truncate(cacheFile.c_str(), info.st_size - 20), 0);
    EXPECT_EQ(ThumbnailCache(thumbnailCacheFolder(), library).entries(), 0u);
    expectSlowPathPicture(open(library), "cut short");
    EXPECT_EQ(ThumbnailCache(thumbnailCacheFolder(), library).entries(), 6u) << "written whole again";

    // Another library's file naming this one's thumbnails, stamps and all,
    // with other blocks, put in this library's place.
    const std::string other = dir.write("Other.xml", "<Zandervale/>");
    {
        ThumbnailCache foreign(thumbnailCacheFolder(), other);
        DecodedThumbnail red = decodeThumbnail(dir.file("p0.png").c_str(), true, false);
        red.framed.assign(red.framed.size(), 255);
        const std::vector<unsigned char> blocks = compressFramed(red.framed.data(), red.width + 2, red.height + 2);
        for (int i = 0; i < 6; ++i) {
            const std::string name = dir.file("p" + std::to_string(i) + (i % 2 ? ".jpg" : ".png"));
            foreign.keep(name, stampOf(name.c_str()), red.width, red.height, blocks.data());
        }
        foreign.finish();
        foreign.waitForWriter();
        ASSERT_EQ(rename(foreign.filePath().c_str(), cacheFile.c_str()), 0);
    }
    expectSlowPathPicture(open(library), "another library's file");
}

TEST_F(ThumbnailCacheFile, CostsOnlyOneLineWhereTheFolderCannotBeWritten)
{
    const std::string folder = thumbnailCacheFolder();
    ASSERT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
    cacheHome.write("zandervale", "a file where the folder should be");
    const Opening opening = open(library);
    EXPECT_EQ(opening.lines, slow.lines + "Cannot keep the thumbnail cache in " + folder + ": Not a directory\n");
    ASSERT_EQ(opening.colours.size(), slow.colours.size());
    for (size_t i = 0; i < slow.colours.size(); ++i)
        EXPECT_PRED3(support::nearColour, opening.colours[i], slow.colours[i], 0) << i;
}

}  // namespace
