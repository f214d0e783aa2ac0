// zandervale-index on hostile photos and on runs that were killed or failed:
// the run goes on past every bad file within the decode budget, and what
// it leaves in OUTPUT_DIR is only what its index lists.
#include <IL/il.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "photos/PhotoGate.h"
#include "RunNotes.h"
#include "support/HostilePhotos.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using support::readFile;
const std::string indexer = ZV_TOOLS_DIR "/zandervale-index";

struct IndexerRun {
    int status = -1;      // the exit status, or -1 when a signal ended it
    int signal = 0;
    long peakKilobytes = 0;
    std::string output;   // standard error and output
};

// Starts the indexer on photos into library, its output into log; prepare runs in the child first.
pid_t startIndexer(const std::string& photos, const std::string& library, const std::string& log,
                   const std::function<void()>& prepare = [] {}, const std::string& program = indexer)
{
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        setenv("TZ", "UTC", 1);
        prepare();
        execl(program.c_str(), program.c_str(), photos.c_str(), library.c_str(), nullptr);
        _exit(127);
    }
    return child;
}

// Runs the indexer to its end.
IndexerRun runIndexer(const std::string& photos, const std::string& library,
               const std::function<void()>& prepare = [] {}, const std::string& program = indexer)
{
    const std::string log = library + ".log";
    const pid_t child = startIndexer(photos, library, log, prepare, program);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    IndexerRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, WIFSIGNALED(status) ? WTERMSIG(status) : 0,
            usage.ru_maxrss, readFile(log)};
    fs::remove(log);
    return run;
}

void writePhoto(const std::string& path, support::Colour colour)
{
    support::writeWithDevil(path, IL_JPG, 64, 48, [=](int, int) { return colour; });
}

// The files in the library folder that neither the library file nor the
// index names (the index lists a thumbnail as the line's first field), nor
// the indexer's own log.
std::set<std::string> unlisted(const std::string& library)
{
    const std::string xml = readFile(library + "/Zandervale.xml"), index = readFile(library + "/Zandervale.index");
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(library)) {
        const std::string name = entry.path().filename();
        if (name != "Zandervale.xml" && name != "Zandervale.index" && name != "Zandervale.folders" &&
            name != photoindex::logFileName &&
            xml.find(">" + name + "<") == std::string::npos &&
            index.find(name) == std::string::npos)
            files.insert(name);
    }
    return files;
}

TEST(IndexHostile, EveryBadPhotoIsSkippedWithItsLineAndTheGoodOnesIndexed)
{
    support::TempDir photos, output;
    for (const support::HostilePhoto& photo : support::hostilePhotos())
        photos.write(photo.name, photo.bytes);
    support::writeSparseJpeg(photos.file("sparse.jpg"), 4ll << 30);
    photos.write("many-links.heic", support::heifManyLinksBytes(65536, 255));
    writePhoto(photos.file("good-1.jpg"), support::red);
    writePhoto(photos.file("good-2.jpg"), support::blue);
    writePhoto(photos.file("really-a-jpeg.nef"), support::green);
    const IndexerRun run = runIndexer(photos.path(), output.file("lib"));
    ASSERT_EQ(run.status, 0) << run.output;
    for (const support::HostilePhoto& photo : support::hostilePhotos())
        EXPECT_NE(run.output.find("skipped " + photos.file(photo.name) + ": " ), std::string::npos) << photo.what << "\n" << run.output;
    for (const support::HostilePhoto& photo : support::hostilePhotos())
        EXPECT_NE(run.output.find(photo.refusal), std::string::npos) << photo.what;
    EXPECT_NE(run.output.find(photos.file("sparse.jpg") + ": its header cannot be read"), std::string::npos) << run.output;
    const std::string xml = readFile(output.file("lib/Zandervale.xml"));
    EXPECT_NE(xml.find("good-1.jpg"), std::string::npos);
    EXPECT_NE(xml.find("good-2.jpg"), std::string::npos);
    EXPECT_NE(xml.find("really-a-jpeg.nef"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(photos.file("many-links.heic") + ": its header cannot be read"), std::string::npos) << run.output;
    if (!support::sanitizedBuild) {
        EXPECT_LT(run.peakKilobytes * 1024, static_cast<long>(photoDecodeBudgetBytes)) << run.output;
    }
}

// The decoders the indexer has started: its children by that name.
std::vector<pid_t> decodersOf(pid_t program)
{
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        pid_t pid = 0, parent = 0;
        std::string name, state;
        if (stat >> pid >> name >> state >> parent && parent == program && name == "(zandervale-deco)")
            found.push_back(pid);
    }
    return found;
}

// While the indexer reads, one decoder is killed mid-run, a RAW-named photo
// becomes a FIFO and another photo is swapped 50 times between a good PNG
// and a bomb. The run ends in its own time, the decoder costs one photo at
// most, the FIFO and the swapped photo each are read as the gate saw them
// or skipped with their line, and no process passes 768 MB.
TEST(IndexHostile, KilledDecodersAndPhotosSwappedMidRunCostOnePhotoEach)
{
    support::TempDir photos, output;
    constexpr int good = 24;
    // Each its own picture: byte-identical copies would stand once.
    for (int i = 0; i < good; ++i)
        support::writeWithDevil(photos.file("photo-" + std::to_string(i) + ".jpg"), IL_JPG, 1600, 1200,
                                [i](int x, int y) { return ((x + i) ^ y) & 64 ? support::red : support::blue; });
    writePhoto(photos.file("raw.nef"), support::green);
    // The two contents lie outside the photo folder, linked in by turns.
    ASSERT_TRUE(support::writeTwoBandPng(output.file("good.png"), 1024, 768, support::PngFormat::Rgb, support::red, support::blue));
    output.write("bomb.png", support::pngIhdrBytes(12000, 12000, 16, 2, true));
    ASSERT_EQ(link(output.file("good.png").c_str(), photos.file("swapped.png").c_str()), 0);
    const std::string log = output.file("log");
    const pid_t run = startIndexer(photos.path(), output.file("lib"), log);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
    std::vector<pid_t> decoders;
    while ((decoders = decodersOf(run)).empty() && Clock::now() < deadline && waitpid(run, nullptr, WNOHANG) == 0)
        std::this_thread::yield();
    ASSERT_FALSE(decoders.empty()) << "no decoder seen";
    kill(decoders.front(), SIGKILL);
    ASSERT_EQ(rename(photos.file("raw.nef").c_str(), photos.file("raw.old").c_str()), 0);
    ASSERT_EQ(mkfifo(photos.file("raw.nef").c_str(), 0644), 0);
    for (int swap = 0; swap < 50; ++swap) {
        const std::string next = output.file(swap % 2 ? "good.png" : "bomb.png"), spare = output.file("swap.tmp");
        EXPECT_EQ(link(next.c_str(), spare.c_str()) == 0 && rename(spare.c_str(), photos.file("swapped.png").c_str()) == 0, true);
    }
    int status = 0;
    rusage usage{};
    while (wait4(run, &status, WNOHANG, &usage) == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Clock::now() >= deadline) {
        kill(run, SIGKILL);
        wait4(run, &status, 0, &usage);
        FAIL() << "the indexer hung";
    }
    const std::string said = readFile(log);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    const std::string xml = readFile(output.file("lib/Zandervale.xml"));
    int indexed = 0;
    for (int i = 0; i < good; ++i)
        indexed += xml.find("photo-" + std::to_string(i) + ".jpg<") != std::string::npos;
    EXPECT_GE(indexed, good - 1) << said;
    // Seen by the gate as one file, decoded as another: "not a readable PNG image".
    EXPECT_EQ(said.find("swapped.png: not a readable"), std::string::npos) << said;
    EXPECT_EQ(said.find("raw.nef: not a RAW"), std::string::npos) << said;
    if (!support::sanitizedBuild) {
        EXPECT_LT(usage.ru_maxrss, 768 * 1024) << said;
    }
}

// Writes of more than limit bytes fail: with SIGXFSZ at its default the run
// is killed at that write, ignored the write fails as on a full disk.
std::function<void()> fileSizeLimit(rlim_t limit, bool killed)
{
    return [=] {
        signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
        const rlimit size{limit, limit};
        setrlimit(RLIMIT_FSIZE, &size);
    };
}

TEST(IndexHostile, RunsKilledOrFailingLeaveNothingTheNextRunDoesNotClearAway)
{
    support::TempDir photos, output;
    const std::string folder = photos.file(std::string(120, 'p'));   // long paths: the index outgrows a thumbnail
    fs::create_directory(folder);
    for (int i = 0; i < 40; ++i)
        writePhoto(folder + "/photo-" + std::to_string(i) + ".jpg",   // 40 photos, no two copies of each other
                   support::Colour{static_cast<unsigned char>(i * 6), static_cast<unsigned char>(255 - i * 6), 0, 255});
    const std::string lib = output.file("lib");
    ASSERT_EQ(runIndexer(photos.path(), output.file("reference")).status, 0);
    uintmax_t thumbnail = 0;
    for (const auto& entry : fs::directory_iterator(output.file("reference")))
        if (entry.path().extension() == ".jpg")
            thumbnail = std::max(thumbnail, entry.file_size());
    const uintmax_t index = fs::file_size(output.file("reference/Zandervale.index"));
    ASSERT_LT(thumbnail, index);
    fs::create_directory(lib);
    const std::set<std::string> usersOwn = {"notes.txt", ".notes.tmp", "t0000.jpg", "t00000.png"};
    for (const std::string& name : usersOwn)
        std::ofstream(lib + "/" + name) << "mine";

    const struct { const char* what; std::function<void()> prepare; } interruptions[] = {
        {"killed at the first thumbnail's write", fileSizeLimit(thumbnail / 2, true)},
        {"killed writing the index, every thumbnail written", fileSizeLimit((thumbnail + index) / 2, true)},
        {"every write failing as on a full disk", fileSizeLimit(thumbnail / 2, false)},
        {"the index's write failing", fileSizeLimit((thumbnail + index) / 2, false)},
    };
    for (const auto& interruption : interruptions) {
        const IndexerRun stopped = runIndexer(photos.path(), lib, interruption.prepare);
        EXPECT_NE(stopped.status, 0) << interruption.what;
        if (stopped.signal == 0) {   // a failed run cleans up after itself
            EXPECT_EQ(unlisted(lib), usersOwn) << interruption.what << "\n" << stopped.output;
        }
        const IndexerRun next = runIndexer(photos.path(), lib);
        ASSERT_EQ(next.status, 0) << next.output;
        EXPECT_EQ(unlisted(lib), usersOwn) << interruption.what;
        EXPECT_EQ(readFile(lib + "/Zandervale.xml"), readFile(output.file("reference/Zandervale.xml"))) << interruption.what;
        fs::remove(lib + "/Zandervale.xml");
        fs::remove(lib + "/Zandervale.index");
        fs::remove(lib + "/Zandervale.folders");
    }
}

// Not root: a folder without permissions. Root passes every permission
// check, so the run is made as nobody, from a copy of the indexer nobody can
// reach wherever the checkout lies (a clone under /root is out of its reach).
TEST(IndexHostile, AnOutputFolderThatCannotBeOpenedIsSaidSo)
{
    support::TempDir photos, output, reachable;
    const std::string program = reachable.file("zandervale-index");
    fs::copy_file(indexer, program);
    chmod(reachable.path().c_str(), 0755);
    for (fs::path folder = fs::path(reachable.path()).parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
        struct stat info;
        if (stat(folder.c_str(), &info) != 0 || !(info.st_mode & S_IXOTH))
            GTEST_SKIP() << folder << " does not let others pass, so nobody cannot run the indexer from under it";
    }
    writePhoto(photos.file("a.jpg"), support::red);
    fs::create_directory(output.file("lib"));
    chmod(output.file("lib").c_str(), 0);
    for (const std::string& folder : {photos.path(), output.path()})
        chmod(folder.c_str(), 0755);
    const passwd* nobody = getpwnam("nobody");
    const IndexerRun run = runIndexer(photos.path(), output.file("lib"), [nobody] {
        if (getuid() == 0 && nobody && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) != 0)
            _exit(126);
    }, program);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(output.file("lib") + ": cannot be opened: Permission denied"), std::string::npos) << run.output;
    chmod(output.file("lib").c_str(), 0755);
}

}  // namespace
