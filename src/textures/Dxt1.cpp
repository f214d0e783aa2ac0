// A DXT1 encoder for thumbnails, fast enough to run on every start that
// has no cache: each block's ends on its main axis of colour, refitted once
// by least squares, each texel's index by where it falls between them.
#include "textures/Dxt1.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

uint16_t pack565(const int colour[3])
{
    const int r = (colour[0] * 31 + 127) / 255, g = (colour[1] * 63 + 127) / 255, b = (colour[2] * 31 + 127) / 255;
    return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

// Bit replication, as the GL widens 5 and 6 bits to 8.
void unpack565(uint16_t packed, int colour[3])
{
    const int r = packed >> 11 & 31, g = packed >> 5 & 63, b = packed & 31;
    colour[0] = r << 3 | r >> 2;
    colour[1] = g << 2 | g >> 4;
    colour[2] = b << 3 | b >> 2;
}

// The four colours of a block; c0 > c1 gives the two thirds between them,
// otherwise the half and black.
void blockPalette(uint16_t c0, uint16_t c1, int palette[4][3])
{
    unpack565(c0, palette[0]);
    unpack565(c1, palette[1]);
    for (int c = 0; c < 3; ++c) {
        if (c0 > c1) {
            palette[2][c] = (2 * palette[0][c] + palette[1][c]) / 3;
            palette[3][c] = (palette[0][c] + 2 * palette[1][c]) / 3;
        } else {
            palette[2][c] = (palette[0][c] + palette[1][c]) / 2;
            palette[3][c] = 0;
        }
    }
}

void finishBlock(const float texels[16][3], float ends[2][3], bool refit, unsigned char* out);

// Where each texel falls on the line from c1 to c0 (c0 != c1), as the
// index of the nearest of the four colours: 1 at c1, 3 at a third, 2 at
// two thirds, 0 at c0.
uint32_t indicesAlong(const float texels[16][3], const int palette[4][3])
{
    const float d[3] = {float(palette[0][0] - palette[1][0]), float(palette[0][1] - palette[1][1]),
                        float(palette[0][2] - palette[1][2])};
    const float scale = 3.0f / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    static const uint32_t byStep[4] = {1, 3, 2, 0};
    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        const float along = ((texels[i][0] - palette[1][0]) * d[0] + (texels[i][1] - palette[1][1]) * d[1] +
                             (texels[i][2] - palette[1][2]) * d[2]) * scale;
        const int step = along <= 0.5f ? 0 : along >= 2.5f ? 3 : static_cast<int>(along + 0.5f);
        indices |= byStep[step] << (2 * i);
    }
    return indices;
}

// The block's main axis of colour (power iteration on the covariance), its
// extent along it, then the two ends fitted by least squares to the indices
// they gave.
void encodeBlock(const float texels[16][3], unsigned char* out)
{
    float low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c)
            low[c] = std::min(low[c], texels[i][c]), high[c] = std::max(high[c], texels[i][c]);
    // Most blocks of a photo are nearly flat; their box corners are as
    // good as any fit and cost a tenth.
    constexpr float flat = 12.0f;
    float ends[2][3];   // c0 and c1
    if (high[0] - low[0] <= flat && high[1] - low[1] <= flat && high[2] - low[2] <= flat) {
        for (int c = 0; c < 3; ++c)
            ends[0][c] = high[c], ends[1][c] = low[c];
        finishBlock(texels, ends, false, out);
        return;
    }
    float mean[3] = {0, 0, 0};
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c)
            mean[c] += texels[i][c] / 16.0f;
    float cov[3][3] = {};
    for (int i = 0; i < 16; ++i) {
        const float d[3] = {texels[i][0] - mean[0], texels[i][1] - mean[1], texels[i][2] - mean[2]};
        for (int r = 0; r < 3; ++r)
            for (int c = r; c < 3; ++c)
                cov[r][c] += d[r] * d[c];
    }
    cov[1][0] = cov[0][1], cov[2][0] = cov[0][2], cov[2][1] = cov[1][2];
    // Start from the column of the channel that varies most: it leans
    // toward the main axis unless the block is flat.
    int widest = 0;
    for (int c = 1; c < 3; ++c)
        widest = cov[c][c] > cov[widest][widest] ? c : widest;
    float axis[3] = {cov[0][widest], cov[1][widest], cov[2][widest]};
    for (int iteration = 0; iteration < 4; ++iteration) {
        const float next[3] = {cov[0][0] * axis[0] + cov[0][1] * axis[1] + cov[0][2] * axis[2],
                               cov[1][0] * axis[0] + cov[1][1] * axis[1] + cov[1][2] * axis[2],
                               cov[2][0] * axis[0] + cov[2][1] * axis[1] + cov[2][2] * axis[2]};
        const float length = std::max({std::fabs(next[0]), std::fabs(next[1]), std::fabs(next[2])});
        if (length < 1e-6f)
            break;
        for (int c = 0; c < 3; ++c)
            axis[c] = next[c] / length;
    }
    const float squared = axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2];
    if (squared < 1e-12f) {
        for (int c = 0; c < 3; ++c)
            ends[0][c] = ends[1][c] = mean[c];
    } else {
        float least = 0, most = 0;
        const float inverse = 1.0f / squared;
        for (int i = 0; i < 16; ++i) {
            const float along = ((texels[i][0] - mean[0]) * axis[0] + (texels[i][1] - mean[1]) * axis[1] +
                                 (texels[i][2] - mean[2]) * axis[2]) * inverse;
            least = std::min(least, along);
            most = std::max(most, along);
        }
        for (int c = 0; c < 3; ++c) {
            ends[0][c] = mean[c] + axis[c] * most;
            ends[1][c] = mean[c] + axis[c] * least;
        }
    }
    finishBlock(texels, ends, true, out);
}

// Packs the ends, orders them for the four-colour mode and picks each
// texel's index; with refit, fits the ends to those indices once first.
void finishBlock(const float texels[16][3], float ends[2][3], bool refit, unsigned char* out)
{
    uint16_t packed[2];
    int palette[4][3];
    uint32_t indices = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int e = 0; e < 2; ++e) {
            int colour[3];
            for (int c = 0; c < 3; ++c)
                colour[c] = std::clamp(static_cast<int>(ends[e][c] + 0.5f), 0, 255);
            packed[e] = pack565(colour);
        }
        if (packed[0] < packed[1]) {
            std::swap(packed[0], packed[1]);
            std::swap(ends[0], ends[1]);
        }
        if (packed[0] == packed[1]) {   // one colour: the three-colour mode's index 0
            indices = 0;
            break;
        }
        blockPalette(packed[0], packed[1], palette);
        indices = indicesAlong(texels, palette);
        if (pass == 1 || !refit)
            break;
        // Least squares: each texel is a * c0 + (1 - a) * c1 by its index.
        static const float weightOfC0[4] = {1.0f, 0.0f, 2.0f / 3.0f, 1.0f / 3.0f};
        float aa = 0, ab = 0, bb = 0, ap[3] = {0, 0, 0}, bp[3] = {0, 0, 0};
        for (int i = 0; i < 16; ++i) {
            const float a = weightOfC0[indices >> (2 * i) & 3], b = 1.0f - a;
            aa += a * a, ab += a * b, bb += b * b;
            for (int c = 0; c < 3; ++c)
                ap[c] += a * texels[i][c], bp[c] += b * texels[i][c];
        }
        const float determinant = aa * bb - ab * ab;
        if (std::fabs(determinant) < 1e-6f)
            break;
        for (int c = 0; c < 3; ++c) {
            ends[0][c] = (ap[c] * bb - bp[c] * ab) / determinant;
            ends[1][c] = (bp[c] * aa - ap[c] * ab) / determinant;
        }
    }
    const uint32_t words[2] = {static_cast<uint32_t>(packed[0]) | static_cast<uint32_t>(packed[1]) << 16, indices};
    for (int w = 0; w < 2; ++w)
        for (int b = 0; b < 4; ++b)
            out[4 * w + b] = static_cast<unsigned char>(words[w] >> (8 * b));
}

}  // namespace

std::vector<unsigned char> encodeDxt1(const unsigned char* rgba, int width, int height)
{
    const int across = width / dxt1BlockSide, down = height / dxt1BlockSide;
    std::vector<unsigned char> blocks(static_cast<size_t>(across) * down * dxt1BlockBytes);
    float texels[16][3];
    for (int by = 0; by < down; ++by) {
        for (int bx = 0; bx < across; ++bx) {
            for (int i = 0; i < 16; ++i) {
                const unsigned char* texel =
                    rgba + (static_cast<size_t>(by * 4 + i / 4) * width + bx * 4 + i % 4) * 4;
                for (int c = 0; c < 3; ++c)
                    texels[i][c] = texel[c];
            }
            encodeBlock(texels, &blocks[(static_cast<size_t>(by) * across + bx) * dxt1BlockBytes]);
        }
    }
    return blocks;
}

std::vector<unsigned char> decodeDxt1(const unsigned char* blocks, int width, int height)
{
    const int across = width / dxt1BlockSide, down = height / dxt1BlockSide;
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    for (int by = 0; by < down; ++by) {
        for (int bx = 0; bx < across; ++bx) {
            const unsigned char* block = blocks + (static_cast<size_t>(by) * across + bx) * dxt1BlockBytes;
            int palette[4][3];
            blockPalette(static_cast<uint16_t>(block[0] | block[1] << 8),
                         static_cast<uint16_t>(block[2] | block[3] << 8), palette);
            const uint32_t indices = static_cast<uint32_t>(block[4]) | static_cast<uint32_t>(block[5]) << 8 |
                                     static_cast<uint32_t>(block[6]) << 16 | static_cast<uint32_t>(block[7]) << 24;
            for (int i = 0; i < 16; ++i) {
                unsigned char* texel = &rgba[(static_cast<size_t>(by * 4 + i / 4) * width + bx * 4 + i % 4) * 4];
                const int* colour = palette[indices >> (2 * i) & 3];
                for (int c = 0; c < 3; ++c)
                    texel[c] = static_cast<unsigned char>(colour[c]);
                texel[3] = 255;
            }
        }
    }
    return rgba;
}

double peakSignalToNoise(const unsigned char* rgbaA, const unsigned char* rgbaB, size_t texels)
{
    double squares = 0;
    for (size_t i = 0; i < texels; ++i) {
        for (int c = 0; c < 3; ++c) {
            const double d = static_cast<double>(rgbaA[4 * i + c]) - rgbaB[4 * i + c];
            squares += d * d;
        }
    }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(255.0 * 255.0 * 3.0 * static_cast<double>(texels) / squares);
}
