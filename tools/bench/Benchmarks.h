// The frame bench's four measurements, each in a file of its own over the
// shared city of BenchCity.h; zv-bench's main runs them in turn.
#pragma once

#include <string>
#include <vector>

namespace bench {

// DXT1 thumbnails against the pool's texels (Fidelity.cpp).
void reportThumbnailFidelity(const std::string& pool, int poolSize);
// The mean SSIM of two RGB frames of width x height (Fidelity.cpp).
double frameSimilarity(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int width, int height);

// The viewer's targets: libraries opened without (firstOpenings) and with
// the thumbnail cache, their frames at each pose beside the bare city's
// (Openings.cpp).
bool measureTargets(const std::string& parent, const std::string& jpegName, int poolSize, int frames,
                    const std::vector<int>& sizes, bool firstOpenings);

// Frames at each pose beside the same frames drawn box by box (FrameTimes.cpp).
struct Row {
    int pictures, houses, boxes;
    double buildSeconds;
    char pose[16];
    double median, p95, cpu, plainMedian, plainP95, plainCpu;
};

bool runChild(const std::string& library, int pictures, int frames, std::vector<Row>* rows);
void printTable(const std::vector<Row>& rows);
bool writeJson(const std::string& path, const std::vector<Row>& rows);

// Start-up with PNG and JPEG thumbnails, threaded and serial (Startups.cpp).
// The pool's thumbnails as JPEGs, as zandervale-index writes them.
bool convertPool(const std::string& pool, const std::string& jpegPool, int poolSize);
bool measureStartups(const std::string& parent, const std::string& poolName, int poolSize,
                     const std::vector<int>& sizes);

}  // namespace bench
