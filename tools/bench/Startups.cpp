// Start-up: from the window to the first city frame with PNG and with JPEG
// thumbnails, beside reading the same thumbnails one after another.
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchCity.h"
#include "Benchmarks.h"
#include <unistd.h>
#include <vips/vips.h>

#include "textures/Textures.h"

namespace bench {

// In a fresh process: seconds from the window to the first city frame, or
// (serial) to the library's textures loaded one after another by DevIL as
// the viewer did before its worker threads; and the peak resident
// megabytes. Written to out as one line.
int measureStartup(const std::string& library, bool serial, FILE* out)
{
    AppState window;   // the serial reading's; a city opens its own
    std::unique_ptr<BenchCity> city;
    if (serial)
        openViewerWindow(window);
    else
        city = std::make_unique<BenchCity>(library);
    const Clock::time_point start = Clock::now();
    if (serial) {
        std::vector<MonthQuarter*> records;
        YearSpan span;
        if (readPictureLibrary(library.c_str(), &records, loadTexture, &span) != LibraryError::none)
            return 1;
    } else {
        if (!city->build())
            return 1;
        city->app.draw(0.0);
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

}  // namespace bench
