// How close the DXT1 thumbnails come to the texels they were made from, and
// how close a frame comes to the same frame drawn exactly.
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchCity.h"
#include "Benchmarks.h"
#include <cmath>

#include "textures/Dxt1.h"
#include "textures/ThumbnailDecoder.h"

namespace bench {

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

// The mean SSIM of two RGB frames' luma over 8 x 8 windows, 4 pixels apart.
double frameSimilarity(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int width, int height)
{
    const auto luma = [width](const std::vector<unsigned char>& rgb, int x, int y) {
        const unsigned char* p = &rgb[3 * (static_cast<size_t>(y) * width + x)];
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    };
    constexpr double c1 = 0.01 * 255 * 0.01 * 255, c2 = 0.03 * 255 * 0.03 * 255;
    double sum = 0;
    int windows = 0;
    for (int y0 = 0; y0 + 8 <= height; y0 += 4)
        for (int x0 = 0; x0 + 8 <= width; x0 += 4) {
            double ma = 0, mb = 0, aa = 0, bb = 0, ab = 0;
            for (int y = y0; y < y0 + 8; ++y)
                for (int x = x0; x < x0 + 8; ++x) {
                    const double u = luma(a, x, y), v = luma(b, x, y);
                    ma += u, mb += v, aa += u * u, bb += v * v, ab += u * v;
                }
            ma /= 64, mb /= 64;
            const double va = aa / 64 - ma * ma, vb = bb / 64 - mb * mb, cov = ab / 64 - ma * mb;
            sum += (2 * ma * mb + c1) * (2 * cov + c2) / ((ma * ma + mb * mb + c1) * (va + vb + c2));
            ++windows;
        }
    return windows > 0 ? sum / windows : 1.0;
}

}  // namespace bench
