// What the frame bench's measurements share: libraries generated over a
// pool of thumbnails, the city built as the viewer builds it, the walker's
// poses, frame timing, and measuring in a fresh process.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Zandervale.h"
#include "city/CityBuilder.h"
#include "controls/ShooterControl.h"
#include "library/PictureLibrary.h"
#include "textures/PhotoAtlas.h"
#include "textures/ThumbnailCacheSet.h"

namespace bench {

using Clock = std::chrono::steady_clock;

constexpr int firstYear = YearSpan().first, lastYear = YearSpan().last;   // the span a root without one shows

double secondsSince(Clock::time_point start);
// "t0001.png": the pool's file of a number.
std::string numbered(int number, const char* extension = "png");
// How many numbered thumbnails the pool holds, from t0001.png on.
int countPool(const std::string& pool);
// Spreads pictures over every quarter of firstYear..lastYear, about six to a
// house while there are quarters enough, more when there are not; or, for
// uneven, over every quarter as real albums fill them: a few full, many
// with a handful, none over a house's 250. A span other than 1998 to 2010
// is named on the root.
bool writeLibrary(const std::string& path, const std::string& poolName, int poolSize, int pictures,
                  const char* extension = "png", int first = firstYear, int last = lastYear,
                  bool uneven = false);

// Where the walker stands and looks; or, for overview, Tab pressed there.
struct Pose {
    const char* name;
    bool overview;
    WalkerPose walker;
};
extern const Pose poses[3];

// The CPU time of every thread of the process (llvmpipe's rasterisers
// included): what a frame costs whoever else shares the machine.
double cpuMilliseconds();

// Each frame as a user sees it, from one buffer swap to the next; beside
// it the drawing alone, to glFinish before the swap, and the CPU time of
// the interval.
struct Times {
    std::vector<double> ms, finishMs, cpuMs;
    double median() { return quantile(ms, 50); }
    double p95() { return quantile(ms, 95); }
    double finishMedian() { return quantile(finishMs, 50); }
    double cpuMedian() { return quantile(cpuMs, 50); }
    static double quantile(std::vector<double>& values, size_t percent)
    {
        std::sort(values.begin(), values.end());
        return values[std::min(values.size() - 1, values.size() * percent / 100)];
    }
};

void timeFrames(Zandervale& app, int frames, Times* times);

// The window and the image library, as the viewer opens them; state must
// outlive the window (no events are handled: the bench draws its frames).
void openViewerWindow(AppState& state);

// A city as the viewer has it after start-up, the walker standing in it
// with the pointer left where it is and no walls.
struct BenchCity {
    explicit BenchCity(const std::string& library) : library(library) {}
    bool build()
    {
        City city;
        if (!CityBuilder(library.c_str(), photos, caches).build(&city))
            return false;
        records = std::move(city.records);
        artwork = std::move(city.artwork);
        for (const std::unique_ptr<SceneObject>& object : city.objects)
            objects.push_back(object.get());
        app.setScene(std::move(city.objects), control.get());
        control->init(&app);
        control->setMouseLook(false), control->setCollision(false);
        showAsTheViewerDoes(city);
        return true;
    }
    // The walker at pose as a user puts it there: standing at its spot, or
    // from there Tab pressed, the overview framed as the viewer frames it.
    void place(const Pose& pose);
    // Opened first: the walker loads its textures as it is made.
    struct Window {
        Window() { openViewerWindow(state); }
        AppState state;
    } window;
    std::string library;
    PhotoAtlas photos;
    ThumbnailCacheSet caches;
    std::vector<std::unique_ptr<MonthQuarter>> records;   // outlive the objects,
    std::unique_ptr<SceneArtwork> artwork;                 // as does their artwork
    std::vector<SceneObject*> objects;                    // the app's, in order
    Zandervale app;
    std::unique_ptr<ShooterControl> control = std::make_unique<ShooterControl>(app.walkerWindow());

private:
    // The far plane out to the whole city and the overview's ground.
    void showAsTheViewerDoes(const City& city);
};

// Runs measure(out) in a fresh process (the viewer keeps its records and
// textures until it ends) and read(in) on what it wrote; true when both did.
bool runInChild(const std::function<int(FILE*)>& measure, const std::function<bool(FILE*)>& read);
// A status line of /proc/self/status in megabytes (VmRSS, VmHWM).
double statusMegabytes(const char* field);
// Removes the library's thumbnail cache file, so that the next opening is
// a first one; always true.
bool forgetCache(const std::string& library);
// A figure and its unit beside its target: "3.10 s (target 3: holds)".
std::string against(double value, const char* unit, double target = 0, const char* format = "%.2f");

}  // namespace bench
