// zv-bench POOL_DIR OUTPUT_JSON [FRAMES [PICTURES...] [targets|frames]]:
// first the DXT1 thumbnails' fidelity, then the viewer's targets: libraries
// of 5,000 and 20,000 (1998-2010), 100,000 (2001-2025) and 250,000
// (1976-2025) JPEG thumbnails, or of the numbers of PICTURES given, opened
// without and with the thumbnail cache (first city frame, peak memory),
// then their frames at the walker's start, inside the city and from the
// overview as Tab shows it, each beside a bare city of the same years;
// "targets" stops there, "frames" measures only those frames (the cache
// kept). Then frame times of the viewer on generated libraries of 1,000,
// 5,000 and 20,000 pictures, or of PICTURES (thumbnails taken in turn from
// POOL_DIR/t0001.png, ...), at the same poses, each beside the same frame
// drawn by a plain loop that binds and draws every box on its own. Then the
// start-up of the same libraries, with PNG and with JPEG thumbnails
// (converted once into POOL_DIR-jpeg), beside reading them one file at a
// time through DevIL. Run it from the run directory (the artwork is read
// from there) with a display; prints tables and writes the frames as JSON,
// passes or fails nothing.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "BenchCity.h"
#include "Benchmarks.h"
#include "app/HugePages.h"

using namespace bench;

namespace {

const int librarySizes[] = {1000, 5000, 20000};

}  // namespace

int main(int argc, char** argv)
{
    restartWithHugePages(argv);   // as the viewer does
    if (argc < 3) {
        std::printf("Usage: zv-bench POOL_DIR OUTPUT_JSON [FRAMES [PICTURES...] [targets|frames]]\n");
        return 2;
    }
    const int frames = argc >= 4 ? std::atoi(argv[3]) : 30;
    // PICTURES given: those sizes for every table; "targets": only the
    // tables of targets; "frames": only their frames.
    const bool framesOnly = argc >= 5 && std::strcmp(argv[argc - 1], "frames") == 0;
    const bool targetsOnly = framesOnly || (argc >= 5 && std::strcmp(argv[argc - 1], "targets") == 0);
    std::vector<int> targetSizes = {5000, 20000, 100000, 250000};
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
    if (!framesOnly)
        reportThumbnailFidelity(pool, poolSize);
    if (!convertPool(pool, parent + "/" + poolName + "-jpeg", poolSize)) {
        std::printf("zv-bench: cannot write the JPEG pool %s-jpeg\n", pool.c_str());
        return 1;
    }
    if (!measureTargets(parent, poolName + "-jpeg", poolSize, frames, targetSizes, !framesOnly))
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
