// A bounding-box DXT1 encoder in the manner of id Software's real-time one:
// each block's colour box, its diagonal turned to follow how the channels
// vary together, inset by a sixteenth, then the nearest of the four colours
// for each texel. A thumbnail takes well under a millisecond on one core.
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

// The block's colour box, its corners swapped in red and blue where those
// fall as green rises, so that the line between them follows the colours.
void boundingLine(const int texels[16][3], int low[3], int high[3])
{
    for (int c = 0; c < 3; ++c) {
        low[c] = 255;
        high[c] = 0;
    }
    for (int i = 0; i < 16; ++i) {
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], texels[i][c]);
            high[c] = std::max(high[c], texels[i][c]);
        }
    }
    const int middle[3] = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
    int redWithGreen = 0, blueWithGreen = 0;
    for (int i = 0; i < 16; ++i) {
        const int g = texels[i][1] - middle[1];
        redWithGreen += (texels[i][0] - middle[0]) * g;
        blueWithGreen += (texels[i][2] - middle[2]) * g;
    }
    if (redWithGreen < 0)
        std::swap(low[0], high[0]);
    if (blueWithGreen < 0)
        std::swap(low[2], high[2]);
    // Pulling the ends in a little lowers the error of the texels between.
    for (int c = 0; c < 3; ++c) {
        const int inset = (high[c] - low[c]) / 16;
        low[c] += inset;
        high[c] -= inset;
    }
}

void encodeBlock(const int texels[16][3], unsigned char* out)
{
    int low[3], high[3];
    boundingLine(texels, low, high);
    uint16_t c0 = pack565(high), c1 = pack565(low);
    if (c0 < c1)
        std::swap(c0, c1);
    int palette[4][3];
    blockPalette(c0, c1, palette);
    // Equal ends are the three-colour mode: index 0 is that one colour.
    const int choices = c0 == c1 ? 1 : 4;
    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 0, bestDistance = std::numeric_limits<int>::max();
        for (int k = 0; k < choices; ++k) {
            const int dr = texels[i][0] - palette[k][0], dg = texels[i][1] - palette[k][1],
                      db = texels[i][2] - palette[k][2];
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = k;
            }
        }
        indices |= static_cast<uint32_t>(best) << (2 * i);
    }
    const uint32_t words[2] = {static_cast<uint32_t>(c0) | static_cast<uint32_t>(c1) << 16, indices};
    for (int w = 0; w < 2; ++w)
        for (int b = 0; b < 4; ++b)
            out[4 * w + b] = static_cast<unsigned char>(words[w] >> (8 * b));
}

}  // namespace

std::vector<unsigned char> encodeDxt1(const unsigned char* rgba, int width, int height)
{
    const int across = width / dxt1BlockSide, down = height / dxt1BlockSide;
    std::vector<unsigned char> blocks(static_cast<size_t>(across) * down * dxt1BlockBytes);
    int texels[16][3];
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
