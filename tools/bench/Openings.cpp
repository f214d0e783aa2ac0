// Libraries opened as the viewer opens them, first without their thumbnail
// cache and then with it, and their frames where a user stands: each pose
// beside the bare city's frame at that pose, each figure beside its target.
#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchCity.h"
#include "Benchmarks.h"
#include "library/LibraryWriter.h"
#include "scene/House.h"
#include "textures/ThumbnailCacheSet.h"

namespace bench {

namespace {

constexpr int barePictures = 2;   // a city of ground and streets, two houses

// A life that grows longer with its library.
YearSpan yearsOf(int pictures)
{
    if (pictures <= 20000)
        return {firstYear, lastYear};
    return pictures <= 100000 ? YearSpan{2001, 2025} : YearSpan{1976, 2025};
}

struct PoseFrames {
    double median = 0, p95 = 0, finish = 0, cpu = 0;
    long vertices = 0, allFaces = 0;   // of the houses drawn
    long pictures = 0;                 // houses drawn as pictures of themselves
    double similarity = 1;             // SSIM against every side of every house drawn
};

// The frame drawn now, read back from the buffer it is drawn to.
std::vector<unsigned char> drawnFrame(Zandervale& app, int width, int height)
{
    std::vector<unsigned char> rgb(3 * static_cast<size_t>(width) * height);
    app.draw(0.0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// The frame as drawn against the same frame with every side of every house drawn.
double similarityToExact(Zandervale& app)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const std::vector<unsigned char> drawn = drawnFrame(app, viewport[2], viewport[3]);
    const float least = app.drawingOrder().leastSidePixels;
    const bool pictures = app.drawingOrder().usePictures;
    app.drawingOrder().leastSidePixels = 0.0f;
    app.drawingOrder().usePictures = false;
    const std::vector<unsigned char> exact = drawnFrame(app, viewport[2], viewport[3]);
    app.drawingOrder().leastSidePixels = least;
    app.drawingOrder().usePictures = pictures;
    app.draw(0.0);   // the lists as they were
    return frameSimilarity(drawn, exact, viewport[2], viewport[3]);
}

struct Opening {
    int pictures = 0;
    YearSpan years;
    double firstSeconds = 0, firstPeak = 0, seconds = 0, peak = 0;
    PoseFrames poses[3];
};

// In a fresh process, as the viewer opens a library: seconds from the
// window to the first city frame, then, when frames > 0, each pose's
// frames once every house has grown; last, once the thumbnail cache is
// written, as a viewer left open would write it, the process's peak
// resident megabytes. Written to out as one line.
int measureOpening(const std::string& library, int frames, FILE* out)
{
    BenchCity city(library);   // the window first, then the clock
    const Clock::time_point start = Clock::now();
    if (!city.build())
        return 1;
    Zandervale& app = city.app;
    app.draw(0.0);
    glutSwapBuffers();
    glFinish();
    const double seconds = secondsSince(start);
    std::fprintf(out, "%.3f", seconds);
    app.draw(100.0);
    app.draw(100.0);
    for (int p = 0; p < 3 && frames > 0; ++p) {
        city.place(poses[p]);
        app.draw(0.0);   // the houses that come into view build their lists
        Times times;
        timeFrames(app, frames, &times);
        long vertices = 0, allFaces = 0;
        for (SceneObject* object : city.objects) {
            if (const House* house = dynamic_cast<const House*>(object)) {
                vertices += house->verticesLastDrawn();
                allFaces += house->allFaceVerticesLastDrawn();
            }
        }
        std::fprintf(out, " %.2f %.2f %.2f %.2f %ld %ld %d %.4f", times.median(), times.p95(), times.finishMedian(),
                     times.cpuMedian(), vertices, allFaces, app.drawingOrder().picturesLastDrawn(), similarityToExact(app));
    }
    city.caches.waitForWriters();
    std::fprintf(out, " %.1f\n", statusMegabytes("VmHWM:"));
    return 0;
}

bool runOpeningChild(const std::string& library, int frames, double* seconds, double* peak, PoseFrames* frameTimes)
{
    return runInChild([&](FILE* out) { return measureOpening(library, frames, out); },
                      [&](FILE* in) {
                          if (std::fscanf(in, "%lf", seconds) != 1)
                              return false;
                          for (int p = 0; p < 3 && frames > 0; ++p) {
                              PoseFrames& f = frameTimes[p];
                              if (std::fscanf(in, "%lf %lf %lf %lf %ld %ld %ld %lf", &f.median, &f.p95, &f.finish, &f.cpu,
                                              &f.vertices, &f.allFaces, &f.pictures, &f.similarity) != 8)
                                  return false;
                          }
                          return std::fscanf(in, "%lf", peak) == 1;
                      });
}

// The library of pictures JPEG thumbnails over years, quarters filled
// unevenly; written once (remove its folder to write it again), so that
// the largest ones cost their writing only on a first run.
bool libraryFile(const std::string& parent, const std::string& jpegName, int poolSize, int pictures,
                 const YearSpan& years, std::string* library)
{
    const std::string directory =
        parent + "/" + std::to_string(pictures) + "-" + std::to_string(years.first) + "-" + std::to_string(years.last);
    *library = directory + "/Zandervale.xml";
    if (access(library->c_str(), R_OK) == 0)
        return true;
    if (std::system(("mkdir -p '" + directory + "'").c_str()) != 0)
        return false;
    if (pictures != barePictures)
        return writeLibrary(*library, jpegName, poolSize, pictures, "jpg", years.first, years.last, true);
    // The city's rows run from its first photo's year to its last one's.
    const std::string photo = "../" + jpegName + "/" + numbered(1, "jpg");
    return writeLibraryFile(*library, {{years.first, 1, 1, photo, "none"}, {years.last, 12, 4, photo, "none"}}, &years, " ");
}

// A pose's frame against the bare city's at that pose: the ratio each size
// is held to (0: none).
double ratioTarget(int pictures, int pose)
{
    if (pictures == 5000)
        return poses[pose].overview ? 0 : 1.2;
    return pictures == 100000 ? 1.6 : 0;
}

void printFrames(const std::vector<Opening>& openings)
{
    std::printf("\nframes where the user stands, in ms: from one buffer swap to the next (median, p95), the\n"
                "drawing alone to glFinish and the CPU time of all threads (medians), beside the median of the\n"
                "bare city (%d photos at the ends of the same years) measured in this run\n",
                barePictures);
    std::printf("%8s %-9s %-9s %7s %7s %8s %7s %7s  %s\n", "photos", "years", "pose", "median", "p95", "glFinish",
                "cpu", "bare", "ratio to bare");
    const Opening* bare = nullptr;
    const Opening* hundredThousand = nullptr;
    for (const Opening& o : openings) {
        if (o.pictures == barePictures)
            bare = &o;
        for (int p = 0; p < 3; ++p) {
            const PoseFrames& f = o.poses[p];
            std::printf("%8d %4d-%4d %-9s %7.1f %7.1f %8.1f %7.1f", o.pictures, o.years.first, o.years.last,
                        poses[p].name, f.median, f.p95, f.finish, f.cpu);
            if (o.pictures != barePictures && bare != nullptr) {
                const double ratio = f.median / bare->poses[p].median;
                std::printf(" %7.1f  %s", bare->poses[p].median, against(ratio, "x", ratioTarget(o.pictures, p)).c_str());
            }
            if (o.pictures == 250000 && hundredThousand != nullptr)
                std::printf(", to 100000: %s",
                            against(f.median / hundredThousand->poses[p].median, "x", 1.1).c_str());
            std::printf("\n");
        }
        if (o.pictures == 100000)
            hundredThousand = &o;
        std::printf("%8s box vertices a frame: %ld, %ld, %ld (all six faces: %ld, %ld, %ld); houses drawn as pictures: "
                    "%ld, %ld, %ld\n", "", o.poses[0].vertices, o.poses[1].vertices, o.poses[2].vertices, o.poses[0].allFaces,
                    o.poses[1].allFaces, o.poses[2].allFaces, o.poses[0].pictures, o.poses[1].pictures, o.poses[2].pictures);
        std::printf("%8s SSIM against every side of every house drawn: %.4f, %.4f, %.4f (target >= 0.98: %s)\n", "",
                    o.poses[0].similarity, o.poses[1].similarity, o.poses[2].similarity,
                    o.poses[2].similarity >= 0.98 ? "holds" : "MISSES");
    }
}

void printOpenings(const std::vector<Opening>& openings)
{
    std::printf("\nopenings: from the window to the first city frame swapped; peak memory: VmHWM of the process\n"
                "at its end, after the second opening's frames and the cache written\n");
    for (const Opening& o : openings) {
        if (o.pictures == barePictures)
            continue;
        const bool largest = o.pictures >= 250000, large = o.pictures >= 100000;
        const double peakTarget = largest ? 1200 : large ? 1000 : 0;
        std::printf("%d photos over %d-%d:\n", o.pictures, o.years.first, o.years.last);
        if (o.firstSeconds > 0)
            std::printf("  first opening:  %s, peak %s\n", against(o.firstSeconds, "s", largest ? 10 : 0).c_str(),
                        against(o.firstPeak, "MB", peakTarget, "%.0f").c_str());
        std::printf("  second opening: %s, peak %s\n", against(o.seconds, "s", large ? 2 : 0).c_str(),
                    against(o.peak, "MB", peakTarget, "%.0f").c_str());
    }
    std::printf("(the cache lies in %s)\n", thumbnailCacheFolder().c_str());
}

}  // namespace

bool measureTargets(const std::string& parent, const std::string& jpegName, int poolSize, int frames,
                    const std::vector<int>& sizes, bool firstOpenings)
{
    std::printf("\nopening libraries (JPEG thumbnails, quarters filled unevenly)%s, and their frames\n",
                firstOpenings ? " first without the thumbnail cache, then with it" : "");
    std::vector<Opening> openings;
    for (int pictures : sizes) {
        // Each span's bare city goes first, so that its frames stand beside the span's libraries.
        const YearSpan years = yearsOf(pictures);
        const bool spanMeasured = !openings.empty() && openings.back().years.first == years.first &&
                                  openings.back().years.last == years.last;
        std::vector<int> toOpen;
        if (!spanMeasured && pictures != barePictures)
            toOpen.push_back(barePictures);
        toOpen.push_back(pictures);
        for (int size : toOpen) {
            Opening o;
            o.pictures = size;
            o.years = years;
            std::string library;
            std::printf("opening %d photos ...\n", size);
            std::fflush(stdout);
            if (!libraryFile(parent, jpegName, poolSize, size, years, &library) ||
                (firstOpenings && !(forgetCache(library) && runOpeningChild(library, 0, &o.firstSeconds, &o.firstPeak, o.poses))) ||
                !runOpeningChild(library, frames, &o.seconds, &o.peak, o.poses)) {
                std::printf("zv-bench: opening %s failed\n", library.c_str());
                return false;
            }
            openings.push_back(o);
        }
    }
    if (firstOpenings)
        printOpenings(openings);
    printFrames(openings);
    return true;
}

}  // namespace bench
