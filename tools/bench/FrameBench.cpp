// zv-bench POOL_DIR OUTPUT_JSON [FRAMES [PICTURES...] [targets]]: first the
// DXT1 thumbnails' fidelity, then the viewer's targets: libraries of 5,000,
// 20,000 (13 years) and 100,000 (25 years) JPEG thumbnails opened without
// and with the thumbnail cache (first city frame, peak memory, the three
// poses' frames), each beside its target (of PICTURES when given);
// "targets" stops there. Then frame
// times of the viewer on generated libraries of 1,000, 5,000 and 20,000 pictures, or of
// the numbers of PICTURES given (thumbnails taken
// in turn from POOL_DIR/t0001.png, ...), at the walker's start, inside the
// city and from the overview camera, each beside the same frame drawn by a
// plain loop that binds and draws every box on its own. Then the start-up
// of the same libraries, with PNG and with JPEG thumbnails (converted once
// into POOL_DIR-jpeg), beside reading them one file at a time through DevIL.
// Run it from the run directory (the artwork is read from there) with a
// display; prints tables and writes the frames as JSON, passes or fails
// nothing.
#include <GL/freeglut.h>
#include <sys/wait.h>
#include <vips/vips.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/HugePages.h"
#include "app/Window.h"
#include "app/Zandervale.h"
#include "city/CityBuilder.h"
#include "library/PictureLibrary.h"
#include "controls/ShooterControl.h"
#include "scene/Cube.h"
#include "scene/House.h"
#include "scene/UnitBox.h"
#include "textures/Dxt1.h"
#include "textures/ThumbnailCache.h"
#include "textures/ThumbnailCacheSet.h"
#include "textures/Textures.h"
#include "textures/ThumbnailDecoder.h"

namespace {

using Clock = std::chrono::steady_clock;

const int librarySizes[] = {1000, 5000, 20000};
constexpr int firstYear = YearSpan().first, lastYear = YearSpan().last;   // the span a root without one shows
constexpr int rounds = 6;   // optimised and plain frames alternate in rounds

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string numbered(int number, const char* extension = "png")
{
    char name[32];
    std::snprintf(name, sizeof name, "t%04d.%s", number, extension);
    return name;
}

int countPool(const std::string& pool)
{
    int count = 0;
    while (access((pool + "/" + numbered(count + 1)).c_str(), R_OK) == 0)
        ++count;
    return count;
}

// Spreads pictures over every quarter of firstYear..lastYear, about six to a
// house while there are quarters enough, more when there are not; or, for
// uneven, over every quarter as real albums fill them: a few full, many
// with a handful, none over a house's 250. A span other than 1998 to 2010
// is named on the root.
bool writeLibrary(const std::string& path, const std::string& poolName, int poolSize, int pictures,
                  const char* extension = "png", int first = firstYear, int last = lastYear, bool uneven = false)
{
    const int slots = (last - first + 1) * 48;
    std::vector<int> counts;
    if (uneven) {
        std::vector<double> weights(static_cast<size_t>(slots));
        unsigned seed = 2024;
        double total = 0;
        for (double& weight : weights) {
            seed = seed * 1103515245u + 12345u;
            const double u = (seed >> 8 & 0xFFFF) / 65535.0;
            total += weight = 0.05 + u * u * u;
        }
        int placed = 0;
        for (double weight : weights) {
            counts.push_back(std::min(MaxTexturesPerQuarter, static_cast<int>(pictures * weight / total)));
            placed += counts.back();
        }
        for (size_t i = 0; placed < pictures; i = (i + 7) % counts.size()) {
            if (counts[i] < MaxTexturesPerQuarter)
                ++counts[i], ++placed;
        }
    } else {
        const int houses = std::min(slots, std::max(1, pictures / 6));
        counts.assign(static_cast<size_t>(slots), 0);
        for (int h = 0; h < houses; ++h)
            counts[static_cast<size_t>(static_cast<long>(h) * slots / houses)] = pictures / houses + (h < pictures % houses ? 1 : 0);
    }
    std::vector<LibraryPicture> entries;
    for (int slot = 0, picture = 0; slot < slots; ++slot)
        for (int i = 0; i < counts[static_cast<size_t>(slot)]; ++i, ++picture)
            entries.push_back({first + slot / 48, slot / 4 % 12 + 1, slot % 4 + 1,
                               "../" + poolName + "/" + numbered(picture % poolSize + 1, extension), "none"});
    const YearSpan span{first, last};
    return writeLibraryFile(path, entries, first == firstYear && last == lastYear ? nullptr : &span, " ");
}

// A house drawn the plain way: one bind and one list call per box, seen or
// not, at full size.
class PlainHouse : public SceneObject {
public:
    explicit PlainHouse(const House* house) : house(house) {}
    void draw(double) override
    {
        glPushMatrix();
        glTranslatef(house->x, 0.0f, house->z);
        for (const auto& cube : house->getCubes()) {
            glPushMatrix();
            bindPhoto(cube->texture);
            glRotatef(cube->rotationY, 0.0f, 1.0f, 0.0f);
            glTranslatef(cube->x, cube->y, cube->z);
            glScalef(cube->scale, cube->scale, cube->scale);
            cube->unitBox().draw();
            unbindPhoto();
            glPopMatrix();
        }
        glPopMatrix();
    }

private:
    const House* house;
};

struct Pose {
    const char* name;
    bool overview;
    ShooterControl::Vector3f translation;   // the eye negated
    float yaw;
};

// The walker's start; a street inside the city six years and four months
// in, looking along it; the overview camera over the whole city.
const Pose poses[] = {
    {"start", false, {75.0f, eyeLevel, -40.0f}, 90.0f},
    {"in-city", false, {-420.0f, eyeLevel, -760.0f}, 90.0f},
    {"overview", true, {75.0f, eyeLevel, -40.0f}, 90.0f},
};

// The CPU time of every thread of the process (llvmpipe's rasterisers
// included): what a frame costs whoever else shares the machine.
double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return 1000.0 * now.tv_sec + now.tv_nsec / 1e6;
}

struct Times {
    std::vector<double> ms;
    std::vector<double> cpuMs;
    double cpuMedian() { std::sort(cpuMs.begin(), cpuMs.end()); return cpuMs[cpuMs.size() / 2]; }
    double median() { std::sort(ms.begin(), ms.end()); return ms[ms.size() / 2]; }
    double p95() { std::sort(ms.begin(), ms.end()); return ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]; }
};

void timeFrames(Zandervale& app, int frames, Times* times)
{
    const double dt = 1.0 / 60.0;
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point start = Clock::now();
        const double cpuStart = cpuMilliseconds();
        app.draw(dt);
        glutSwapBuffers();
        glFinish();
        times->ms.push_back(1000.0 * secondsSince(start));
        times->cpuMs.push_back(cpuMilliseconds() - cpuStart);
    }
}

// The window and the image library, as the viewer opens them.
void openViewerWindow()
{
    int argc = 1;
    char name[] = "zv-bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    createWindow();
    initImageLibrary();
}

// A city as the viewer has it after start-up, the walker standing in it
// with the pointer left where it is and no walls. Its objects live until
// the process ends, as in the viewer.
struct BenchCity {
    explicit BenchCity(const std::string& library) : builder(library.c_str()) {}
    ~BenchCity() { app.setScene(nullptr, nullptr); }
    bool build()
    {
        if (!builder.build(objects))
            return false;
        app.setScene(objects, control.get());
        control->init(&app);
        control->mouseLook = false, control->collisionOn = false;
        return true;
    }
    std::vector<SceneObject*>* objects = new std::vector<SceneObject*>();
    CityBuilder builder;
    std::unique_ptr<ShooterControl> control = std::make_unique<ShooterControl>(glutWalkerWindow());
    Zandervale app;
};

// One library in a fresh process (the viewer keeps its records until it
// ends): builds the city, grows it and prints one line per pose to out.
int measureLibrary(const std::string& library, int frames, FILE* out)
{
    openViewerWindow();
    const Clock::time_point start = Clock::now();
    BenchCity city(library);
    if (!city.build())
        return 1;
    const double buildSeconds = secondsSince(start);
    Zandervale& app = city.app;
    ShooterControl* control = city.control.get();
    std::vector<SceneObject*>* objects = city.objects;
    std::vector<SceneObject*> plain;
    int houses = 0, boxes = 0;
    for (SceneObject* object : *objects) {
        House* house = dynamic_cast<House*>(object);
        plain.push_back(house ? new PlainHouse(house) : object);
        houses += house ? 1 : 0;
        boxes += house ? static_cast<int>(house->getCubes().size()) : 0;
    }
    // Two long frames grow every house to its full size.
    app.draw(100.0);
    app.draw(100.0);
    for (const Pose& pose : poses) {
        control->overview = pose.overview;
        control->translation = pose.translation;
        control->yaw = pose.yaw;
        Times fast, slow;
        app.draw(0.0);   // the houses that come into view build their lists
        glFinish();
        for (int r = 0; r < rounds; ++r) {
            app.setScene(objects, control);
            timeFrames(app, frames / rounds + 1, &fast);
            app.setScene(&plain, control);
            timeFrames(app, frames / rounds + 1, &slow);
        }
        std::fprintf(out, "%d %d %.2f %s %.2f %.2f %.2f %.2f %.2f %.2f\n", houses, boxes, buildSeconds,
                     pose.name, fast.median(), fast.p95(), fast.cpuMedian(), slow.median(), slow.p95(),
                     slow.cpuMedian());
    }
    return 0;
}

struct Row {
    int pictures, houses, boxes;
    double buildSeconds;
    char pose[16];
    double median, p95, cpu, plainMedian, plainP95, plainCpu;
};

// Runs measure(out) in a fresh process (the viewer keeps its records and
// textures until it ends) and read(in) on what it wrote; true when both did.
bool runInChild(const std::function<int(FILE*)>& measure, const std::function<bool(FILE*)>& read)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        FILE* out = fdopen(pipeEnds[1], "w");
        const int status = measure(out);
        std::fclose(out);
        std::fflush(stdout);
        _exit(status);
    }
    close(pipeEnds[1]);
    FILE* in = fdopen(pipeEnds[0], "r");
    const bool readAll = read(in);
    std::fclose(in);
    int status = 0;
    waitpid(child, &status, 0);
    return readAll && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool runChild(const std::string& library, int pictures, int frames, std::vector<Row>* rows)
{
    return runInChild([&](FILE* out) { return measureLibrary(library, frames, out); },
                      [&](FILE* in) {
                          Row row{};
                          while (std::fscanf(in, "%d %d %lf %15s %lf %lf %lf %lf %lf %lf", &row.houses,
                                             &row.boxes, &row.buildSeconds, row.pose, &row.median, &row.p95,
                                             &row.cpu, &row.plainMedian, &row.plainP95, &row.plainCpu) == 10) {
                              row.pictures = pictures;
                              rows->push_back(row);
                          }
                          return true;
                      });
}

void printTable(const std::vector<Row>& rows)
{
    std::printf("\n%8s %6s %8s %-9s %9s %8s %8s %9s %9s %9s %7s %6s\n", "pictures", "houses",
                "build s", "pose", "median ms", "p95 ms", "cpu ms", "plain med", "plain p95",
                "plain cpu", "speedup", "fps");
    for (const Row& r : rows)
        std::printf("%8d %6d %8.2f %-9s %9.2f %8.2f %8.2f %9.2f %9.2f %9.2f %6.1fx %6.1f\n",
                    r.pictures, r.houses, r.buildSeconds, r.pose, r.median, r.p95, r.cpu,
                    r.plainMedian, r.plainP95, r.plainCpu, r.plainMedian / r.median,
                    1000.0 / r.median);
    std::printf("(ms: wall time to glFinish; cpu: CPU time of all threads, a frame's cost on an\n"
                " idle machine lies between half of it and all of it; speedup and fps from the medians)\n");
}

bool writeJson(const std::string& path, const std::vector<Row>& rows)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    std::fprintf(file, "[\n");
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        std::fprintf(file,
                     "  {\"pictures\": %d, \"houses\": %d, \"boxes\": %d, \"build_seconds\": %.2f, "
                     "\"pose\": \"%s\", \"median_ms\": %.2f, \"p95_ms\": %.2f, \"cpu_ms\": %.2f, "
                     "\"plain_median_ms\": %.2f, \"plain_p95_ms\": %.2f, \"plain_cpu_ms\": %.2f}%s\n",
                     r.pictures, r.houses, r.boxes, r.buildSeconds, r.pose, r.median, r.p95, r.cpu,
                     r.plainMedian, r.plainP95, r.plainCpu, i + 1 < rows.size() ? "," : "");
    }
    std::fprintf(file, "]\n");
    return std::fclose(file) == 0;
}

// A status line of /proc/self/status in megabytes (VmRSS, VmHWM).
double statusMegabytes(const char* field)
{
    FILE* file = std::fopen("/proc/self/status", "r");
    char line[256];
    double kilobytes = 0;
    while (file != nullptr && std::fgets(line, sizeof line, file) != nullptr) {
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            kilobytes = std::atof(line + std::strlen(field) + 1);
    }
    if (file != nullptr)
        std::fclose(file);
    return kilobytes / 1024.0;
}

// Removes the library's thumbnail cache file, so that the next opening is
// a first one; always true.
bool forgetCache(const std::string& library)
{
    unlink(ThumbnailCache(thumbnailCacheFolder(), library).filePath().c_str());
    return true;
}

// In a fresh process: seconds from the window to the first city frame, or
// (serial) to the library's textures loaded one after another by DevIL as
// the viewer did before its worker threads; and the peak resident
// megabytes. Written to out as one line.
int measureStartup(const std::string& library, bool serial, FILE* out)
{
    openViewerWindow();
    glFinish();
    const Clock::time_point start = Clock::now();
    if (serial) {
        std::vector<MonthQuarter*> records;
        YearSpan span;
        if (readPictureLibrary(library.c_str(), &records, loadTexture, &span) != LibraryError::none)
            return 1;
    } else {
        BenchCity city(library);
        if (!city.build())
            return 1;
        city.app.draw(0.0);
        glutSwapBuffers();
    }
    glFinish();
    std::fprintf(out, "%.3f %.1f\n", secondsSince(start), statusMegabytes("VmHWM:"));
    return 0;
}

struct Startup {
    double seconds = 0, peak = 0;
};

bool runStartupChild(const std::string& library, bool serial, Startup* result)
{
    return runInChild([&](FILE* out) { return measureStartup(library, serial, out); },
                      [&](FILE* in) { return std::fscanf(in, "%lf %lf", &result->seconds, &result->peak) == 2; });
}

// The pool's thumbnails as JPEGs, as zandervale-index writes them.
bool convertPool(const std::string& pool, const std::string& jpegPool, int poolSize)
{
    if (access((jpegPool + "/" + numbered(poolSize, "jpg")).c_str(), R_OK) == 0)
        return true;
    if (VIPS_INIT("zv-bench") != 0 || std::system(("mkdir -p '" + jpegPool + "'").c_str()) != 0)
        return false;
    for (int i = 1; i <= poolSize; ++i) {
        VipsImage* image = vips_image_new_from_file((pool + "/" + numbered(i)).c_str(), nullptr);
        const bool saved = image != nullptr &&
                           vips_jpegsave(image, (jpegPool + "/" + numbered(i, "jpg")).c_str(), "Q", 85, nullptr) == 0;
        if (image != nullptr)
            g_object_unref(image);
        if (!saved)
            return false;
    }
    return true;
}

// Start-up of every size with both thumbnail formats, threaded and serial.
bool measureStartups(const std::string& parent, const std::string& poolName, int poolSize,
                     const std::vector<int>& sizes)
{
    const std::string jpegName = poolName + "-jpeg";
    if (!convertPool(parent + "/" + poolName, parent + "/" + jpegName, poolSize)) {
        std::printf("zv-bench: cannot write the JPEG pool %s/%s\n", parent.c_str(), jpegName.c_str());
        return false;
    }
    const std::string emptyLibrary = parent + "/0/Zandervale.xml";
    Startup empty;
    if (std::system(("mkdir -p '" + parent + "/0'").c_str()) != 0 || !writeLibrary(emptyLibrary, poolName, poolSize, 0) ||
        !runStartupChild(emptyLibrary, false, &empty)) {
        std::printf("zv-bench: measuring the start-up of %s failed\n", emptyLibrary.c_str());
        return false;
    }
    std::printf("\nan empty library: %.2f s to the first frame, peak resident %.0f MB\n", empty.seconds, empty.peak);
    std::printf("%8s %6s %10s %9s %7s %11s %9s %7s\n", "pictures", "format", "threaded s", "serial s",
                "ratio", "peak+ MB", "texel MB", "ratio");
    for (int pictures : sizes) {
        for (const char* format : {"png", "jpg"}) {
            const std::string directory = parent + "/" + std::to_string(pictures) + "-" + format;
            const std::string library = directory + "/Zandervale.xml";
            Startup threaded, serial;
            if (std::system(("mkdir -p '" + directory + "'").c_str()) != 0 ||
                !writeLibrary(library, std::string(format) == "png" ? poolName : jpegName, poolSize, pictures, format) ||
                !forgetCache(library) || !runStartupChild(library, false, &threaded) || !runStartupChild(library, true, &serial)) {
                std::printf("zv-bench: measuring the start-up of %s failed\n", library.c_str());
                return false;
            }
            const double texels = pictures * 128.0 * 96.0 * 4.0 / (1024.0 * 1024.0);
            std::printf("%8d %6s %10.2f %9.2f %6.2fx %11.0f %9.0f %6.2fx\n", pictures, format, threaded.seconds,
                        serial.seconds, threaded.seconds / serial.seconds, threaded.peak - empty.peak, texels,
                        (threaded.peak - empty.peak) / texels);
        }
    }
    std::printf("(threaded: the viewer's start, window to first city frame; serial: the same thumbnails\n"
                " decoded and uploaded one after another by DevIL on one core; peak+: the viewer's peak\n"
                " resident memory above the empty library's, against 128 x 96 x 4 bytes a thumbnail)\n");
    return true;
}

// In a fresh process, as the viewer opens a library: seconds from the
// window to the first city frame, the peak resident megabytes, and then,
// when frames > 0, the median frame of each pose once every house has
// grown. Written to out as one line; waits for the thumbnail cache to be
// written before it ends, as a viewer left open would.
int measureOpening(const std::string& library, int frames, FILE* out)
{
    openViewerWindow();
    glFinish();
    const Clock::time_point start = Clock::now();
    BenchCity city(library);
    if (!city.build())
        return 1;
    Zandervale& app = city.app;
    ShooterControl* control = city.control.get();
    app.draw(0.0);
    glutSwapBuffers();
    glFinish();
    const double seconds = secondsSince(start);
    std::fprintf(out, "%.3f %.1f", seconds, statusMegabytes("VmHWM:"));
    app.draw(100.0);
    app.draw(100.0);
    for (int p = 0; p < 3 && frames > 0; ++p) {
        control->overview = poses[p].overview;
        control->translation = poses[p].translation;
        control->yaw = poses[p].yaw;
        app.draw(0.0);   // the houses that come into view build their lists
        Times times;
        timeFrames(app, frames, &times);
        long vertices = 0, allFaces = 0;
        for (SceneObject* object : *city.objects) {
            if (const House* house = dynamic_cast<const House*>(object)) {
                vertices += house->verticesLastDrawn();
                allFaces += house->allFaceVerticesLastDrawn();
            }
        }
        std::fprintf(out, " %.2f %ld %ld", times.median(), vertices, allFaces);
    }
    std::fprintf(out, "\n");
    libraryThumbnailCaches().waitForWriters();
    return 0;
}

struct Opening {
    double seconds = 0, peak = 0, poseMs[3] = {0, 0, 0};
    long vertices[3] = {0, 0, 0}, allFaces[3] = {0, 0, 0};   // of the houses drawn
};

bool runOpeningChild(const std::string& library, int frames, Opening* result)
{
    return runInChild([&](FILE* out) { return measureOpening(library, frames, out); },
                      [&](FILE* in) {
                          if (std::fscanf(in, "%lf %lf", &result->seconds, &result->peak) != 2)
                              return false;
                          for (int p = 0; p < 3; ++p)
                              std::fscanf(in, "%lf %ld %ld", &result->poseMs[p], &result->vertices[p], &result->allFaces[p]);
                          return true;
                      });
}

// A figure and its unit beside its target: "3.10 s (target 3: holds)".
std::string against(double value, const char* unit, double target = 0, const char* format = "%.2f")
{
    char number[32], text[96];
    std::snprintf(number, sizeof number, format, value);
    if (target > 0)
        std::snprintf(text, sizeof text, "%s %s (target %g: %s)", number, unit, target, value <= target ? "holds" : "MISSES");
    else
        std::snprintf(text, sizeof text, "%s %s", number, unit);
    return text;
}

// The targets: libraries of 5,000 and 20,000 JPEG thumbnails over 13 years
// and of 100,000 over 25 years, quarters filled unevenly, each opened
// without its cache file and again with it.
bool measureTargets(const std::string& parent, const std::string& jpegName, int poolSize, int frames,
                    const std::vector<int>& sizes)
{
    std::printf("\nopening a library (JPEG thumbnails, quarters filled unevenly), first without the "
                "thumbnail cache, then with it\n");
    for (int pictures : sizes) {
        const bool long_ = pictures > 20000;
        const std::string directory = parent + "/" + std::to_string(pictures) + "-uneven";
        const std::string library = directory + "/Zandervale.xml";
        if (std::system(("mkdir -p '" + directory + "'").c_str()) != 0 ||
            !writeLibrary(library, jpegName, poolSize, pictures, "jpg", long_ ? 2001 : firstYear,
                          long_ ? 2025 : lastYear, true)) {
            std::printf("zv-bench: cannot write %s\n", library.c_str());
            return false;
        }
        forgetCache(library);
        Opening first, second;
        if (!runOpeningChild(library, 0, &first) || !runOpeningChild(library, frames, &second)) {
            std::printf("zv-bench: opening %s failed\n", library.c_str());
            return false;
        }
        const bool largest = pictures >= 100000, middle = pictures >= 20000 && !largest;
        const double frameTarget = largest ? 33.3 : 0, nearTarget = pictures <= 5000 ? 16.7 : frameTarget;
        const double overviewTarget = pictures >= 20000 ? 33.3 : 0, peakTarget = largest ? 1500 : 0;
        std::printf("%d photos over %d years:\n", pictures, long_ ? 25 : lastYear - firstYear + 1);
        std::printf("  first opening:  first city frame %s, peak memory %s\n",
                    against(first.seconds, "s", largest ? 13.5 : 0).c_str(), against(first.peak, "MB", peakTarget, "%.0f").c_str());
        std::printf("  second opening: first city frame %s, peak memory %s\n",
                    against(second.seconds, "s", largest ? 3.0 : middle ? 1.5 : 0).c_str(),
                    against(second.peak, "MB", peakTarget, "%.0f").c_str());
        std::printf("  frames: start %s, in the city %s, overview %s\n", against(second.poseMs[0], "ms", nearTarget).c_str(),
                    against(second.poseMs[1], "ms", nearTarget).c_str(), against(second.poseMs[2], "ms", overviewTarget).c_str());
        std::printf("  box vertices a frame: start %ld, in the city %ld, overview %ld (all six faces: %ld, %ld, %ld)\n",
                    second.vertices[0], second.vertices[1], second.vertices[2], second.allFaces[0], second.allFaces[1],
                    second.allFaces[2]);
    }
    std::printf("(first city frame: from the window to the first frame swapped; peak: VmHWM; frames: median\n"
                " wall time to glFinish at each pose; the cache lies in %s)\n", thumbnailCacheFolder().c_str());
    return true;
}

// Squared errors of DXT1 blocks against the framed texels they were made
// from, summed over red, green and blue, and the texels counted.
struct Fidelity {
    double squares = 0, texels = 0, seconds = 0;
    int thumbnails = 0;
    void add(const unsigned char* framed, int framedWidth, int framedHeight)
    {
        const Clock::time_point start = Clock::now();
        const std::vector<unsigned char> blocks = compressFramed(framed, framedWidth, framedHeight);
        seconds += secondsSince(start);
        const int width = wholeBlocks(framedWidth);
        const std::vector<unsigned char> back = decodeDxt1(blocks.data(), width, wholeBlocks(framedHeight));
        for (int y = 0; y < framedHeight; ++y)
            for (int x = 0; x < framedWidth * 4; ++x) {
                const double d = double(framed[y * framedWidth * 4 + x]) - back[y * width * 4 + x];
                squares += x % 4 == 3 ? 0 : d * d;
            }
        texels += framedWidth * framedHeight;
        ++thumbnails;
    }
    double decibels() const { return 10.0 * std::log10(255.0 * 255.0 * 3.0 * texels / squares); }
    double millisecondsEach() const { return 1000.0 * seconds / thumbnails; }
};

// A pool of what DXT1 keeps worst: noise, one-texel stripes, hard edges.
void addHighDetail(Fidelity* fidelity)
{
    std::vector<unsigned char> rgba(128 * 96 * 4);
    unsigned seed = 12345;
    for (int kind = 0; kind < 30; ++kind) {
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x) {
                unsigned char* t = &rgba[(y * 128 + x) * 4];
                seed = seed * 1103515245u + 12345u;
                const unsigned noise = seed >> 8;
                const bool stripe = ((x + kind) / (1 + kind % 2)) % 2 == 0, edge = (x / 16 + y / 12 + kind) % 2 == 0;
                switch (kind % 3) {
                case 0: t[0] = noise & 255, t[1] = noise >> 8 & 255, t[2] = noise >> 16 & 255; break;
                case 1: t[0] = stripe ? 250 : 20, t[1] = stripe ? 40 : 210, t[2] = 128; break;
                default: t[0] = edge ? 255 : 0, t[1] = edge ? 200 : 30, t[2] = edge ? 0 : 255; break;
                }
                t[3] = 255;
            }
        fidelity->add(frameTexels(rgba.data(), 128, 96).data(), 130, 98);
    }
}

// The DXT1 texels against the decoded thumbnails of the pool (made from
// photographs) and against a high-detail pool.
void reportThumbnailFidelity(const std::string& pool, int poolSize)
{
    Fidelity photos, detailed;
    for (int i = 1; i <= poolSize; ++i) {
        DecodedThumbnail thumbnail = decodeThumbnail((pool + "/" + numbered(i)).c_str(), true, false);
        if (thumbnail.decoded)
            photos.add(thumbnail.framed.data(), thumbnail.width + 2, thumbnail.height + 2);
    }
    addHighDetail(&detailed);
    std::printf("\nDXT1 thumbnails: PSNR %.1f dB over %d thumbnails of photographs (target >= 33 dB), "
                "%.1f dB over %d high-detail ones (noise, stripes, hard edges; reported only); "
                "%.3f ms to encode one on one core\n",
                photos.decibels(), photos.thumbnails, detailed.decibels(), detailed.thumbnails,
                photos.millisecondsEach());
}

} // namespace

int main(int argc, char** argv)
{
    restartWithHugePages(argv);   // as the viewer does
    if (argc < 3) {
        std::printf("Usage: zv-bench POOL_DIR OUTPUT_JSON [FRAMES [PICTURES...] [targets]]\n");
        return 2;
    }
    const int frames = argc >= 4 ? std::atoi(argv[3]) : 30;
    // PICTURES given: those sizes for every table; "targets" alone: only
    // the table of targets, at 5,000, 20,000 and 100,000.
    const bool targetsOnly = argc >= 5 && std::strcmp(argv[argc - 1], "targets") == 0;
    std::vector<int> targetSizes = {5000, 20000, 100000};
    std::vector<int> sizes(std::begin(librarySizes), std::end(librarySizes));
    if (argc > (targetsOnly ? 5 : 4)) {
        sizes.clear();
        for (int i = 4; i < argc - (targetsOnly ? 1 : 0); ++i)
            sizes.push_back(std::max(1, std::atoi(argv[i])));
        targetSizes = sizes;
    }
    std::string pool = argv[1];
    while (pool.size() > 1 && pool.back() == '/')
        pool.pop_back();
    const int poolSize = countPool(pool);
    if (frames <= 0 || poolSize == 0) {
        std::printf("zv-bench: need FRAMES > 0 and thumbnails t0001.png, ... in %s\n", pool.c_str());
        return 2;
    }
    const std::string::size_type slash = pool.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : pool.substr(0, slash);
    const std::string poolName = slash == std::string::npos ? pool : pool.substr(slash + 1);
    // The bench's thumbnail cache stays beside its libraries.
    char* absolute = realpath(parent.c_str(), nullptr);
    setenv("XDG_CACHE_HOME", (std::string(absolute != nullptr ? absolute : ".") + "/cache").c_str(), 1);
    std::free(absolute);
    reportThumbnailFidelity(pool, poolSize);
    if (!convertPool(pool, parent + "/" + poolName + "-jpeg", poolSize)) {
        std::printf("zv-bench: cannot write the JPEG pool %s-jpeg\n", pool.c_str());
        return 1;
    }
    if (!measureTargets(parent, poolName + "-jpeg", poolSize, frames, targetSizes))
        return 1;
    if (targetsOnly)
        return 0;
    std::vector<Row> rows;
    for (int pictures : sizes) {
        const std::string directory = parent + "/" + std::to_string(pictures);
        const std::string library = directory + "/Zandervale.xml";
        if (std::system(("mkdir -p '" + directory + "'").c_str()) != 0 ||
            !writeLibrary(library, poolName, poolSize, pictures)) {
            std::printf("zv-bench: cannot write %s\n", library.c_str());
            return 1;
        }
        std::printf("measuring %s ...\n", library.c_str());
        if (!runChild(library, pictures, frames, &rows)) {
            std::printf("zv-bench: measuring %s failed\n", library.c_str());
            return 1;
        }
    }
    printTable(rows);
    if (!writeJson(argv[2], rows)) {
        std::printf("zv-bench: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("written to %s\n", argv[2]);
    return measureStartups(parent, poolName, poolSize, sizes) ? 0 : 1;
}
