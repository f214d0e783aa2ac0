// zandervale-index run on small photo folders, its library read back through the viewer's
// own loader: dates and names, upright thumbnails, re-runs and a run killed half-way.
#include <IL/il.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exiv2/exiv2.hpp>
#include <vips/vips.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "library/PictureLibrary.h"
#include "support/CaptureStdout.h"
#include "support/ImageFiles.h"
#include "support/KindFiles.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using support::red, support::green, support::blue, support::readFile;
using Dates = std::vector<std::pair<ExifTag, std::string>>;
const std::string indexer = ZV_TOOLS_DIR "/zandervale-index";

std::pair<int, std::string> runIndexer(const std::string& arguments) { return support::commandOutput("TZ=UTC " + indexer + " " + arguments); }

struct Picture { int year, month, quarter; std::string texture; };
std::vector<std::string> texturePaths;
YearSpan span;   // of the last library read back
TextureName recordTexture(const char* path) { texturePaths.push_back(path); return TextureName(texturePaths.size()); }

// Each original the viewer's loader reads, with its place and its thumbnail's path.
std::map<std::string, Picture> readBack(const std::string& library)
{
    std::vector<MonthQuarter*> quarters;
    texturePaths.clear();
    EXPECT_EQ(readPictureLibrary(library.c_str(), &quarters, recordTexture, &span), LibraryError::none);
    std::map<std::string, Picture> pictures;
    for (const MonthQuarter* q : quarters) {
        for (int i = 0; i < q->getPictureCount(); ++i)
            pictures[q->getOriginals().at(q->getPhotoIndex(i))] = {q->getYear(), q->getMonth(), q->getQuarter(),
                                                                    texturePaths.at(q->getTextures()[i] - 1)};
        delete q;
    }
    return pictures;
}

// A JPEG with EXIF dates, an orientation (0: none) and an embedded EXIF
// preview (its JPEG bytes; "": none), as a camera writes them.
void writePhoto(const std::string& path, const support::PixelFunction& pixel, const Dates& dates = {},
                int orientation = 0, int width = 64, int height = 48, const std::string& preview = "")
{
    support::writeWithDevil(path, IL_JPG, width, height, pixel);
    const auto image = Exiv2::ImageFactory::open(path);
    Exiv2::ExifData& exif = image->exifData();
    for (const auto& [tag, text] : dates)
        exif[tag == EXIF_TAG_DATE_TIME ? "Exif.Image.DateTime" : tag == EXIF_TAG_DATE_TIME_ORIGINAL ? "Exif.Photo.DateTimeOriginal"
                                                                                                   : "Exif.Photo.DateTimeDigitized"] = text;
    if (orientation)
        exif["Exif.Image.Orientation"] = uint16_t(orientation);
    if (!preview.empty())
        Exiv2::ExifThumb(exif).setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(preview.data()), long(preview.size()));
    image->setComment(path);   // no two photos of a test are copies of each other
    image->writeMetadata();
}

support::PixelFunction plain(support::Colour colour) { return [=](int, int) { return colour; }; }

struct PhotoFolder {
    support::TempDir temp;
    const std::string p = fs::canonical(temp.path()).string() + "/", lib = p + "lib", xml = lib + "/Zandervale.xml";
    std::pair<int, std::string> index() const { return runIndexer("'" + p + "' '" + lib + "'"); }
};

// Names with XML's special characters, spaces or non-ASCII letters come back; bad ones are reported.
TEST(IndexRun, PhotosGoWhereTheirDatesPlaceThemUnderTheirOwnNames)
{
    PhotoFolder f;
    const std::string y05 = "2005:07:03 10:00:00", y06 = "2006:02:08 10:00:00", y07 = "2007:12:31 23:59:59", future = "2099:12:31 00:00:00";
    const ExifTag original = EXIF_TAG_DATE_TIME_ORIGINAL, digitized = EXIF_TAG_DATE_TIME_DIGITIZED, dateTime = EXIF_TAG_DATE_TIME;
    const std::pair<const char*, Dates> photos[] = {{"all & more.jpg", {{original, y05}, {digitized, y06}, {dateTime, y07}}},
        {"<digitized>.JPG", {{digitized, y06}, {dateTime, y07}}}, {"date time.jpeg", {{dateTime, y07}}},
        {"future.jpg", {{original, future}, {dateTime, y07}}}, {"nodate.jpg", {}}, {"old.jpg", {}},
        {"bad\xff.jpg", {}}, {"line\nbreak.jpg", {}}};
    for (const auto& [name, dates] : photos)
        writePhoto(f.p + name, plain(red), dates, 1);   // EXIF in every one, dates in some
    support::writeTwoBandPng(f.p + "Ünïcødé 写真.png", 64, 48, support::PngFormat::Rgba, red, blue);
    for (const auto& [name, year] : {std::pair{"nodate.jpg", 2010}, {"Ünïcødé 写真.png", 2012}, {"old.jpg", 1940}}) {
        std::tm noon{0, 0, 12, 7, 3, year - 1900, 0, 0, 0, 0, nullptr};   // 7 April
        const timespec times[2] = {{timegm(&noon), 0}, {timegm(&noon), 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (f.p + name).c_str(), times, 0), 0) << name;
    }
    const auto [status, output] = f.index();
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find(f.p + "future.jpg: DateTimeOriginal " + future + " lies in the future"), std::string::npos);
    EXPECT_NE(output.find("1 photo from before 1953"), std::string::npos) << output;
    EXPECT_NE(output.find(f.p + "bad\\xff.jpg: name is not valid UTF-8"), std::string::npos);
    EXPECT_NE(output.find(f.p + "line\\nbreak.jpg: name holds a control character"), std::string::npos);
    std::map<std::string, std::tuple<int, int, int>> placed, expected = {{"all & more.jpg", {2005, 7, 1}},
        {"<digitized>.JPG", {2006, 2, 2}}, {"date time.jpeg", {2007, 12, 4}}, {"future.jpg", {2007, 12, 4}},
        {"nodate.jpg", {2010, 4, 1}}, {"Ünïcødé 写真.png", {2012, 4, 1}}};
    for (const auto& [original, picture] : readBack(f.xml)) {
        placed[original.substr(f.p.size())] = {picture.year, picture.month, picture.quarter};
        EXPECT_EQ(fs::path(picture.texture).filename().string().size(), 10u) << picture.texture;
    }
    EXPECT_EQ(placed, expected);
    EXPECT_EQ(std::make_pair(span.first, span.last), std::make_pair(1953, 2012));
}

TEST(IndexRun, EveryExifOrientationGivesAnUprightThumbnailCroppedToCover)
{
    PhotoFolder f;
    // Upright: red top-left, blue top-right, green below; stored (x, y) shows at (u, v).
    const bool swaps[9] = {0, 0, 0, 0, 0, 1, 1, 1, 1}, flipX[9] = {0, 0, 1, 1, 0, 0, 0, 1, 1}, flipY[9] = {0, 0, 0, 1, 1, 0, 1, 1, 0};
    for (int o = 1; o <= 8; ++o) {
        const int w = swaps[o] ? 48 : 64, h = swaps[o] ? 64 : 48;
        writePhoto(f.p + std::to_string(o) + ".jpg", [&](int x, int y) {
            const int a = flipX[o] ? w - 1 - x : x, b = flipY[o] ? h - 1 - y : y, u = swaps[o] ? b : a, v = swaps[o] ? a : b;
            return v >= 24 ? green : u < 32 ? red : blue;
        }, {}, o, w, h);
    }
    // Covering 128 x 96 keeps only the middle of a portrait photo: green.
    writePhoto(f.p + "portrait.jpg", [](int, int y) { return y < 12 ? red : y < 52 ? green : blue; }, {}, 0, 48, 64);
    ASSERT_EQ(f.index().first, 0);
    const auto pictures = readBack(f.xml);
    ASSERT_EQ(pictures.size(), 9u);
    for (const auto& [original, picture] : pictures) {
        ilBindImage(ilGenImage());
        ASSERT_TRUE(ilLoadImage(picture.texture.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE));
        std::string seen = std::to_string(ilGetInteger(IL_IMAGE_WIDTH)) + "x" + std::to_string(ilGetInteger(IL_IMAGE_HEIGHT));
        for (const auto& [x, y] : {std::pair{4, 4}, {60, 44}, {123, 4}, {68, 44}, {4, 91}, {123, 91}}) {
            const unsigned char* rgb = ilGetData() + (y * 128 + x) * 3;
            seen += " rgb"[1 + (rgb[1] > rgb[0] && rgb[1] > rgb[2]) + 2 * (rgb[2] > rgb[0] && rgb[2] > rgb[1])];
        }
        EXPECT_EQ(seen, original.find("portrait") != std::string::npos ? "128x96gggggg" : "128x96rrbbgg") << original;
    }
}

// The library folder lies inside the photos, as in every test here.
TEST(IndexRun, ReRunsMakeThumbnailsOnlyForNewOrChangedPhotosAndDropThoseOfGonePhotos)
{
    PhotoFolder f;
    for (const char* name : {"keep", "change", "gone"})
        writePhoto(f.p + name + ".jpg", plain(red));
    auto thumbnails = [&] {   // photo -> its thumbnail's name and time
        std::map<std::string, std::string> made;
        for (const auto& [original, picture] : readBack(f.xml))
            made[fs::path(original).stem()] = fs::path(picture.texture).filename().string() + " " +
                std::to_string(fs::last_write_time(picture.texture).time_since_epoch().count());
        return made;
    };
    ASSERT_EQ(f.index().first, 0);
    const auto first = thumbnails();
    ASSERT_EQ(f.index().first, 0);
    EXPECT_EQ(thumbnails(), first);
    writePhoto(f.p + "change.jpg", plain(blue));
    fs::remove(f.p + "gone.jpg");
    writePhoto(f.p + "new.jpg", plain(green));
    ASSERT_EQ(f.index().first, 0);
    auto third = thumbnails();
    EXPECT_EQ(third["keep"], first.at("keep"));
    EXPECT_NE(third["change"], first.at("change"));
    EXPECT_EQ(third["change"].substr(0, 10), first.at("change").substr(0, 10));   // the same name
    EXPECT_FALSE(fs::exists(f.lib + "/" + first.at("gone").substr(0, 10)));
    EXPECT_EQ(third.size(), 3u);
}

TEST(IndexRun, ARunKilledHalfWayLeavesTheLastLibraryWhole)
{
    PhotoFolder f;
    writePhoto(f.p + "first.jpg", plain(red));
    ASSERT_EQ(f.index().first, 0);
    const std::string before = readFile(f.xml);
    for (int i = 0; i < 400; ++i)
        std::ofstream(f.p + "copy" + std::to_string(i) + ".jpg", std::ios::binary) << readFile(f.p + "first.jpg") << i;
    pid_t pid = 0;
    const char* argv[] = {indexer.c_str(), f.p.c_str(), f.lib.c_str(), nullptr};
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    for (int ms = 0; ms < 30000 && !fs::exists(f.lib + "/t00001.jpg"); ++ms)   // the first new thumbnail
        usleep(1000);
    int status = 0;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it could be stopped";
    EXPECT_EQ(readFile(f.xml), before);
    EXPECT_EQ(f.index().first, 0);   // and the next run finishes the job
}

// Every kind upright (red above blue), a turned HEIC turned once, HEIC, WebP
// and DNG dated by their own EXIF, a RAW with too small a preview skipped.
// Names, RAW+JPEG pairs and what is no photo are the real folder's test.
TEST(IndexRun, EveryKindOfPhotoIsIndexedUpright)
{
    PhotoFolder f;
    // Stored width x height with orientation 6: the upright top is the stored left.
    const auto turned6 = [](int width, int) { return [=](int x, int) { return x < width / 2 ? red : blue; }; };
    const auto turned = turned6(48, 64);
    const auto upright = [](int, int y) { return y < 24 ? red : blue; };
    ASSERT_TRUE(support::writeKind(f.p + "a.webp", "webp", 48, 64, turned, 6, "2016:02:03 04:05:06"));
    ASSERT_TRUE(support::writeKind(f.p + "a.TIF", "tiff", 48, 64, turned, 6));
    ASSERT_TRUE(support::writeTurnedHeic(f.p + "turned.HEIC", 48, 64, turned));
    ASSERT_TRUE(support::writeKind(f.p + "a.heic", "heic", 64, 48, upright, 1, "2017:03:04 05:06:07"));
    ASSERT_TRUE(support::writeKind(f.p + "a.avif", "avif", 64, 48, upright));
    ASSERT_TRUE(support::writeKind(f.p + "a.gif", "gif", 64, 48, upright));
    writePhoto(f.p + "a.jpg", upright);
    ASSERT_TRUE(support::writeDng(f.p + "alone.DNG", 640, 480, turned6(640, 480), 6, "2018:05:06 07:08:09"));
    ASSERT_TRUE(support::writeDng(f.p + "small.dng", 320, 240, upright, 1, "2018:05:06 07:08:09"));
    const auto [status, output] = f.index();
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("skipped " + f.p + "small.dng: its preview of 320 x 240 is smaller than 640 px"),
              std::string::npos) << output;
    const auto pictures = readBack(f.xml);
    ASSERT_EQ(pictures.size(), 8u) << output;
    const Picture& raw = pictures.at(f.p + "alone.DNG");
    EXPECT_EQ(std::make_tuple(raw.year, raw.month, raw.quarter), std::make_tuple(2018, 5, 1));
    const Picture& heic = pictures.at(f.p + "a.heic");
    const Picture& webp = pictures.at(f.p + "a.webp");
    EXPECT_EQ(std::make_tuple(heic.year, heic.month, webp.year, webp.month), std::make_tuple(2017, 3, 2016, 2));
    for (const auto& [original, picture] : pictures) {
        ilBindImage(ilGenImage());
        ASSERT_TRUE(ilLoadImage(picture.texture.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) << original;
        std::string seen;
        for (const auto& [x, y] : {std::pair{8, 8}, {120, 8}, {8, 88}, {120, 88}}) {
            const unsigned char* rgb = ilGetData() + (y * 128 + x) * 3;
            seen += rgb[0] > 128 && rgb[2] < 128 ? 'r' : rgb[2] > 128 && rgb[0] < 128 ? 'b' : '?';
        }
        EXPECT_EQ(seen, "rrbb") << original;
    }
}

// Sets EXIF or XMP tags of the file at path, as a camera or an editor would have written them.
void setMetadata(const std::string& path, const std::vector<std::pair<std::string, std::string>>& tags)
{
    const auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    for (const auto& [key, value] : tags)
        image->exifData()[key] = value;
    image->writeMetadata();
}

const char sidecarXmp[] = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
    "<rdf:Description xmlns:exif='http://ns.adobe.com/exif/1.0/' exif:DateTimeOriginal='2012-05-20T10:00:00+02:00'/>"
    "</rdf:RDF></x:xmpmeta>";

// A phone-and-camera folder as people keep it, indexed into a library inside
// it and then into one beside it: every photo once, in its own quarter.
TEST(IndexRun, ARealPhotoFolderIsTakenAsItIs)
{
    PhotoFolder f;
    support::TempDir beside;
    const std::string other = beside.file("other");
    for (const char* folder : {"2019", "Backup", "old", "ZLibrary"})
        fs::create_directory(f.p + folder);
    const Dates july = {{EXIF_TAG_DATE_TIME_ORIGINAL, "2019:07:10 10:00:00"}};
    const auto scene640 = [](int x, int y) { return support::Colour{uint8_t(x * 7 + y), uint8_t(y * 3), uint8_t(x ^ y), 255}; };
    writePhoto(f.p + "2019/beach.jpg", plain(red), july);
    fs::copy_file(f.p + "2019/beach.jpg", f.p + "Backup/beach.jpg");
    for (const char mark : {'a', 'b'})   // one size and the same ends, not a copy
        std::ofstream(f.p + "2019/pad" + mark + ".jpg", std::ios::binary) << readFile(f.p + "2019/beach.jpg") << std::string(70000, '\0') << mark << std::string(70000, '\0');
    writePhoto(f.p + "2019/DSC_0002.JPG", plain(blue), july);   // a camera's RAW+JPEG: one photo
    ASSERT_TRUE(support::writeDng(f.p + "2019/DSC_0002.DNG", 640, 480, plain(blue), 1, "2019:07:10 10:00:00"));
    writePhoto(f.p + "IMG_20190101_120000-edited.jpg", plain(red), {{EXIF_TAG_DATE_TIME, "2023:03:03 10:00:00"}});
    writePhoto(f.p + "IMG_1234.JPG", plain(red), july);
    std::ofstream(f.p + "IMG_1234.xmp") << sidecarXmp;
    writePhoto(f.p + "future.jpg", plain(green), {{EXIF_TAG_DATE_TIME_ORIGINAL, "2099:01:01 10:00:00"}, {EXIF_TAG_DATE_TIME_DIGITIZED, "2018:02:02 10:00:00"}});
    ASSERT_TRUE(support::writeKind(f.p + "scan.tif", "tiff", 64, 48, plain(blue)));
    setMetadata(f.p + "scan.tif", {{"Exif.Photo.DateTimeOriginal", "2012:05:06 10:00:00"}, {"Exif.Image.DateTime", "2016:11:03 10:00:00"}});
    writePhoto(f.p + "old/t00000.jpg", plain(red));   // another program's library
    std::ofstream(f.p + "old/Zandervale.xml") << "<Zandervale/>";
    std::ofstream(f.p + "empty.jpg");
    writePhoto(f.p + "2019/cut.jpg", scene640, july, 0, 640, 480);
    fs::resize_file(f.p + "2019/cut.jpg", fs::file_size(f.p + "2019/cut.jpg") * 2 / 3);
    std::ofstream(f.p + "clip.mp4") << "video";
    fs::create_directory_symlink(f.p, f.p + "2019/loop");
    support::TempDir elsewhere;
    writePhoto(elsewhere.file("sunset.jpg"), plain(green), {{EXIF_TAG_DATE_TIME_ORIGINAL, "2019:08:30 10:00:00"}});
    fs::create_directory_symlink(elsewhere.path(), f.p + "Summer2019");
    std::map<std::string, std::tuple<int, int, int>> expected = {{"2019/beach.jpg", {2019, 7, 2}}, {"2019/cut.jpg", {2019, 7, 2}}, {"2019/pada.jpg", {2019, 7, 2}}, {"2019/padb.jpg", {2019, 7, 2}}, {"2019/DSC_0002.JPG", {2019, 7, 2}},
        {"IMG_20190101_120000-edited.jpg", {2019, 1, 1}}, {"IMG_1234.JPG", {2012, 5, 3}}, {"scan.tif", {2012, 5, 1}}, {"future.jpg", {2018, 2, 1}},
        {"Summer2019/sunset.jpg", {2019, 8, 4}}};
    // Into a library inside the folder, then one beside it, then again with a photo gone and a date corrected.
    for (const std::string& library : {f.p + "ZLibrary", other, other}) {
        if (library == other && fs::exists(other)) {
            fs::remove(f.p + "scan.tif");
            expected.erase("scan.tif");
            std::ofstream(f.p + "IMG_1234.xmp") << std::regex_replace(sidecarXmp, std::regex("2012-05-20"), "2013-06-01");
            fs::last_write_time(f.p + "IMG_1234.xmp", fs::last_write_time(f.p + "IMG_1234.xmp") + std::chrono::seconds(2));
            expected["IMG_1234.JPG"] = {2013, 6, 1};
        }
        const auto [status, output] = runIndexer("'" + f.p + "' '" + library + "'");
        ASSERT_EQ(status, 0) << output;
        std::map<std::string, std::tuple<int, int, int>> placed;
        for (const auto& [original, picture] : readBack(library + "/Zandervale.xml"))
            placed[original.substr(f.p.size())] = {picture.year, picture.month, picture.quarter};
        EXPECT_EQ(placed, expected) << output;
        for (const std::string& line : {"library folder passed over: " + f.p + "old\n",
                                        "library folder passed over: " + f.p + "ZLibrary\n",
                                        std::string("Links followed: 1 folder, 0 photos\n"),
                                        std::string("Read once, reached by more than one path: 1 folder or photo\n"),
                                        "skipped " + f.p + "empty.jpg: empty file\n",
                                        "Damaged, indexed from what could be read: 1\n  " + f.p + "2019/cut.jpg\n",
                                        f.p + "future.jpg: DateTimeOriginal 2099:01:01 10:00:00 lies in the future; dated by DateTimeDigitized instead\n",
                                        std::string("Not photos: 1 video, 1 other file\n"),
                                        std::string("Dated by the file time (no usable EXIF date): 0\n"),
                                        "Duplicates shown once: 1, all listed in " + library + "/zandervale-index.log\n"})
            EXPECT_NE(output.find(line), std::string::npos) << line << output;
        const std::string log = readFile(library + "/zandervale-index.log"), copy = f.p + "Backup/beach.jpg, a copy of ";
        EXPECT_NE(log.find(copy + f.p + "2019/beach.jpg\n"), std::string::npos);
        EXPECT_EQ(log.find(copy), log.rfind(copy)) << "each run's log replaces the last";
        EXPECT_NE(log.find("Dated by the file name: 1\n" + f.p + "IMG_20190101_120000-edited.jpg\n"), std::string::npos) << log;
        EXPECT_EQ(output.find("Gone since the last run: 1 photo\n") != std::string::npos, !expected.count("scan.tif"));
    }
}

// Two phones' folders into one library; a file of the user's that only looks like a thumbnail stays. A
// folder gone or found empty (a card not inserted, a disk not mounted) fails the run and leaves the
// library, thumbnails and all, as it was.
TEST(IndexRun, SeveralFoldersGoIntoOneLibraryEachPhotoOnce)
{
    PhotoFolder f;
    support::TempDir phoneTemp, cameraTemp;
    const std::string phone = fs::canonical(phoneTemp.path()).string(), camera = fs::canonical(cameraTemp.path()).string();
    writePhoto(phone + "/a.jpg", plain(red), {{EXIF_TAG_DATE_TIME_ORIGINAL, "2019:07:10 10:00:00"}});
    writePhoto(camera + "/b.jpg", plain(blue), {{EXIF_TAG_DATE_TIME_ORIGINAL, "2020:08:30 10:00:00"}});
    fs::copy_file(phone + "/a.jpg", camera + "/a copy.jpg");
    fs::create_directory(f.lib);
    std::ofstream(f.lib + "/t00001.jpg.bak") << "the user's own";
    const auto [status, output] = runIndexer("--output '" + f.lib + "' '" + phone + "' '" + camera + "'");
    ASSERT_EQ(status, 0) << output;
    std::map<std::string, int> years;
    for (const auto& [original, picture] : readBack(f.xml))
        years[original] = picture.year;
    const std::string kept = std::min(phone + "/a.jpg", camera + "/a copy.jpg");   // the first by path order
    EXPECT_EQ(years, (std::map<std::string, int>{{kept, 2019}, {camera + "/b.jpg", 2020}})) << output;
    EXPECT_TRUE(fs::exists(f.lib + "/t00001.jpg.bak"));
    EXPECT_EQ(runIndexer("'" + phone + "' '" + camera + "' '" + f.lib + "'").first, 2);
    // Without PHOTO_DIR, the folders the library was made from, as the viewer runs it at each start: a new
    // photo arrives; a folder gone (a card not inserted) leaves the library as it was.
    writePhoto(camera + "/c.jpg", plain(green), {{EXIF_TAG_DATE_TIME_ORIGINAL, "2021:01:02 10:00:00"}});
    const auto [again, againOutput] = runIndexer("--output '" + f.lib + "'");
    ASSERT_EQ(again, 0) << againOutput;
    EXPECT_EQ(readBack(f.xml).size(), 3u) << againOutput;
    const std::string before = readFile(f.xml);
    fs::remove_all(phone);
    const auto [gone, goneOutput] = runIndexer("--output '" + f.lib + "'");
    EXPECT_EQ(gone, 1);
    EXPECT_NE(goneOutput.find("zandervale-index: " + phone + ": No such file or directory"), std::string::npos) << goneOutput;
    fs::create_directory(phone);
    std::ofstream(phone + "/clip.mp4") << "video";
    for (const std::string& library : {f.lib, f.p + "new/lib"})
        EXPECT_EQ(runIndexer("'" + phone + "' '" + library + "'"), std::make_pair(1,
                  "zandervale-index: No photos found under " + phone + " (1 video, which the city does not show)\n"));
    EXPECT_FALSE(fs::exists(f.p + "new"));
    EXPECT_EQ(readFile(f.xml), before);
    for (const auto& [original, picture] : readBack(f.xml))
        EXPECT_TRUE(fs::exists(picture.texture)) << original;
}

// A scene with both gradients and edges, fw x fh, seen at (x, y) of w x h.
support::Colour scene(int x, int y, int w, int h)
{
    const double u = (x + 0.5) / w, v = (y + 0.5) / h;
    const bool disc = (u - 0.6) * (u - 0.6) + (v - 0.4) * (v - 0.4) < 0.04;
    return {static_cast<unsigned char>(disc ? 240 : 40 + 180 * u), static_cast<unsigned char>(60 + 150 * v),
            static_cast<unsigned char>(disc ? 30 : 200 - 120 * u * v), 255};
}

// The JPEG bytes of a w x h preview whose rows top .. top + contentHeight - 1 show the
// scene (inverted when stale) and the rest is black.
std::string previewBytes(const std::string& scratch, int w, int h, int top, int contentHeight, bool stale = false)
{
    support::writeWithDevil(scratch, IL_JPG, w, h, [=](int x, int y) {
        if (y < top || y >= top + contentHeight)
            return support::black;
        support::Colour c = scene(x, y - top, w, contentHeight);
        return stale ? support::Colour{static_cast<unsigned char>(255 - c.r), static_cast<unsigned char>(255 - c.g),
                                       static_cast<unsigned char>(255 - c.b), 255} : c;
    });
    const std::string bytes = readFile(scratch);
    fs::remove(scratch);
    return bytes;
}

// PSNR of the thumbnail at thumbnail against one libvips makes from the whole photo.
double psnrAgainstWholePhoto(const std::string& photo, const std::string& thumbnail)
{
    VipsImage *whole = nullptr, *rgb = nullptr;
    EXPECT_EQ(vips_thumbnail(photo.c_str(), &whole, 128, "height", 96, "crop", VIPS_INTERESTING_CENTRE, nullptr), 0);
    EXPECT_EQ(vips_colourspace(whole, &rgb, VIPS_INTERPRETATION_sRGB, nullptr), 0);
    size_t length = 0;
    unsigned char* reference = static_cast<unsigned char*>(vips_image_write_to_memory(rgb, &length));
    ilBindImage(ilGenImage());
    EXPECT_TRUE(ilLoadImage(thumbnail.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE));
    double squares = 0;
    for (size_t i = 0; i < 128 * 96 * 3 && length == 128 * 96 * 3; ++i)
        squares += (double(reference[i]) - ilGetData()[i]) * (double(reference[i]) - ilGetData()[i]);
    g_free(reference);
    g_object_unref(rgb);
    g_object_unref(whole);
    return length == 128 * 96 * 3 ? 10 * std::log10(255.0 * 255.0 / std::max(squares / length, 1e-9)) : 0;
}

// A 3:2 photo with a letterboxed 4:3 preview and a turned one with a 320 x 240
// preview take the preview path; a preview older than the photo's last change
// does not. A photo blacked out by an editor that kept its preview and dates
// gets a thumbnail of what it shows now, and so does one whose preview-made
// thumbnail a stopped run left unchecked. Each is within 25 dB of the whole
// photo's; those the check replaced within 30.
TEST(IndexRun, FaithfulExifPreviewsMakeTheThumbnailAndStaleOnesDoNot)
{
    PhotoFolder f;
    const auto sceneOf = [](int w, int h) { return [=](int x, int y) { return scene(x, y, w, h); }; };
    const Dates taken = {{EXIF_TAG_DATE_TIME_ORIGINAL, "2019:07:04 10:00:00"}},
                changed = {{EXIF_TAG_DATE_TIME_ORIGINAL, "2019:07:04 10:00:00"}, {EXIF_TAG_DATE_TIME, "2020:01:01 10:00:00"}};
    writePhoto(f.p + "letterboxed.jpg", sceneOf(480, 320), taken, 1, 480, 320, previewBytes(f.p + "p.jpg", 160, 120, 7, 107));
    writePhoto(f.p + "turned.jpg", sceneOf(640, 480), taken, 6, 640, 480, previewBytes(f.p + "p.jpg", 320, 240, 0, 240));
    writePhoto(f.p + "stale.jpg", sceneOf(480, 320), changed, 1, 480, 320, previewBytes(f.p + "p.jpg", 160, 107, 0, 107, true));
    writePhoto(f.p + "blacked.jpg", [](int x, int y) { return x > 100 && x < 380 && y > 40 && y < 280 ? support::black : scene(x, y, 480, 320); },
               taken, 1, 480, 320, previewBytes(f.p + "p.jpg", 160, 107, 0, 107));
    const auto [status, output] = f.index();
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Thumbnails made from EXIF previews: 3 of 4\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Preview thumbnails checked against their photos: 3, replaced as out of date: "), std::string::npos) << output;
    auto pictures = readBack(f.xml);
    ASSERT_EQ(pictures.size(), 4u);
    for (const auto& [original, picture] : pictures)
        EXPECT_GE(psnrAgainstWholePhoto(original, picture.texture), 25.0) << original;
    EXPECT_GE(psnrAgainstWholePhoto(f.p + "blacked.jpg", pictures.at(f.p + "blacked.jpg").texture), 30.0);
    // As a run stopped before its check leaves it: the mark in the index, the preview's thumbnail on disk.
    const std::string texture = pictures.at(f.p + "turned.jpg").texture, name = fs::path(texture).filename();
    std::string index = readFile(f.lib + "/Zandervale.index");
    const size_t line = index.find(name + "\t");
    ASSERT_NE(line, std::string::npos);
    index.replace(index.find("\t-\t", line), 3, "\tP\t");
    std::ofstream(f.lib + "/Zandervale.index") << index;
    support::writeWithDevil(texture, IL_JPG, 128, 96, plain(red));
    ASSERT_EQ(f.index().first, 0);
    EXPECT_GE(psnrAgainstWholePhoto(f.p + "turned.jpg", texture), 30.0);
}

}  // namespace
