// zv-sample-library OUTPUT_DIR [PICTURES [FIRST_YEAR [LAST_YEAR]]]: writes a
// generated photo library for the viewer: OUTPUT_DIR/Zandervale.xml, one
// 128 × 96 thumbnail tNNNN.png per picture beside it and the full-size
// originals in OUTPUT_DIR/originals/pNNNN.png.
// zv-sample-library --photos OUTPUT_DIR: writes a folder of camera-style
// JPEG photos with EXIF dates instead, OUTPUT_DIR/YYYY/IMG_YYYYMMDD_HHMMSS.jpg,
// for the library builder to index.
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "LibraryPlan.h"
#include "PhotoFile.h"
#include "SamplePicture.h"
#include "library/LibraryWriter.h"

namespace {

const int thumbnailWidth = 128, thumbnailHeight = 96;
const int originalWidth = 1024, originalHeight = 768;
const int maxPictures = 99999;  // keeps the thumbnail names at 10 characters or fewer

struct Options {
    std::string directory;
    int pictures = 120, firstYear = 2004, lastYear = 2006;
    bool photos = false;
};

bool parseNumber(const char* text, int low, int high, int* out)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high)
        return false;
    *out = int(value);
    return true;
}

bool parseOptions(int argc, char** argv, Options* options)
{
    if (argc == 3 && std::string(argv[1]) == "--photos" && argv[2][0] != '\0') {
        options->photos = true;
        options->directory = argv[2];
        return true;
    }
    if (argc < 2 || argc > 5 || argv[1][0] == '\0' || argv[1][0] == '-')
        return false;
    options->directory = argv[1];
    if (argc > 2 && !parseNumber(argv[2], 0, maxPictures, &options->pictures))
        return false;
    if (argc > 3 && !parseNumber(argv[3], 1, 9999, &options->firstYear))
        return false;
    if (argc > 4 && !parseNumber(argv[4], 1, 9999, &options->lastYear))
        return false;
    if (argc == 4)
        options->lastYear = options->firstYear;
    return options->firstYear <= options->lastYear;
}

std::string numbered(char prefix, int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%c%04d.png", prefix, number);
    return name;
}

bool writePicture(const sample::PlannedPicture& picture, const std::string& directory)
{
    paint::Canvas thumbnail(thumbnailWidth, thumbnailHeight, false);
    sample::paintPicture(thumbnail, picture);
    paint::Canvas original(originalWidth, originalHeight, false);
    sample::paintPicture(original, picture);
    return thumbnail.save(directory + "/" + numbered('t', picture.number)) &&
           original.save(directory + "/originals/" + numbered('p', picture.number));
}

// A photo's time of day: from 8 o'clock on, 97 seconds apart, so no two share a name.
std::string photoTime(const sample::PlannedPicture& picture, const char* format)
{
    const int second = 8 * 3600 + picture.number * 97;
    char text[64];
    std::snprintf(text, sizeof text, format, picture.year, picture.month, picture.day, second / 3600,
                  second / 60 % 60, second % 60);
    return text;
}

bool writePhoto(const sample::PlannedPicture& picture, const std::string& directory)
{
    const std::string folder = directory + "/" + std::to_string(picture.year);
    paint::Canvas upright(picture.portrait ? originalHeight : originalWidth,
                          picture.portrait ? originalWidth : originalHeight, false);
    sample::paintPicture(upright, picture);
    return paint::makeDirectories(folder) &&
           sample::writePhoto(upright, picture.storedTurned ? sample::orientationTurnRight : sample::orientationUpright,
                              photoTime(picture, "%04d:%02d:%02d %02d:%02d:%02d"),
                              folder + photoTime(picture, "/IMG_%04d%02d%02d_%02d%02d%02d.jpg"));
}

// Pictures are independent, so every core paints and compresses its share.
bool writeAll(const std::vector<sample::PlannedQuarter>& plan, const std::string& directory,
              const std::function<bool(const sample::PlannedPicture&, const std::string&)>& write)
{
    std::vector<const sample::PlannedPicture*> pictures;
    for (const sample::PlannedQuarter& quarter : plan)
        for (const sample::PlannedPicture& picture : quarter.pictures)
            pictures.push_back(&picture);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> ok{true};
    auto work = [&] {
        for (std::size_t i = next++; i < pictures.size() && ok; i = next++)
            if (!write(*pictures[i], directory))
                ok = false;
    };
    const unsigned workers = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < workers; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    if (!ok)
        std::printf("zv-sample-library: cannot write the pictures in %s\n", directory.c_str());
    return ok;
}

// Nested year > month > quarter > picture elements, each level with a "val".
bool writeLibraryFile(const std::vector<sample::PlannedQuarter>& plan, const std::string& directory)
{
    std::vector<LibraryPicture> pictures;
    for (const sample::PlannedQuarter& q : plan)
        for (const sample::PlannedPicture& picture : q.pictures)
            pictures.push_back({q.year, q.month, q.quarter, numbered('t', picture.number),
                                directory + "/originals/" + numbered('p', picture.number)});
    return writeLibraryFile(directory + "/" + libraryFileName, pictures, nullptr, "  ");
}

}  // namespace

int main(int argc, char** argv)
{
    const paint::ReleaseCachesAtExit releaseCaches;
    Options options;
    if (!parseOptions(argc, argv, &options)) {
        std::printf("Usage: zv-sample-library OUTPUT_DIR [PICTURES [FIRST_YEAR [LAST_YEAR]]]\n"
                    "       zv-sample-library --photos OUTPUT_DIR\n"
                    "  PICTURES 0 to %d (default 120); years 1 to 9999, default 2004 to 2006;\n"
                    "  LAST_YEAR defaults to FIRST_YEAR when only FIRST_YEAR is given;\n"
                    "  --photos writes JPEG photos with EXIF dates from 2008 to 2016 instead\n",
                    maxPictures);
        return 2;
    }
    if (options.photos) {
        if (!paint::makeDirectories(options.directory)) {
            std::printf("zv-sample-library: cannot create %s\n", options.directory.c_str());
            return 1;
        }
        return writeAll(sample::planPhotoFolder(), options.directory, writePhoto) ? 0 : 1;
    }
    if (!paint::makeDirectories(options.directory + "/originals")) {
        std::printf("zv-sample-library: cannot create %s/originals\n", options.directory.c_str());
        return 1;
    }
    // The library names its originals by absolute path.
    char absolute[PATH_MAX];
    if (!realpath(options.directory.c_str(), absolute)) {
        std::printf("zv-sample-library: cannot resolve %s\n", options.directory.c_str());
        return 1;
    }
    const std::string directory = absolute;
    const std::vector<sample::PlannedQuarter> plan =
        sample::planLibrary(options.pictures, options.firstYear, options.lastYear);
    if (!writeAll(plan, directory, writePicture))
        return 1;
    if (!writeLibraryFile(plan, directory)) {
        std::printf("zv-sample-library: cannot write %s/Zandervale.xml\n", directory.c_str());
        return 1;
    }
    return 0;
}
