// zv-index-bench ZANDERVALE_INDEX SCRATCH_DIR [PHOTOS]: a first run of the
// library builder over generated camera JPEGs (3:2, 12 megapixels, a
// 160 x 120 letterboxed EXIF preview each; every fourth one turned by its
// orientation, whose preview cannot cover a thumbnail) beside
// `vipsthumbnail --size 128x96 --smartcrop centre` on the same files in two
// processes, both on a warm page cache, for all photos and for the
// landscape ones alone (whose previews all serve). Prints the times, the share of
// thumbnails made from previews and their PSNR against vipsthumbnail's
// (made from the whole photo), and when the indexer's first library was
// written (its thumbnails then partly from previews) beside when its run,
// the check of those thumbnails against the photos included, ended; passes
// or fails nothing. The photos are written once into SCRATCH_DIR/photos.
#include <libexif/exif-data.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int photoWidth = 4248, photoHeight = 2832;   // 12 megapixels, 3:2

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A scene with gradients, a disc and sensor-like noise, so the JPEG
// decodes at a camera file's cost; number tints it.
VipsImage* scene(int number)
{
    VipsImage *xy = nullptr, *noise = nullptr, *sum = nullptr, *out = nullptr;
    VipsImage *x = nullptr, *y = nullptr, *r = nullptr, *g = nullptr, *b = nullptr, *rgb = nullptr;
    vips_xyz(&xy, photoWidth, photoHeight, nullptr);
    vips_extract_band(xy, &x, 0, nullptr);
    vips_extract_band(xy, &y, 1, nullptr);
    vips_linear1(x, &r, 200.0 / photoWidth, 20.0 + number % 7 * 5, nullptr);
    vips_linear1(y, &g, 180.0 / photoHeight, 40.0, nullptr);
    vips_linear1(x, &b, -150.0 / photoWidth, 220.0 - number % 5 * 10, nullptr);
    VipsImage* bands[3] = {r, g, b};
    vips_bandjoin(bands, &rgb, 3, nullptr);
    vips_gaussnoise(&noise, photoWidth, photoHeight, "sigma", 12.0, "mean", 0.0, nullptr);
    vips_add(rgb, noise, &sum, nullptr);
    vips_cast_uchar(sum, &out, nullptr);
    for (VipsImage* image : {xy, noise, sum, x, y, r, g, b, rgb})
        g_object_unref(image);
    return out;
}

// The photo's JPEG with an APP1 holding DateTimeOriginal (taken, a
// "YYYY:MM:DD HH:MM:SS" text), the orientation and the preview.
std::string withExif(const std::string& jpeg, const std::string& preview, int orientation, const std::string& taken)
{
    ExifData* exif = exif_data_new();
    const auto add = [&](ExifIfd ifd, ExifTag tag) {
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(exif->ifd[ifd], entry);
        exif_entry_initialize(entry, tag);
        exif_entry_unref(entry);
        return entry;
    };
    std::memcpy(add(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL)->data, taken.c_str(), 20);
    exif_set_short(add(EXIF_IFD_0, EXIF_TAG_ORIENTATION)->data, exif_data_get_byte_order(exif),
                   ExifShort(orientation));
    exif->data = static_cast<unsigned char*>(malloc(preview.size()));
    std::memcpy(exif->data, preview.data(), preview.size());
    exif->size = preview.size();
    unsigned char* segment = nullptr;
    unsigned size = 0;
    exif_data_save_data(exif, &segment, &size);
    std::string out = jpeg;
    out.insert(2, "\xFF\xE1" + std::string{char((size + 2) >> 8), char((size + 2) & 0xFF)} +
                      std::string(reinterpret_cast<char*>(segment), size));
    free(segment);
    exif_data_unref(exif);
    return out;
}

// Eight scenes are encoded (a 12-megapixel encode is slow); each photo takes
// one, with its own time of taking, so no two files are copies of each other
// and every one decodes at a camera file's cost.
void writePhotos(const std::string& folder, int count)
{
    constexpr int scenes = 8;
    std::string jpegs[scenes], previews[scenes];
    for (int i = 0; i < scenes && i < count; ++i) {
        VipsImage *photo = scene(i), *small = nullptr, *boxed = nullptr;
        void *jpeg = nullptr, *preview = nullptr;
        size_t jpegSize = 0, previewSize = 0;
        // As cameras store it: 160 x 107 of content between black bars, unrotated.
        vips_resize(photo, &small, 160.0 / photoWidth, "vscale", 107.0 / photoHeight, nullptr);
        vips_embed(small, &boxed, 0, 6, 160, 120, nullptr);
        vips_jpegsave_buffer(photo, &jpeg, &jpegSize, "Q", 92, "strip", TRUE, nullptr);
        vips_jpegsave_buffer(boxed, &preview, &previewSize, "Q", 85, "strip", TRUE, nullptr);
        jpegs[i].assign(static_cast<char*>(jpeg), jpegSize);
        previews[i].assign(static_cast<char*>(preview), previewSize);
        g_free(jpeg);
        g_free(preview);
        for (VipsImage* image : {photo, small, boxed})
            g_object_unref(image);
    }
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        char name[32], taken[32];
        std::snprintf(name, sizeof name, "/photo%03d.jpg", i);
        std::snprintf(taken, sizeof taken, "2019:07:04 %02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
        std::ofstream(folder + name, std::ios::binary)
            << withExif(jpegs[i % scenes], previews[i % scenes], i % 4 == 3 ? 6 : 1, taken);
    }
}

// Seconds /bin/sh takes to run command; its output goes to log.
double timed(const std::string& command, const std::string& log)
{
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system((command + " >'" + log + "' 2>&1").c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0)
        std::fprintf(stderr, "zv-index-bench: %s failed; see %s\n", command.c_str(), log.c_str());
    return seconds;
}

// Seconds the indexer takes from folder into output, and in *firstLibrary
// the seconds until its first library file appeared (polled each millisecond).
double timedIndex(const std::string& indexer, const std::string& folder, const std::string& output,
                  const std::string& log, double* firstLibrary)
{
    const auto start = std::chrono::steady_clock::now();
    const auto since = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    const pid_t child = fork();
    if (child == 0) {
        if (std::freopen(log.c_str(), "w", stderr) == nullptr)
            _exit(127);
        execl(indexer.c_str(), indexer.c_str(), folder.c_str(), output.c_str(), nullptr);
        _exit(127);
    }
    *firstLibrary = 0;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (*firstLibrary == 0 && fs::exists(output + "/Zandervale.xml"))
            *firstLibrary = since();
        usleep(1000);
    }
    const double seconds = since();
    if (*firstLibrary == 0)
        *firstLibrary = seconds;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "zv-index-bench: %s failed; see %s\n", indexer.c_str(), log.c_str());
    return seconds;
}

double psnr(const std::string& a, const std::string& b)
{
    VipsImage* images[2] = {vips_image_new_from_file(a.c_str(), nullptr), vips_image_new_from_file(b.c_str(), nullptr)};
    double result = 0;
    if (images[0] && images[1] && images[0]->Xsize == images[1]->Xsize && images[0]->Ysize == images[1]->Ysize) {
        size_t sizes[2] = {0, 0};
        unsigned char* pixels[2] = {static_cast<unsigned char*>(vips_image_write_to_memory(images[0], &sizes[0])),
                                    static_cast<unsigned char*>(vips_image_write_to_memory(images[1], &sizes[1]))};
        double squares = 0;
        for (size_t i = 0; i < sizes[0] && sizes[0] == sizes[1]; ++i)
            squares += (double(pixels[0][i]) - pixels[1][i]) * (double(pixels[0][i]) - pixels[1][i]);
        result = 10 * std::log10(255.0 * 255.0 / std::max(squares / std::max<size_t>(sizes[0], 1), 1e-9));
        g_free(pixels[0]);
        g_free(pixels[1]);
    }
    for (VipsImage* image : images)
        if (image)
            g_object_unref(image);
    vips_error_clear();
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || VIPS_INIT(argv[0]) != 0)
        return std::fprintf(stderr, "Usage: zv-index-bench ZANDERVALE_INDEX SCRATCH_DIR [PHOTOS]\n"), 2;
    const std::string indexer = argv[1], scratch = fs::absolute(argv[2]).string();
    const int count = argc > 3 ? std::max(2, std::atoi(argv[3])) : 40;
    const std::string photos = scratch + "/photos", library = scratch + "/library", vips = scratch + "/vipsthumbnail";
    if (!fs::exists(photos + "/photo" + std::string(count - 1 < 10 ? "00" : count - 1 < 100 ? "0" : "") +
                    std::to_string(count - 1) + ".jpg")) {
        std::printf("Writing %d photos of %d x %d into %s ...\n", count, photoWidth, photoHeight, photos.c_str());
        fs::remove_all(photos);
        writePhotos(photos, count);
    }
    // The same runs again on the landscape photos alone, links to them:
    // camera photos whose previews all serve.
    const std::string landscape = scratch + "/landscape";
    fs::remove_all(landscape);
    fs::create_directories(landscape);
    int landscapes = 0;
    for (int i = 0; i < count; ++i)
        if (i % 4 != 3) {
            char name[32];
            std::snprintf(name, sizeof name, "/photo%03d.jpg", i);
            fs::create_symlink(photos + name, landscape + name);
            ++landscapes;
        }
    const auto runBoth = [&](const std::string& folder, int files, const std::string& thumbnails,
                             const std::string& output, double* vipsSeconds, double* indexSeconds, double* firstLibrary) {
        fs::remove_all(thumbnails);
        fs::create_directories(thumbnails);
        timed("cat '" + folder + "'/*.jpg", "/dev/null");   // a warm page cache for both
        *vipsSeconds = timed("cd '" + folder + "' && ls | xargs -P 2 -n " + std::to_string((files + 1) / 2) +
                                 " vipsthumbnail --size 128x96 --smartcrop centre -o '" + thumbnails + "/%s.jpg'",
                             scratch + "/vipsthumbnail.log");
        fs::remove_all(output);
        *indexSeconds = timedIndex(indexer, folder, output, scratch + "/index.log", firstLibrary);
    };
    double vipsLandscape = 0, indexLandscape = 0, vipsSeconds = 0, indexSeconds = 0, firstLandscape = 0, first = 0;
    runBoth(landscape, landscapes, scratch + "/vipsthumbnail-landscape", scratch + "/library-landscape",
            &vipsLandscape, &indexLandscape, &firstLandscape);
    runBoth(photos, count, vips, library, &vipsSeconds, &indexSeconds, &first);
    const std::string report = readFile(scratch + "/index.log");
    const size_t at = report.find("Thumbnails made from EXIF previews: ");
    const std::string previews = at == std::string::npos ? "?" : report.substr(at + 36, report.find('\n', at) - at - 36);
    // The library lists each photo's thumbnail beside its original.
    const std::string xml = readFile(library + "/Zandervale.xml");
    double lowest = 1e9, total = 0;
    int compared = 0;
    for (size_t texture = xml.find("<texture>"); texture != std::string::npos; texture = xml.find("<texture>", texture + 1)) {
        const size_t original = xml.find("<originalPicture>", texture);
        const std::string thumbnail = xml.substr(texture + 9, xml.find('<', texture + 9) - texture - 9);
        const std::string photo = xml.substr(original + 17, xml.find('<', original + 17) - original - 17);
        const double db = psnr(library + "/" + thumbnail, vips + "/" + fs::path(photo).stem().string() + ".jpg");
        lowest = std::min(lowest, db);
        total += db;
        ++compared;
    }
    std::printf("Index bench: %d photos of %d x %d (every fourth turned, its preview too small to use)\n", count,
                photoWidth, photoHeight);
    std::printf("  vipsthumbnail --size 128x96 --smartcrop centre, 2 processes: %.2f s\n", vipsSeconds);
    std::printf("  zandervale-index, first run:                               %.2f s (%.2f x vipsthumbnail)\n",
                indexSeconds, indexSeconds / vipsSeconds);
    std::printf("  thumbnails made from EXIF previews: %s\n", previews.c_str());
    std::printf("  first library written after %.2f s; the preview check and the second write took %.2f s more\n",
                first, indexSeconds - first);
    std::printf("  landscape alone: first library after %.2f s, the check %.2f s more\n", firstLandscape,
                indexLandscape - firstLandscape);
    std::printf("  the %d landscape photos alone: vipsthumbnail %.2f s, zandervale-index %.2f s (%.2f x)\n",
                landscapes, vipsLandscape, indexLandscape, indexLandscape / vipsLandscape);
    std::printf("  PSNR against vipsthumbnail's: lowest %.1f dB, mean %.1f dB over %d photos\n",
                compared ? lowest : 0.0, compared ? total / compared : 0.0, compared);
    vips_shutdown();
    return 0;
}
