// zv-gallery-bench [SCRATCH_DIR]: the gallery on generated 12-megapixel
// JPEGs (zv-gallery-bench --photos DIR COUNT only writes such photos, each
// in its own tint, as DIR/photo0.jpg ..., and DIR/Zandervale.xml, one house
// of them whose thumbnails DIR/t0.png ... the caller draws). Prints opening and stepping beside a full DevIL decode of the same
// file, the texture's PSNR against a Lanczos scale of the whole photo for
// the viewer's and the DevIL loader, idle frame times and peak memory against
// the texel bytes the gallery holds (measured by zv-gallery-bench --memory
// DIR in a process of its own). Run it from the run directory (the
// caption bar's artwork is read from there) with a display; passes or fails
// nothing.
#include <GL/freeglut.h>
#include <IL/il.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "gallery/DevilPhotoLoader.h"
#include "gallery/Gallery.h"
#include "gallery/PrefetchingPhotoLoader.h"
#include "gallery/VipsPhotoLoader.h"
#include "library/LibraryWriter.h"
#include "library/MonthQuarter.h"
#include "textures/Textures.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int photoWidth = 4000, photoHeight = 3000;   // 12 megapixels
constexpr int housePhotos = 6;
constexpr int rounds = 5;
constexpr double texelBytes = 1024.0 * 1024.0 * 4.0;   // llvmpipe keeps RGB as RGBA

double millisecondsOf(const std::function<void()>& work)
{
    const Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// kB from a line of /proc/self/status: VmRSS now, VmHWM the peak so far.
double statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, std::string(field).size(), field) == 0)
            return std::atof(line.c_str() + std::string(field).size() + 1);
    }
    return 0.0;
}

bool check(int result, const char* what)
{
    if (result != 0)
        std::fprintf(stderr, "zv-gallery-bench: %s: %s\n", what, vips_error_buffer());
    return result == 0;
}

// Soft colour fields with grain and a fringe of fine lines along the top:
// what a camera photo holds, and what a nearest-neighbour scale aliases.
bool writePhoto(const std::string& path, int tint = 0)
{
    VipsImage *noise = nullptr, *fields = nullptr, *grain = nullptr, *zone = nullptr, *lines = nullptr,
              *sum = nullptr, *photo = nullptr, *bytes = nullptr;
    const bool made =
        check(vips_gaussnoise(&noise, photoWidth / 50, photoHeight / 50, "sigma", 60.0, "mean", 128.0, nullptr), "noise") &&
        check(vips_resize(noise, &fields, 50.0, "kernel", VIPS_KERNEL_CUBIC, nullptr), "fields") &&
        check(vips_gaussnoise(&grain, photoWidth, photoHeight, "sigma", 2.0, "mean", 0.0, nullptr), "grain") &&
        check(vips_zone(&zone, photoWidth, photoHeight, nullptr), "zone") &&
        check(vips_linear1(zone, &lines, 16.0, 0.0, nullptr), "lines") &&
        check(vips_sum(std::vector<VipsImage*>{fields, grain, lines}.data(), &sum, 3, nullptr), "sum");
    bool written = false;
    if (made) {
        VipsImage* channels[3] = {sum, sum, sum};
        VipsImage *green = nullptr, *blue = nullptr;
        written = check(vips_linear1(sum, &green, 0.8, 30.0, nullptr), "green") &&
                  check(vips_linear1(sum, &blue, -0.6, 220.0 - 25.0 * tint, nullptr), "blue") &&
                  (channels[1] = green, channels[2] = blue,
                   check(vips_bandjoin(channels, &photo, 3, nullptr), "join")) &&
                  check(vips_cast_uchar(photo, &bytes, nullptr), "cast") &&
                  check(vips_jpegsave(bytes, path.c_str(), "Q", 90, nullptr), "save");
        for (VipsImage* image : {green, blue})
            if (image != nullptr)
                g_object_unref(image);
    }
    for (VipsImage* image : {noise, fields, grain, zone, lines, sum, photo, bytes})
        if (image != nullptr)
            g_object_unref(image);
    return written;
}

// The whole photo decoded, scaled to the square with Lanczos 3: what the
// texture would hold with no shortcut taken.
std::vector<unsigned char> referenceSquare(const std::string& path)
{
    std::vector<unsigned char> pixels;
    VipsImage *photo = vips_image_new_from_file(path.c_str(), nullptr), *square = nullptr;
    if (photo != nullptr &&
        check(vips_resize(photo, &square, 1024.0 / photo->Xsize, "vscale", 1024.0 / photo->Ysize,
                          "kernel", VIPS_KERNEL_LANCZOS3, nullptr), "reference")) {
        size_t size = 0;
        void* memory = vips_image_write_to_memory(square, &size);
        pixels.assign(static_cast<unsigned char*>(memory), static_cast<unsigned char*>(memory) + size);
        g_free(memory);
    }
    for (VipsImage* image : {photo, square})
        if (image != nullptr)
            g_object_unref(image);
    return pixels;
}

double psnr(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size() || a.empty())
        return 0.0;
    double squares = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        squares += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    return 10.0 * std::log10(255.0 * 255.0 / (squares / a.size()));
}

// Counts the textures the gallery holds; everything else goes to the loader.
struct CountingLoader : PhotoLoader {
    explicit CountingLoader(PhotoLoader* loader) : loader(loader) {}
    DecodedPhoto decode(const std::string& path) override { return loader->decode(path); }
    void prefetch(const std::vector<std::string>& paths) override { loader->prefetch(paths); }
    bool ready(const std::string& path) override { return loader->ready(path); }
    TextureName upload(const DecodedPhoto& photo) override
    {
        mostLive = std::max(mostLive, ++live);
        return loader->upload(photo);
    }
    void release(TextureName texture) override { --live, loader->release(texture); }
    PhotoLoader* loader;
    int live = 0, mostLive = 0;
};

// A change (opening or a step) from its key to the frame that first draws
// its photo: the longest the main thread was busy at once (the key's call
// and its frame, then each frame after), and the time until the photo is on
// screen. Frames follow each other as fast as they come, as in the viewer.
struct Change {
    double blockedMs = 0, shownMs = 0;
};

Change timeChange(Gallery& gallery, const std::function<void()>& key)
{
    Change change;
    const Clock::time_point start = Clock::now();
    Clock::time_point frameStart = start;
    key();
    for (double dt = 0.0; change.shownMs < 10000.0;) {
        gallery.draw(dt);
        glFinish();
        const Clock::time_point end = Clock::now();
        change.blockedMs = std::max(change.blockedMs, std::chrono::duration<double, std::milli>(end - frameStart).count());
        change.shownMs = std::chrono::duration<double, std::milli>(end - start).count();
        if (gallery.shown().isFading())
            break;
        dt = std::chrono::duration<double>(end - frameStart).count();
        frameStart = end;
    }
    return change;
}

struct FrameTimes {
    double fullDecodeMs = 0, warmStepMs = 0, idleMedianMs = 0, idleLongestMs = 0;
    Change open, coldStep, openRatio, coldStepRatio;   // medians; ratios to the paired whole-photo decode
};

Change medianChange(const std::vector<Change>& changes)
{
    std::vector<double> blocked, shown;
    for (const Change& change : changes)
        blocked.push_back(change.blockedMs), shown.push_back(change.shownMs);
    return Change{median(blocked), median(shown)};
}

// Each round decodes the first photo whole with DevIL, then opens the house
// at it and steps as soon as the fade is over, the next photo asked for but
// not ready: the ratios pair figures taken seconds apart on a busy machine.
// Then frames are drawn as fast as they come, stepping right every 2.5 s.
FrameTimes runGallery(PhotoLoader* loader, MonthQuarter* house, double seconds,
                      const std::function<void()>& fullDecode)
{
    FrameTimes times;
    Gallery gallery(loader);
    gallery.draw(0.0);   // the caption bar and quad first, outside the figures
    glFinish();
    std::vector<double> fulls, warms, idle;
    std::vector<Change> opens, colds, openRatios, coldRatios;
    for (int round = 0; round < rounds; ++round) {
        fulls.push_back(millisecondsOf(fullDecode));
        opens.push_back(timeChange(gallery, [&] { gallery.load(house, 0); }));
        gallery.draw(2.0);   // the fade ends; the next photo is asked for
        colds.push_back(timeChange(gallery, [&] { gallery.specialUp(GLUT_KEY_RIGHT, 0, 0); }));
        for (auto [change, ratios] : {std::make_pair(opens.back(), &openRatios), std::make_pair(colds.back(), &coldRatios)})
            ratios->push_back(Change{change.blockedMs / fulls.back(), change.shownMs / fulls.back()});
    }
    double dt = 0.02, sinceStep = 0.0;
    for (double clock = 0.0; clock < seconds; clock += dt) {
        const bool stepping = sinceStep > 2.5 && !gallery.shown().isFading() && !gallery.shown().awaitsPhoto();
        const bool wasIdle = !gallery.shown().isFading() && !gallery.shown().awaitsPhoto();
        dt = millisecondsOf([&] {
                 if (stepping)
                     gallery.specialUp(GLUT_KEY_RIGHT, 0, 0);
                 gallery.draw(dt);
                 glFinish();
             }) / 1000.0;
        if (stepping || wasIdle)
            (stepping ? warms : idle).push_back(dt * 1000.0);
        sinceStep = stepping ? 0.0 : sinceStep + dt;
    }
    times.fullDecodeMs = median(fulls);
    times.open = medianChange(opens), times.openRatio = medianChange(openRatios);
    times.coldStep = medianChange(colds), times.coldStepRatio = medianChange(coldRatios);
    times.warmStepMs = warms.empty() ? 0.0 : median(warms);
    times.idleMedianMs = idle.empty() ? 0.0 : median(idle);
    times.idleLongestMs = idle.empty() ? 0.0 : *std::max_element(idle.begin(), idle.end());
    return times;
}

void printFrames(const char* name, const FrameTimes& t)
{
    std::printf("%-24s open: blocks %5.1f ms (%.2f x a whole-photo decode, paired median), shown after %5.1f ms "
                "(%.2f x)\n", name, t.open.blockedMs, t.openRatio.blockedMs, t.open.shownMs, t.openRatio.shownMs);
    std::printf("%-24s step, not ready: blocks %5.1f ms (%.2f x), shown after %5.1f ms (%.2f x); step, ready "
                "%5.1f ms (%.2f x)\n", "", t.coldStep.blockedMs, t.coldStepRatio.blockedMs, t.coldStep.shownMs,
                t.coldStepRatio.shownMs, t.warmStepMs, t.warmStepMs / t.fullDecodeMs);
    std::printf("%-24s idle frames: median %.1f ms, longest %.1f ms (%.1f x median)\n", "", t.idleMedianMs,
                t.idleLongestMs, t.idleLongestMs / std::max(t.idleMedianMs, 1e-3));
}

// The 1/8 scale decode a quick preview would wait for: libjpeg-turbo skips
// most of the inverse DCT, but not the entropy decoding.
void decodeEighth(const std::string& path)
{
    VipsImage* image = nullptr;
    if (vips_jpegload(path.c_str(), &image, "shrink", 8, "access", VIPS_ACCESS_SEQUENTIAL, nullptr) == 0) {
        size_t size = 0;
        g_free(vips_image_write_to_memory(image, &size));
        g_object_unref(image);
    }
}

// The resident memory the gallery adds, from a reset of the peak: opened
// at the first photo and stepped right 2.5 s after each fade, for 20 s.
struct MemoryRun {
    double beforeKb = 0, peakKb = 0;
    int textures = 0;
};

MemoryRun stepThrough(PhotoLoader* loader, MonthQuarter* house)
{
    MemoryRun run;
    CountingLoader counted(loader);
    Gallery gallery(&counted);
    for (int frame = 0; frame < 3; ++frame)   // the caption bar, and the window's buffers
        gallery.draw(0.0), glutSwapBuffers(), glFinish();
    run.beforeKb = statusKilobytes("VmRSS");
    std::ofstream("/proc/self/clear_refs") << "5";   // the peak starts again from here
    gallery.load(house, 0);
    double dt = 0.0, sinceStep = 0.0;
    for (const Clock::time_point end = Clock::now() + std::chrono::seconds(20); Clock::now() < end;) {
        const bool stepping = sinceStep > 2.5 && !gallery.shown().isFading() && !gallery.shown().awaitsPhoto();
        dt = millisecondsOf([&] {
                 if (stepping)
                     gallery.specialUp(GLUT_KEY_RIGHT, 0, 0);
                 gallery.draw(dt);
                 glutSwapBuffers();
                 glFinish();
             }) / 1000.0;
        sinceStep = stepping ? 0.0 : sinceStep + dt;
    }
    run.peakKb = statusKilobytes("VmHWM");
    run.textures = counted.mostLive;
    return run;
}

// zv-gallery-bench --memory DIR: in a process of its own, so that nothing
// the other figures decode counts, the viewer's gallery on DIR's photos,
// twice: the first opening also pays what a process pays once (code first
// run, the renderer's compiled shaders, the worker's heap), the second
// shows what each opening holds.
int measureMemory(const std::string& scratch)
{
    std::vector<std::string> paths;
    for (int i = 0; i < housePhotos; ++i)
        paths.push_back(scratch + "/photo" + std::to_string(i) + ".jpg");
    MonthQuarter house(2005, 6, 1, std::vector<TextureName>(housePhotos), std::vector<std::string>(paths));
    VipsPhotoLoader vips;
    PrefetchingPhotoLoader prefetching(&vips);
    const MemoryRun first = stepThrough(&prefetching, &house);
    prefetching.prefetch({});   // as a new gallery would: nothing kept from the last
    const MemoryRun second = stepThrough(&prefetching, &house);
    const double texelKb = std::max(first.textures, second.textures) * texelBytes / 1024.0;
    std::printf("memory (viewer's gallery, own process): before %.1f MB; peak above before: first opening %.1f MB "
                "(%.2f x), second %.1f MB (%.2f x) against %d textures' %.0f MB of texels\n", first.beforeKb / 1024,
                (first.peakKb - first.beforeKb) / 1024, (first.peakKb - first.beforeKb) / texelKb,
                (second.peakKb - second.beforeKb) / 1024, (second.peakKb - second.beforeKb) / texelKb,
                std::max(first.textures, second.textures), texelKb / 1024);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--photos") {
        if (vips_init(argv[0]) != 0)
            return 1;
        std::vector<LibraryPicture> house;
        for (int i = 0; i < std::atoi(argv[3]); ++i) {
            house.push_back({2005, 7, 1, "t" + std::to_string(i) + ".png",
                             std::string(argv[2]) + "/photo" + std::to_string(i) + ".jpg"});
            if (!writePhoto(house.back().originalPicture, i % 8))
                return 1;
        }
        return writeLibraryFile(std::string(argv[2]) + "/" + libraryFileName, house, nullptr, " ") ? 0 : 1;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutCreateWindow("Zandervale gallery bench");
    glutDisplayFunc([] {});
    initImageLibrary();
    if (argc == 3 && std::string(argv[1]) == "--memory")
        return measureMemory(argv[2]);
    VipsPhotoLoader vips;   // starts libvips
    char scratchTemplate[] = "/tmp/zv-gallery-bench-XXXXXX";
    const std::string scratch = argc > 1 ? argv[1] : mkdtemp(scratchTemplate);
    std::vector<std::string> paths;
    for (int i = 0; i < housePhotos; ++i) {
        paths.push_back(scratch + "/photo" + std::to_string(i) + ".jpg");
        if (i == 0 ? !writePhoto(paths[0])
                   : std::system(("cp '" + paths[0] + "' '" + paths[i] + "'").c_str()) != 0)
            return 1;
    }
    std::printf("Gallery on %d photos of %d x %d (JPEG, %.1f MB each), %d rounds a figure\n", housePhotos,
                photoWidth, photoHeight, std::ifstream(paths[0], std::ios::ate).tellg() / 1e6, rounds);
    MonthQuarter house(2005, 6, 1, std::vector<TextureName>(housePhotos), std::vector<std::string>(paths));

    const auto fullDecode = [&] {
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        ilLoad(IL_JPG, paths[0].c_str());
        ilDeleteImages(1, &image);
    };
    PrefetchingPhotoLoader prefetching(&vips);
    const FrameTimes vipsTimes = runGallery(&prefetching, &house, 12.0, fullDecode);

    DevilPhotoLoader devil;
    std::vector<double> fulls, devils, vipses, eighths, uploads;
    for (int round = 0; round < rounds; ++round) {
        fulls.push_back(millisecondsOf(fullDecode));
        devils.push_back(millisecondsOf([&] { devil.decode(paths[0]); }));
        eighths.push_back(millisecondsOf([&] { decodeEighth(paths[0]); }));
        DecodedPhoto photo;
        vipses.push_back(millisecondsOf([&] { photo = vips.decode(paths[0]); }));
        TextureName texture = 0;
        uploads.push_back(millisecondsOf([&] { texture = vips.upload(photo), glFinish(); }));
        vips.release(texture);
    }
    std::printf("decode alone             DevIL whole photo %.1f ms; DevIL + nearest scale %.1f ms; "
                "libjpeg-turbo at 1/2 + Lanczos (the viewer's) %.1f ms (%.2f x whole); libvips at 1/8 alone %.1f ms (%.2f x); "
                "upload %.1f ms\n", median(fulls), median(devils), median(vipses), median(vipses) / median(fulls),
                median(eighths), median(eighths) / median(fulls), median(uploads));
    printFrames("gallery, decoding worker", vipsTimes);
    printFrames("gallery, DevIL in frame", runGallery(&devil, &house, 8.0, fullDecode));

    const std::vector<unsigned char> reference = referenceSquare(paths[0]);
    std::printf("texture PSNR against a Lanczos scale of the whole photo: the viewer's loader %.1f dB, DevIL nearest %.1f dB\n",
                psnr(vips.decode(paths[0]).pixels, reference), psnr(devil.decode(paths[0]).pixels, reference));
    std::fflush(stdout);
    const int memory = std::system(("'/proc/" + std::to_string(getpid()) + "/exe' --memory '" + scratch + "'").c_str());
    if (argc <= 1) {
        for (const std::string& path : paths)
            std::remove(path.c_str());
        rmdir(scratch.c_str());
    }
    return memory == 0 ? 0 : 1;
}
