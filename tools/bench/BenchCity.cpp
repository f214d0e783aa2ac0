// The frame bench's shared parts: library files, timing, the viewer's
// window and measuring in a child process.
#include "BenchCity.h"

#include <GL/freeglut.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/Window.h"
#include "library/LibraryWriter.h"
#include "textures/Textures.h"
#include "textures/ThumbnailCache.h"

namespace bench {

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string numbered(int number, const char* extension)
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
                  const char* extension, int first, int last, bool uneven)
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

// The walker's start; a street inside the city six years and four months
// in, looking along it; the overview camera over the whole city.
const Pose poses[3] = {
    {"start", false, {-75.0f, eyeLevel, 40.0f, 90.0f, 0.0f}},
    {"in-city", false, {420.0f, eyeLevel, 760.0f, 90.0f, 0.0f}},
    {"overview", true, {-75.0f, eyeLevel, 40.0f, 90.0f, 0.0f}},
};

// The CPU time of every thread of the process (llvmpipe's rasterisers
// included): what a frame costs whoever else shares the machine.
double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return 1000.0 * now.tv_sec + now.tv_nsec / 1e6;
}

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

// The window and the image library, as the viewer opens them; state must
// outlive the window (no events are handled: the bench draws its frames).
void openViewerWindow(AppState& state)
{
    int argc = 1;
    char name[] = "zv-bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    createWindow(state);
    initImageLibrary();
    glFinish();   // what follows is timed from a window that is there
}

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

// A figure and its unit beside its target: "3.10 s (target 3: holds)".
std::string against(double value, const char* unit, double target, const char* format)
{
    char number[32], text[96];
    std::snprintf(number, sizeof number, format, value);
    if (target > 0)
        std::snprintf(text, sizeof text, "%s %s (target %g: %s)", number, unit, target, value <= target ? "holds" : "MISSES");
    else
        std::snprintf(text, sizeof text, "%s %s", number, unit);
    return text;
}

}  // namespace bench
