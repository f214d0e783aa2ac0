// The thumbnail cache seen from the library loader: a second opening shows
// the same pictures from the cache file; a thumbnail replaced with its size
// and times kept is made again; a file that is damaged, too large or
// another library's costs one line and the slow path, and is written whole
// again. Then the stamp field by field, and the bound's oldest-first rule.
#include <GL/gl.h>
#include <IL/il.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <functional>

#include "library/PictureLibrary.h"
#include "support/CaptureStdout.h"
#include "support/GlPixels.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"
#include "textures/ThumbnailCacheSet.h"
#include "textures/ThumbnailDecoder.h"

namespace {

support::Colour colourOf(int picture) { return {GLubyte(30 * picture), GLubyte(250 - 30 * picture), 90, 255}; }

// Every picture padded to one byte size (decoders stop at their end
// marker), so any may replace any other with the size kept.
bool writePicture(const std::string& path, support::Colour colour)
{
    const bool jpeg = path.back() == 'g' && path[path.size() - 2] == 'p';
    return support::writeWithDevil(path, jpeg ? IL_JPG : IL_PNG, 32, 24, [colour](int, int) { return colour; }) &&
           truncate(path.c_str(), 16384) == 0;
}

struct Opening {
    std::string lines;
    std::vector<support::Colour> colours;
    int fullLevels = 0;   // read back or decoded again when asked for
};

// Opens the library as the viewer does, asks for every full level and waits
// for them and for the cache to be written.
Opening open(const std::string& library)
{
    Opening opening;
    std::vector<MonthQuarter*> records;
    YearSpan span;
    PhotoAtlas photos;
    ThumbnailCacheSet caches;
    opening.lines = support::captureStdout([&] {
        loadPictureLibrary(library.c_str(), &records, &span, photos, caches);
        const float here[3] = {0, 0, 0};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (const MonthQuarter* record : records)
            photos.wantFull(record->getTextures(), here, 1);
        while (photos.fullLevelsAwaited() > 0 && std::chrono::steady_clock::now() < deadline)
            photos.stepLevels(here, 100);
        caches.waitForWriters();
    });
    for (const MonthQuarter* record : records) {
        for (TextureName texture : record->getTextures())
            opening.fullLevels += photos.fullLevelMark({texture}) != 0;
    }
    for (const MonthQuarter* record : records) {
        for (TextureName texture : record->getTextures())
            opening.colours.push_back(support::drawnColour(photos, texture));
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
            ASSERT_TRUE(writePicture(picture(i), colourOf(i)));
            pictures += "<picture><texture>" + picture(i).substr(dir.path().size() + 1) + "</texture></picture>";
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

    std::string picture(int i) const { return dir.file("p" + std::to_string(i) + (i % 2 ? ".jpg" : ".png")); }

    void expectSlowPathPicture(const Opening& opening, const std::string& what)
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
    EXPECT_EQ(cacheFile.rfind(cacheHome.path() + "/zandervale/", 0), 0u);
    EXPECT_EQ(ThumbnailCache(thumbnailCacheFolder(), library).entries(), 6u);
    const ino_t written = inode(cacheFile);
    ASSERT_NE(written, 0u);
    const Opening second = open(library);
    expectSlowPathPicture(second, "second opening");
    // Decoded again from their files, then read back from the cache file.
    EXPECT_EQ(slow.fullLevels, 6);
    EXPECT_EQ(second.fullLevels, 6);
    EXPECT_EQ(inode(cacheFile), written) << "every thumbnail came from the file: nothing to write again";
}

TEST_F(ThumbnailCacheFile, MakesAThumbnailReplacedWithItsSizeAndTimesKeptAgain)
{
    // As cp -p, rsync -t and tar x leave a replaced file.
    struct stat before;
    ASSERT_EQ(stat(picture(2).c_str(), &before), 0);
    ASSERT_TRUE(writePicture(picture(2), support::red));   // of the same size
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, picture(2).c_str(), times, 0), 0);
    slow.colours[2] = support::red;
    const Opening changed = open(library);
    EXPECT_PRED3(support::nearColour, changed.colours[2], support::red, 6);
    expectSlowPathPicture(changed, "replaced thumbnail");
    expectSlowPathPicture(open(library), "after the change");
}

TEST_F(ThumbnailCacheFile, DropsADamagedOrForeignFileWithOneLineAndWritesItAgain)
{
    const auto overwrite = [this](off_t at, const std::string& bytes) {
        const int file = ::open(cacheFile.c_str(), O_WRONLY);
        return file >= 0 && pwrite(file, bytes.data(), bytes.size(), at) == ssize_t(bytes.size()) && close(file) == 0;
    };
    const auto fileBytes = [this] {
        struct stat info;
        return stat(cacheFile.c_str(), &info) == 0 ? off_t(info.st_size) : off_t(0);
    };
    // The trailer's last 40 bytes hold the index's start, the entry count,
    // the file's length, the index's checksum and a mark.
    const auto trailer = [&] {
        std::string bytes(40, '\0');
        const int file = ::open(cacheFile.c_str(), O_RDONLY);
        const bool read = file >= 0 && pread(file, &bytes[0], 40, fileBytes() - 40) == 40;
        close(file);
        return read ? bytes : std::string();
    };
    const std::string damaged = "it is damaged", foreign = "it belongs to another library";
    const struct {
        const char* what;
        std::string why;
        std::function<bool()> spoil;
    } cases[] = {
        {"cut short", damaged, [&] { return truncate(cacheFile.c_str(), fileBytes() - 20) == 0; }},
        {"a FIFO, never waited on", damaged, [&] { return unlink(cacheFile.c_str()) == 0 && mkfifo(cacheFile.c_str(), 0600) == 0; }},
        {"levels overwritten", damaged, [&] { return overwrite(16, std::string(1008, '\x5a')); }},
        {"index changed", damaged, [&] { return overwrite(fileBytes() - 60, "\x01"); }},
        {"sparse 50 GB claimed by its trailer", damaged,
         [&] {
             std::string tail = trailer();
             const int64_t huge = int64_t(50) << 30;
             return tail.size() == 40 && (std::memcpy(&tail[16], &huge, 8), truncate(cacheFile.c_str(), huge) == 0) &&
                    overwrite(huge - 40, tail);
         }},
        {"another library's", foreign,
         [&] {
             // Naming this library's thumbnails, stamps and all, with other
             // blocks, put in this library's place.
             ThumbnailCache other(thumbnailCacheFolder(), dir.write("Other.xml", "<Zandervale/>"));
             DecodedThumbnail red = decodeThumbnail(picture(0).c_str(), true, false);
             red.framed.assign(red.framed.size(), 255);
             const std::vector<unsigned char> blocks = compressFramed(red.framed.data(), red.width + 2, red.height + 2);
             const std::vector<unsigned char> small(smallLevelBytes, 255);
             for (int i = 0; i < 6; ++i)
                 other.keep(picture(i), stampOf(picture(i).c_str()), red.width, red.height, blocks.data(), small.data());
             other.finish();
             other.waitForWriter();
             return rename(other.filePath().c_str(), cacheFile.c_str()) == 0;
         }},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.spoil()) << c.what;
        Opening opening = open(library);
        const std::string line = "Not using the thumbnail cache " + cacheFile + ": " + c.why + "; it is made again\n";
        const size_t at = opening.lines.find(line);
        ASSERT_NE(at, std::string::npos) << c.what << ": " << opening.lines;
        opening.lines.erase(at, line.size());
        expectSlowPathPicture(opening, c.what);
        EXPECT_EQ(ThumbnailCache(thumbnailCacheFolder(), library).entries(), 6u) << c.what << ": written whole again";
        expectSlowPathPicture(open(library), std::string(c.what) + ", the opening after");
    }
}

TEST_F(ThumbnailCacheFile, CostsOnlyOneLineWhereTheFolderCannotBeWritten)
{
    const std::string folder = thumbnailCacheFolder();
    ASSERT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
    cacheHome.write("zandervale", "a file where the folder should be");
    Opening opening = open(library);
    EXPECT_EQ(opening.lines, slow.lines + "Cannot keep the thumbnail cache in " + folder + ": Not a directory\n");
    opening.lines = slow.lines;
    expectSlowPathPicture(opening, "unwritable folder");
}

// Both levels of a 2 x 2 thumbnail, as the loader keeps them: the full
// level is one block, the small one follows it.
const std::vector<unsigned char> rgba2x2 = {9, 99, 200, 255, 250, 0, 40, 255, 0, 0, 0, 255, 255, 255, 255, 255};
std::vector<unsigned char> someBlocks() { return compressFramed(frameTexels(rgba2x2.data(), 2, 2).data(), 4, 4); }
std::vector<unsigned char> someSmall() { return smallLevelBlocks(rgba2x2.data(), 2, 2); }

TEST(ThumbnailCacheLevels, GivesBothLevelsBackOnlyForTheirStampAndUnchanged)
{
    support::TempDir folder;
    FileStamp kept;
    int64_t FileStamp::*const fields[] = {&FileStamp::device, &FileStamp::inode, &FileStamp::size,
                                          &FileStamp::modifiedSeconds, &FileStamp::modifiedNanoseconds,
                                          &FileStamp::changedSeconds, &FileStamp::changedNanoseconds};
    int value = 1000;
    for (int64_t FileStamp::*field : fields)
        kept.*field = value++;
    const auto write = [&] {
        ThumbnailCache cache(folder.path(), "/library.xml");
        cache.keep("/t.jpg", kept, 2, 2, someBlocks().data(), someSmall().data());
        cache.finish();
        cache.waitForWriter();
        return cache.filePath();
    };
    // Past the 16-byte header: the full level's one block, then the small level.
    const struct {
        const char* what;
        off_t spoiled;   // -1 for none
        bool smallFound, fullRead;
    } cases[] = {{"as written", -1, true, true}, {"small level changed", 16 + 8 + 100, false, false},
                 {"full level changed", 16 + 3, true, false}};
    for (const auto& c : cases) {
        const std::string file = write();
        const int spoiling = ::open(file.c_str(), O_WRONLY);
        ASSERT_TRUE(c.spoiled < 0 || pwrite(spoiling, "\x5a", 1, c.spoiled) == 1) << c.what;
        close(spoiling);
        const ThumbnailCache cache(folder.path(), "/library.xml");
        int width = 0, height = 0;
        std::vector<unsigned char> small, blocks;
        FullLevelAt full;
        ASSERT_EQ(cache.find("/t.jpg", kept, &width, &height, &small, &full), c.smallFound) << c.what;
        EXPECT_EQ(c.smallFound && cache.readFull(full, &blocks), c.fullRead) << c.what;
        if (c.smallFound && !c.fullRead) {   // found as the walker nears: said once, made again next time
            const std::string said = support::captureStdout([&] {
                cache.dropDamaged();
                cache.dropDamaged();
            });
            EXPECT_EQ(said, "Not using the thumbnail cache " + file + ": it is damaged; it is made again\n") << c.what;
            EXPECT_NE(access(file.c_str(), F_OK), 0) << c.what;
        }
        if (c.spoiled < 0) {
            EXPECT_EQ(small, someSmall());
            EXPECT_EQ(blocks, someBlocks());
            for (size_t i = 0; i < std::size(fields); ++i) {
                FileStamp other = kept;
                other.*fields[i] += 1;
                EXPECT_FALSE(cache.find("/t.jpg", other, &width, &height, &small, &full)) << "field " << i;
            }
        }
    }
}

TEST(ThumbnailCacheBound, RemovesTheLibrariesOpenedLongestAgoFirst)
{
    support::TempDir folder;
    // Three other libraries' files, sparse, nearly half the bound each:
    // with this library's, the oldest one is too many.
    const char* names[] = {"00000000000000a1.zvcache", "00000000000000a2.zvcache", "00000000000000a3.zvcache"};
    for (int i = 0; i < 3; ++i) {
        const std::string path = folder.write(names[i], "");
        ASSERT_EQ(truncate(path.c_str(), thumbnailCacheBytes / 100 * 45), 0);
        const struct timespec opened[2] = {{0, UTIME_OMIT}, {1000000000 + 1000 * i, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), opened, 0), 0);
    }
    ThumbnailCache cache(folder.path(), "/library.xml");
    cache.keep("/t.jpg", FileStamp(), 2, 2, someBlocks().data(), someSmall().data());
    cache.finish();
    cache.waitForWriter();
    EXPECT_NE(inode(cache.filePath()), 0u);
    EXPECT_EQ(inode(folder.file(names[0])), 0u) << "the oldest goes";
    EXPECT_NE(inode(folder.file(names[1])), 0u);
    EXPECT_NE(inode(folder.file(names[2])), 0u);
}

}  // namespace
