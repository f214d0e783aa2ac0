// zandervale-index PHOTO_DIR [OUTPUT_DIR]: turns a folder of photos into a
// library the viewer opens: OUTPUT_DIR/Zandervale.xml, a thumbnail per photo
// beside it and an index that lets the next run read only what changed.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "Duplicates.h"
#include "IndexFile.h"
#include "LibraryFile.h"
#include "library/LibraryWriter.h"
#include "OutputFiles.h"
#include "PhotoPaths.h"
#include "PhotoReader.h"
#include "PhotoWalk.h"
#include "Progress.h"
#include "RunNotes.h"

using namespace photoindex;

namespace {

const char version[] = "zandervale-index 1.0\n";
const char usage[] = "Usage: zandervale-index PHOTO_DIR [OUTPUT_DIR]\n"
                     "  or:  zandervale-index --output OUTPUT_DIR [PHOTO_DIR...]\n"
                     "Try 'zandervale-index --help' for more.\n";
const char help[] =
    "Usage: zandervale-index PHOTO_DIR [OUTPUT_DIR]\n"
    "  or:  zandervale-index --output OUTPUT_DIR [PHOTO_DIR...]\n"
    "Builds a Zandervale photo library from the photos in PHOTO_DIR and its folders:\n"
    "OUTPUT_DIR/Zandervale.xml, with a 128x96 thumbnail of every photo beside it.\n"
    "With --output, several photo folders (two phones' backups, a camera's folder)\n"
    "go into one library, each photo once; without a PHOTO_DIR, the folders the\n"
    "library was last made from (kept in OUTPUT_DIR/Zandervale.folders) are\n"
    "indexed again, as the viewer does at each start.\n"
    "OUTPUT_DIR defaults to $XDG_DATA_HOME/zandervale/library\n"
    "(~/.local/share/zandervale/library).\n"
    "\n"
    "Photos are JPEG, PNG, HEIF (HEIC, AVIF), WebP, TIFF and GIF files (.jpg, .jpeg,\n"
    ".jpe, .png, .heic, .heif, .hif, .avif, .webp, .tif, .tiff, .gif in any case),\n"
    "turned upright, and camera RAWs (.dng, .cr2, .cr3, .nef, .arw, .raf, .orf,\n"
    ".rw2, .pef) by their embedded preview of 640 px or more; a RAW beside a JPEG\n"
    "or HEIF of its name is that one photo. Byte-identical copies of a photo are\n"
    "shown once (the first by path), all listed in OUTPUT_DIR/zandervale-index.log.\n"
    "Videos and other files are counted.\n"
    "Hidden files and folders are passed over, and so is every folder that holds a\n"
    "library (Zandervale.xml or Zandervale.index), OUTPUT_DIR among them. Links to\n"
    "folders and photos are followed, each folder and photo read once however many\n"
    "paths lead to it. A file is read as what its content is, whatever its name\n"
    "says, and skipped with a line saying why when decoding it would take more\n"
    "than 512 MB: a baseline JPEG counts an eighth of each side (it shrinks as it\n"
    "decodes), every other photo its whole size. A photo that decodes only in part\n"
    "(a truncated JPEG) is indexed from what could be read and reported as damaged.\n"
    "A photo is dated by the date in its XMP sidecar (IMG_1234.xmp or\n"
    "IMG_1234.JPG.xmp, as photo managers write a corrected date), else its EXIF\n"
    "DateTimeOriginal, else DateTimeDigitized, else a date in its name\n"
    "(IMG_20190704_101112, IMG-20190704-WA0001, PXL_20190704_101112345 in UTC,\n"
    "Screenshot_2019-07-04-10-11-12, ...), else its EXIF DateTime (an editor sets\n"
    "it to the day of the edit), else the file's modification time, all in local\n"
    "time; a date before 1900 or in the future is reported and the next one is\n"
    "used. See zandervale-index(1). The photos dated by their file time are named\n"
    "in the report (the first 20) and all listed in OUTPUT_DIR/zandervale-index.log.\n"
    "Each month has four quarters: days 1-7, 8-14, 15-21 and 22 to the month's end.\n"
    "The city shows at most 60 years: the latest 60 of the photos.\n"
    "A JPEG's thumbnail is made from its EXIF preview where that is faithful to the\n"
    "photo (bars cut, same aspect, large enough, not older than the photo's last\n"
    "change), else from the decoded photo. Once the library is written, each such\n"
    "thumbnail is compared with one made from the photo itself and replaced where\n"
    "they differ (an editor may keep the old preview), and the library is written\n"
    "again; a run stopped before that leaves them for the next run to check.\n"
    "A re-run makes thumbnails only for new or changed photos and removes those of\n"
    "photos that are gone, and what a run that was stopped or failed left behind.\n"
    "Photos are never modified.\n"
    "\n"
    "  --output OUTPUT_DIR  write the library there; every operand is a PHOTO_DIR\n"
    "                       (none: the folders it was last made from)\n"
    "  --help               show this text and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Exit status: 0 library written, 1 failure (also when PHOTO_DIR holds no photo:\n"
    "the library is then left as it was), 2 usage error.\n";

enum ExitStatus { success = 0, failure = 1, usageError = 2 };

struct Options {
    std::vector<std::string> photos;
    std::string output;
    bool rememberedPhotos = false;   // the folders OUTPUT_DIR was last made from
};

// Beside the library: the photo folders it was made from, one a line, so
// that a later run (the viewer's, at its start) can take them again.
const char foldersFileName[] = "Zandervale.folders";

int usageFailure(const std::string& problem)
{
    if (!problem.empty())
        std::fprintf(stderr, "zandervale-index: %s\n", problem.c_str());
    std::fputs(usage, stderr);
    return usageError;
}

// -1 to go on, else the exit status.
int parseArguments(int argc, char** argv, Options* options)
{
    std::vector<std::string> operands;
    bool optionsEnd = false, outputNamed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnd && argument == "--help") {
            std::fputs(help, stdout);
            return success;
        }
        if (!optionsEnd && argument == "--version") {
            std::fputs(version, stdout);
            return success;
        }
        if (!optionsEnd && (argument == "--output" || argument.compare(0, 9, "--output=") == 0)) {
            if (outputNamed)
                return usageFailure("--output given twice");
            if (argument == "--output" && ++i == argc)
                return usageFailure("--output needs OUTPUT_DIR");
            options->output = argument == "--output" ? argv[i] : argument.substr(9);
            outputNamed = true;
        } else if (!optionsEnd && argument == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && argument.size() > 1 && argument[0] == '-') {
            return usageFailure("unknown option " + argument);
        } else {
            operands.push_back(argument);
        }
    }
    // Without --output the second operand, if any, is OUTPUT_DIR.
    if (!outputNamed && operands.size() == 2) {
        options->output = operands.back();
        operands.pop_back();
        outputNamed = true;
    }
    if (operands.empty() && outputNamed && !options->output.empty()) {
        options->rememberedPhotos = true;
        return -1;
    }
    if (operands.empty() || (outputNamed && options->output.empty()) ||
        std::find(operands.begin(), operands.end(), std::string()) != operands.end() ||
        (operands.size() > 1 && !outputNamed))
        return usageFailure("");
    options->photos = operands;
    if (outputNamed)
        return -1;
    options->output = defaultLibraryFolder();
    if (options->output.empty())
        return usageFailure("no HOME to put the library in; name OUTPUT_DIR");
    return -1;
}

bool fail(const std::string& message)
{
    std::fprintf(stderr, "zandervale-index: %s\n", printable(message).c_str());
    return false;
}

// Like mkdir -p; made lists the folders it made, outermost first.
bool makeFolders(const std::string& path, std::vector<std::string>* made)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) == 0)
            made->push_back(folder);
        else if (errno != EEXIST)
            return fail("cannot make " + folder + ": " + std::strerror(errno));
        if (slash == std::string::npos)
            return true;
    }
}

bool absoluteFolder(const std::string& path, std::string* absolute, struct stat* info)
{
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved) || stat(resolved, info) != 0)
        return fail(path + ": " + std::strerror(errno));
    if (!S_ISDIR(info->st_mode))
        return fail(path + ": not a folder");
    *absolute = resolved;
    return true;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

struct Job {
    FoundPhoto photo;
    std::string thumbnail;
    long long sidecarStamp;
    PhotoReading reading;
    std::vector<std::string> notes;
};

struct Run {
    Options options;
    std::vector<std::string> photos;   // absolute
    std::string output;
    Progress progress{isatty(STDERR_FILENO) != 0, progressPipeFromEnvironment()};
    std::map<std::string, IndexEntry> known;   // the last run's index, by path
    std::vector<IndexEntry> entries;           // this run's index
    std::vector<Job> jobs;
    std::map<std::string, size_t> skippedFor;  // reason -> photos
    size_t found = 0, reused = 0, foldersPassed = 0;
    size_t videos = 0, otherFiles = 0;   // found beside the photos, counted so nobody looks for them
    size_t linkedFolders = 0, linkedPhotos = 0, seenTwice = 0;
    std::vector<Duplicate> duplicates;
    std::vector<std::string> madeFolders;   // by this run, for OUTPUT_DIR: removed again when it writes nothing

    std::string outputPath(const std::string& name) const { return output + "/" + name; }

    bool open();
    void removeLeftovers() const;
    bool plan(const WalkResult& walk);
    std::unique_ptr<PhotoReader> reader;   // made once the arguments hold
    void onReadingThreads(size_t count, const std::function<void(size_t)>& each);
    bool readPhotos();
    bool checkPreviews();
    size_t previewsChecked = 0, previewsReplaced = 0;
    bool writeLibrary(YearSpan* span, size_t* leftOut, std::vector<CrowdedQuarter>* crowded);
    void report(const YearSpan& span, size_t leftOut, const std::vector<CrowdedQuarter>& crowded);
    void reportOthers() const;
    void reportLists(const std::vector<std::string>& fileDated) const;
};

// The folders a library was made from; false, having said why, when it
// names none.
bool rememberedFolders(const std::string& output, std::vector<std::string>* folders)
{
    std::istringstream lines(readText(output + "/" + foldersFileName));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            folders->push_back(line);
    return !folders->empty() || fail(output + " names no photo folders to index again; name PHOTO_DIR");
}

bool Run::open()
{
    if (options.rememberedPhotos && !rememberedFolders(options.output, &options.photos))
        return false;
    std::vector<struct stat> photoInfos;
    for (const std::string& folder : options.photos) {
        photos.emplace_back();
        photoInfos.emplace_back();
        if (!absoluteFolder(folder, &photos.back(), &photoInfos.back()))
            return false;
    }
    struct stat outputInfo;
    if (!makeFolders(options.output, &madeFolders) || !absoluteFolder(options.output, &output, &outputInfo))
        return false;
    for (const struct stat& photoInfo : photoInfos)
        if (photoInfo.st_dev == outputInfo.st_dev && photoInfo.st_ino == outputInfo.st_ino)
            return fail("OUTPUT_DIR must be another folder than PHOTO_DIR");
    // Held until the process ends: two runs on one library would delete each other's thumbnails.
    const int lock = ::open(output.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock < 0)
        return fail(output + ": cannot be opened: " + std::strerror(errno));
    if (flock(lock, LOCK_EX | LOCK_NB) != 0)
        return fail(output + (errno == EWOULDBLOCK ? std::string(": another zandervale-index is writing this library")
                                                   : std::string(": cannot be locked: ") + std::strerror(errno)));
    if (access(output.c_str(), W_OK | X_OK) != 0)
        return fail(output + ": cannot be written: " + std::strerror(errno));
    removeLeftovers();
    for (const IndexEntry& entry : parseIndex(readText(outputPath(indexFileName))))
        known[entry.path] = entry;
    return true;
}

// What a run that was killed or failed left behind: thumbnails that neither
// the index nor the library file lists, and the temporary files of the
// writes it never finished. Nothing else in OUTPUT_DIR is ours to remove.
// Called with the lock held.
void Run::removeLeftovers() const
{
    std::set<std::string> listed;
    for (const IndexEntry& entry : parseIndex(readText(outputPath(indexFileName))))
        listed.insert(entry.thumbnail);
    const std::string library = readText(outputPath(libraryFileName));
    const auto ours = [&](const std::string& name) {
        unsigned number = 0;
        if (thumbnailNumber(name, &number))
            return !listed.count(name) && library.find(">" + name + "<") == std::string::npos;
        if (name.size() < 6 || name[0] != '.' || name.compare(name.size() - 4, 4, ".tmp") != 0)
            return false;
        const std::string replaced = name.substr(1, name.size() - 5);
        return thumbnailNumber(replaced, &number) || replaced == indexFileName || replaced == libraryFileName;
    };
    DIR* dir = opendir(output.c_str());
    if (!dir)
        return;
    std::vector<std::string> leftovers;
    while (const dirent* entry = readdir(dir))
        if (ours(entry->d_name))
            leftovers.push_back(entry->d_name);
    for (const std::string& name : leftovers)
        unlinkat(dirfd(dir), name.c_str(), 0);
    closedir(dir);
}

// Reuses what the last run made of unchanged photos and names a thumbnail
// for every other one; names are never taken from files this run did not make.
bool Run::plan(const WalkResult& walk)
{
    std::set<std::string> taken;
    unsigned next = 0, number = 0;
    for (const auto& [path, entry] : known) {
        taken.insert(entry.thumbnail);
        if (thumbnailNumber(entry.thumbnail, &number) && number >= next)
            next = number + 1;
    }
    for (const FoundPhoto& photo : walk.photos) {
        const auto old = known.find(photo.path);
        const long long sidecar = sidecarStamp(photo.path);
        if (old != known.end() && old->second.size == photo.size && old->second.mtime == photo.mtime &&
            old->second.mtimeNanoseconds == photo.mtimeNanoseconds && old->second.sidecarStamp == sidecar &&
            exists(outputPath(old->second.thumbnail))) {
            entries.push_back(old->second);
            ++reused;
            // What the first run said of it holds on every run.
            for (const std::string& note : old->second.notes)
                progress.message("zandervale-index: " + photo.path + ": " + note);
            continue;
        }
        std::string name = old != known.end() ? old->second.thumbnail : std::string();
        while (name.empty() || (old == known.end() && (taken.count(name) || exists(outputPath(name))))) {
            if (next >= maxThumbnails)
                return fail("more photos than thumbnail names");
            name = thumbnailName(next++);
        }
        taken.insert(name);
        jobs.push_back({photo, name, sidecar, {}, {}});
    }
    return true;
}

// Each photo is a separate read and decode, so they spread over the cores,
// each telling the progress when it is done.
void Run::onReadingThreads(size_t count, const std::function<void(size_t)>& each)
{
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next++) < count;) {
            each(i);
            progress.advance();
        }
    };
    progress.start(count);
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < readingThreads() && i < count; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    progress.finish();
}

bool Run::readPhotos()
{
    const LocalDate now = localDateOf(std::time(nullptr) + 24 * 60 * 60);   // cameras in zones ahead of ours
    onReadingThreads(jobs.size(), [&](size_t i) {
        Job& job = jobs[i];
        job.reading = reader->read(job.photo.path, outputPath(job.thumbnail), localDateOf(job.photo.mtime), now);
        for (const std::string& note : job.reading.date.notes)
            job.notes.push_back(note + "; dated by " + sourceName(job.reading.date.source) + " instead");
        if (job.reading.problem.empty() && job.reading.damaged)
            job.notes.push_back("damaged; indexed from what could be read");
        for (const std::string& note : job.notes)
            progress.message("zandervale-index: " + job.photo.path + ": " + note);
        if (!job.reading.problem.empty())
            progress.message("zandervale-index: skipped " + job.photo.path + ": " + job.reading.problem);
    });
    for (const Job& job : jobs) {
        if (!job.reading.outputProblem.empty())
            return fail("cannot write a thumbnail: " + job.reading.outputProblem);
        if (!job.reading.problem.empty()) {
            ++skippedFor[job.reading.problem];
            // A photo that cannot be read now is not taken for gone.
            const auto old = known.find(job.photo.path);
            if (job.reading.unreadable && old != known.end())
                entries.push_back(old->second);
            continue;
        }
        IndexEntry entry;
        entry.thumbnail = job.thumbnail;
        entry.size = job.photo.size;
        entry.mtime = job.photo.mtime;
        entry.mtimeNanoseconds = job.photo.mtimeNanoseconds;
        entry.date = job.reading.date.date;
        entry.source = job.reading.date.source;
        entry.path = job.photo.path;
        entry.sidecarStamp = job.sidecarStamp;
        entry.damaged = job.reading.damaged;
        entry.previewUnchecked = job.reading.fromPreview;
        entry.notes = job.notes;
        entries.push_back(entry);
    }
    return true;
}

// Every thumbnail made from an EXIF preview is compared with one made from
// the photo itself, after the first library is written so the city is there
// at once; those a stopped run left unchecked come first, as entries hold
// the reused before the new.
bool Run::checkPreviews()
{
    std::vector<IndexEntry*> unchecked;
    for (IndexEntry& entry : entries)
        if (entry.previewUnchecked)
            unchecked.push_back(&entry);
    std::vector<PreviewCheck> checks(unchecked.size());
    onReadingThreads(unchecked.size(), [&](size_t i) {
        checks[i] = reader->checkPreview(unchecked[i]->path, outputPath(unchecked[i]->thumbnail));
    });
    for (size_t i = 0; i < unchecked.size(); ++i) {
        if (!checks[i].outputProblem.empty())
            return fail("cannot write a thumbnail: " + checks[i].outputProblem);
        // One that cannot be decoded now keeps its mark and is tried again next run.
        unchecked[i]->previewUnchecked = !checks[i].checked;
        previewsChecked += checks[i].checked;
        previewsReplaced += checks[i].replaced;
    }
    return true;
}

// Files that are not photos, photos dated by their names, and thumbnails
// made from previews instead of decoded photos.
void Run::reportOthers() const
{
    if (videos > 0 || otherFiles > 0)
        std::fprintf(stderr, "Not photos: %s, %s\n", counted(videos, "video").c_str(),
                     counted(otherFiles, "other file").c_str());
    size_t nameDated = 0;
    for (const IndexEntry& entry : entries)
        nameDated += entry.source == DateSource::fileName;
    std::fprintf(stderr, "Dated by the file name (no usable EXIF date): %zu\n", nameDated);
    size_t made = 0, fromPreviews = 0;
    for (const Job& job : jobs) {
        made += job.reading.problem.empty();
        fromPreviews += job.reading.problem.empty() && job.reading.fromPreview;
    }
    if (made > 0)
        std::fprintf(stderr, "Thumbnails made from EXIF previews: %zu of %zu\n", fromPreviews, made);
    if (previewsChecked > 0)
        std::fprintf(stderr, "Preview thumbnails checked against their photos: %zu, replaced as out of date: %zu\n",
                     previewsChecked, previewsReplaced);
}

bool Run::writeLibrary(YearSpan* span, size_t* leftOut, std::vector<CrowdedQuarter>* crowded)
{
    std::vector<int> years;
    std::vector<const IndexEntry*> shown;
    for (const IndexEntry& entry : entries) {
        years.push_back(entry.date.year);
        shown.push_back(&entry);
    }
    *span = spanOf(years, leftOut);
    std::string xml;
    if (!formatLibrary(shown, *span, &xml, crowded))
        return fail("cannot write the library text");
    // The index first: a run stopped between the two renames leaves a library
    // whose thumbnails the index still lists, so none is deleted too early.
    const std::string index = formatIndex(entries);
    std::string problem = replaceFile(outputPath(indexFileName), index.data(), index.size(), true);
    if (problem.empty())
        problem = replaceFile(outputPath(libraryFileName), xml.data(), xml.size(), true);
    if (problem.empty()) {
        // A path with a line end cannot be kept one a line; it is left out.
        std::string folders;
        for (const std::string& folder : photos)
            if (folder.find('\n') == std::string::npos)
                folders += folder + "\n";
        problem = replaceFile(outputPath(foldersFileName), folders.data(), folders.size(), false);
    }
    if (!problem.empty())
        return fail("cannot write " + problem);
    std::set<std::string> kept;
    for (const IndexEntry& entry : entries)
        kept.insert(entry.thumbnail);
    for (const auto& [path, entry] : known)
        if (!kept.count(entry.thumbnail))
            unlink(outputPath(entry.thumbnail).c_str());
    return true;
}

void Run::report(const YearSpan& span, size_t leftOut, const std::vector<CrowdedQuarter>& crowded)
{
    size_t skipped = 0, indexed = 0;
    for (const auto& [reason, count] : skippedFor)
        skipped += count;
    for (const Job& job : jobs)
        indexed += job.reading.problem.empty();
    std::vector<std::string> fileDated;
    for (const IndexEntry& entry : entries)
        if (entry.source == DateSource::fileTime)
            fileDated.push_back(entry.path);
    std::fprintf(stderr, "Photos found: %zu\n  indexed: %zu\n  reused: %zu\n  skipped: %zu\n", found,
                 indexed, reused, skipped);
    for (const auto& [reason, count] : skippedFor)
        std::fprintf(stderr, "    %zu: %s\n", count, reason.c_str());
    if (foldersPassed > 0)
        std::fprintf(stderr, "Folders not read: %zu\n", foldersPassed);
    std::set<std::string> kept;
    for (const IndexEntry& entry : entries)
        kept.insert(entry.path);
    size_t gone = 0;
    for (const auto& [path, entry] : known)
        gone += !kept.count(path);
    if (gone > 0)
        std::fprintf(stderr, "Gone since the last run: %s\n", counted(gone, "photo").c_str());
    if (linkedFolders + linkedPhotos > 0)
        std::fprintf(stderr, "Links followed: %s, %s\n", counted(linkedFolders, "folder").c_str(),
                     counted(linkedPhotos, "photo").c_str());
    if (seenTwice > 0)
        std::fprintf(stderr, "Read once, reached by more than one path: %s\n",
                     counted(seenTwice, "folder or photo", "folders or photos").c_str());
    reportOthers();
    if (!duplicates.empty())
        std::fprintf(stderr, "Duplicates shown once: %zu, all listed in %s\n", duplicates.size(),
                     printable(outputPath(logFileName)).c_str());
    reportLists(fileDated);
    if (leftOut > 0)
        std::fprintf(stderr, "Left out of the city, which shows at most %d years: %s from before %d\n",
                     mostSpanYears, counted(leftOut, "photo").c_str(), span.first);
    if (!crowded.empty())
        std::fprintf(stderr, "Quarters over %d photos (the extra photos appear in the gallery but not as boxes):\n",
                     MaxTexturesPerQuarter);
    static const char* const days[5] = {"", "1-7", "8-14", "15-21", "22-end"};
    for (const CrowdedQuarter& quarter : crowded)
        std::fprintf(stderr, "  %04d-%02d days %s: %zu photos\n", quarter.year, quarter.month,
                     days[quarter.quarter], quarter.photos);
    std::fprintf(stderr, "Library: %s", printable(outputPath(libraryFileName)).c_str());
    if (!entries.empty())
        std::fprintf(stderr, " (%d to %d)", span.first, span.last);
    std::fputs("\n", stderr);
}

// The photos a person may want to look at: the first of each list in the
// report, all of them in the log, which replaces the last run's whole or not at all.
void Run::reportLists(const std::vector<std::string>& fileDated) const
{
    std::vector<LogSection> sections(2);
    sections[0].title = "Duplicates shown once";
    for (const Duplicate& duplicate : duplicates)
        sections[0].lines.push_back(duplicate.path + ", a copy of " + duplicate.kept);
    sections[1].title = "Damaged, indexed from what could be read";
    sections.push_back({"Dated by the file name", {}});
    for (const IndexEntry& entry : entries) {
        if (entry.damaged)
            sections[1].lines.push_back(entry.path);
        if (entry.source == DateSource::fileName)
            sections[2].lines.push_back(entry.path);
    }
    const std::string log = runLog(fileDated, sections);
    const std::string logProblem = replaceFile(outputPath(logFileName), log.data(), log.size(), false);
    std::fputs(fileDatedReport(fileDated, outputPath(logFileName)).c_str(), stderr);
    if (!sections[1].lines.empty())
        std::fputs(listReport(sections[1].title, sections[1].lines, outputPath(logFileName)).c_str(), stderr);
    if (!logProblem.empty())
        std::fprintf(stderr, "zandervale-index: cannot write %s\n", printable(logProblem).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    Run run;
    const int parsed = parseArguments(argc, argv, &run.options);
    if (parsed >= 0)
        return parsed;
    run.reader = std::make_unique<PhotoReader>();
    if (!run.open())
        return failure;
    struct stat outputInfo;
    stat(run.output.c_str(), &outputInfo);
    WalkResult walk = walkPhotos(run.photos, outputInfo.st_dev, outputInfo.st_ino,
                                       [&](size_t found) { run.progress.scanning(found); });
    run.progress.finish();
    for (const std::vector<SkippedEntry>* list : {&walk.folders, &walk.skipped})
        for (const SkippedEntry& entry : *list)
            run.progress.message("zandervale-index: skipped " + printable(entry.path) + ": " + entry.reason);
    for (const std::string& library : walk.libraries)
        run.progress.message("zandervale-index: library folder passed over: " + printable(library));
    for (const SkippedEntry& entry : walk.skipped)
        ++run.skippedFor[entry.reason];
    run.foldersPassed = walk.folders.size();
    run.videos = walk.videos;
    run.otherFiles = walk.others;
    run.linkedFolders = walk.linkedFolders;
    run.linkedPhotos = walk.linkedPhotos;
    run.seenTwice = walk.seenTwice;
    run.found = walk.photos.size() + walk.skipped.size();
    run.duplicates = removeDuplicates(&walk.photos);
    // What lies in a folder or file that cannot be read now is kept as the
    // last run knew it, not taken for gone.
    for (const auto& [path, entry] : run.known)
        for (const std::string& unreadable : walk.unreadable)
            if (path == unreadable || path.compare(0, unreadable.size() + 1, unreadable + "/") == 0) {
                run.entries.push_back(entry);
                break;
            }
    if (walk.photos.empty() && run.entries.empty()) {
        std::fputs(noPhotosMessage(run.photos, walk.videos).c_str(), stderr);
        // Nothing new is left behind: the folders this run made for the library go again.
        for (auto folder = run.madeFolders.rbegin(); folder != run.madeFolders.rend(); ++folder)
            rmdir(folder->c_str());
        return failure;
    }
    YearSpan span;
    size_t leftOut = 0;
    std::vector<CrowdedQuarter> crowded;
    // The library is written as soon as every photo has a thumbnail, and once
    // more when the preview check has made its marks good.
    const bool written = run.plan(walk) && run.readPhotos() && run.writeLibrary(&span, &leftOut, &crowded) &&
                         run.checkPreviews() &&
                         (run.previewsChecked == 0 || run.writeLibrary(&span, &leftOut, &crowded));
    if (written)
        run.report(span, leftOut, crowded);
    else
        run.removeLeftovers();   // the thumbnails of a library that was never written
    return written ? success : failure;
}
