// Opening a library as the viewer does, first without its thumbnail cache
// and then with it, each figure beside its target.
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchCity.h"
#include "Benchmarks.h"
#include "scene/House.h"
#include "textures/ThumbnailCacheSet.h"

namespace bench {

// In a fresh process, as the viewer opens a library: seconds from the
// window to the first city frame, the peak resident megabytes, and then,
// when frames > 0, the median frame of each pose once every house has
// grown. Written to out as one line; waits for the thumbnail cache to be
// written before it ends, as a viewer left open would.
int measureOpening(const std::string& library, int frames, FILE* out)
{
    BenchCity city(library);   // the window first, then the clock
    const Clock::time_point start = Clock::now();
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
        control->showOverview(poses[p].overview);
        control->placeAt(poses[p].walker);
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
        std::fprintf(out, " %.2f %ld %ld", times.median(), vertices, allFaces);
    }
    std::fprintf(out, "\n");
    city.caches.waitForWriters();
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

}  // namespace bench
