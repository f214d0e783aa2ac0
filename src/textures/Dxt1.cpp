// A DXT1 encoder for thumbnails, fast enough to run on every start that
// has no cache: each block's ends on the diagonal of its colour box,
// refitted once by least squares, four texels at a time in SSE2 (through
// SIMDe, which is the real SSE2 on x86-64 and its portable equal elsewhere).
#include "textures/Dxt1.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#define SIMDE_ENABLE_NATIVE_ALIASES
#include <simde/x86/sse2.h>

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

// A block's texels channel by channel, so that the loops over its sixteen
// texels run several at a time.
struct Block {
    alignas(16) float channel[3][16];
};

void finishBlock(const Block& block, float ends[2][3], bool refit, unsigned char* out);

// Where each texel falls on the line from c1 to c0 (c0 != c1), as steps
// 0 to 3 toward the nearest of the colours c1, a third, two thirds, c0.
void stepsAlong(const Block& block, const int c0[3], const int c1[3], __m128 steps[4])
{
    const float d[3] = {float(c0[0] - c1[0]), float(c0[1] - c1[1]), float(c0[2] - c1[2])};
    const __m128 scale = _mm_set1_ps(3.0f / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]));
    for (int i = 0; i < 4; ++i) {
        __m128 along = _mm_set1_ps(0.5f);
        for (int c = 0; c < 3; ++c) {
            const __m128 fromC1 = _mm_sub_ps(_mm_load_ps(&block.channel[c][4 * i]), _mm_set1_ps(float(c1[c])));
            along = _mm_add_ps(along, _mm_mul_ps(_mm_mul_ps(fromC1, _mm_set1_ps(d[c])), scale));
        }
        along = _mm_min_ps(_mm_max_ps(along, _mm_setzero_ps()), _mm_set1_ps(3.0f));
        steps[i] = _mm_cvtepi32_ps(_mm_cvttps_epi32(along));
    }
}

// Bit i of the mask to bit 2i.
uint32_t spreadBits(uint32_t mask)
{
    mask = (mask | mask << 8) & 0x00FF00FFu;
    mask = (mask | mask << 4) & 0x0F0F0F0Fu;
    mask = (mask | mask << 2) & 0x33333333u;
    return (mask | mask << 1) & 0x55555555u;
}

// The block's index word: steps 0, 1, 2, 3 are the indices 1, 3, 2, 0.
uint32_t packIndices(const __m128 steps[4])
{
    const __m128i bytes = _mm_packs_epi16(
        _mm_packs_epi32(_mm_cvttps_epi32(steps[0]), _mm_cvttps_epi32(steps[1])),
        _mm_packs_epi32(_mm_cvttps_epi32(steps[2]), _mm_cvttps_epi32(steps[3])));
    const uint32_t lowBits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmplt_epi8(bytes, _mm_set1_epi8(2))));
    // Steps 1 and 2 have bit 1 set once one is added; shifted up to each byte's top bit.
    const uint32_t highBits = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_slli_epi16(_mm_add_epi8(bytes, _mm_set1_epi8(1)), 6)));
    return spreadBits(lowBits) | spreadBits(highBits) << 1;
}

float sumOf(__m128 four)
{
    four = _mm_add_ps(four, _mm_shuffle_ps(four, four, _MM_SHUFFLE(1, 0, 3, 2)));
    return _mm_cvtss_f32(_mm_add_ss(four, _mm_shuffle_ps(four, four, _MM_SHUFFLE(2, 3, 0, 1))));
}

// Least squares: the ends that best give each texel as a * c0 + (1 - a) * c1,
// a its step over 3; false when the steps do not tell the ends apart.
bool refitEnds(const Block& block, const __m128 steps[4], float ends[2][3])
{
    const __m128 third = _mm_set1_ps(1.0f / 3.0f), one = _mm_set1_ps(1.0f);
    __m128 aa = _mm_setzero_ps(), ab = aa, bb = aa, ap[3] = {aa, aa, aa}, bp[3] = {aa, aa, aa};
    for (int i = 0; i < 4; ++i) {
        const __m128 a = _mm_mul_ps(steps[i], third), b = _mm_sub_ps(one, a);
        aa = _mm_add_ps(aa, _mm_mul_ps(a, a)), ab = _mm_add_ps(ab, _mm_mul_ps(a, b));
        bb = _mm_add_ps(bb, _mm_mul_ps(b, b));
        for (int c = 0; c < 3; ++c) {
            const __m128 texels = _mm_load_ps(&block.channel[c][4 * i]);
            ap[c] = _mm_add_ps(ap[c], _mm_mul_ps(a, texels)), bp[c] = _mm_add_ps(bp[c], _mm_mul_ps(b, texels));
        }
    }
    const float sumAa = sumOf(aa), sumAb = sumOf(ab), sumBb = sumOf(bb);
    const float determinant = sumAa * sumBb - sumAb * sumAb;
    if (std::fabs(determinant) < 1e-6f)
        return false;
    for (int c = 0; c < 3; ++c) {
        const float sumAp = sumOf(ap[c]), sumBp = sumOf(bp[c]);
        ends[0][c] = (sumAp * sumBb - sumBp * sumAb) / determinant;
        ends[1][c] = (sumBp * sumAa - sumAp * sumAb) / determinant;
    }
    return true;
}

// The block's bounding box of colour, its corners on the diagonal the
// colours run along and drawn in by a sixteenth, then the two ends fitted
// by least squares to the indices they gave: within a few tenths of a dB
// of a principal axis on photographs, at a fraction of its cost.
void encodeBlock(const Block& block, unsigned char* out)
{
    float ends[2][3];   // c0 and c1
    float range[3];
    __m128 rows[3][4];
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 4; ++i)
            rows[c][i] = _mm_load_ps(&block.channel[c][4 * i]);
        __m128 low = _mm_min_ps(_mm_min_ps(rows[c][0], rows[c][1]), _mm_min_ps(rows[c][2], rows[c][3]));
        __m128 high = _mm_max_ps(_mm_max_ps(rows[c][0], rows[c][1]), _mm_max_ps(rows[c][2], rows[c][3]));
        low = _mm_min_ps(low, _mm_shuffle_ps(low, low, _MM_SHUFFLE(1, 0, 3, 2)));
        high = _mm_max_ps(high, _mm_shuffle_ps(high, high, _MM_SHUFFLE(1, 0, 3, 2)));
        ends[1][c] = _mm_cvtss_f32(_mm_min_ss(low, _mm_shuffle_ps(low, low, _MM_SHUFFLE(2, 3, 0, 1))));
        ends[0][c] = _mm_cvtss_f32(_mm_max_ss(high, _mm_shuffle_ps(high, high, _MM_SHUFFLE(2, 3, 0, 1))));
        range[c] = ends[0][c] - ends[1][c];
    }
    // Most blocks of a photo are nearly flat; their box corners are as
    // good as any fit.
    constexpr float flat = 12.0f;
    if (range[0] <= flat && range[1] <= flat && range[2] <= flat) {
        finishBlock(block, ends, false, out);
        return;
    }
    const int widest = range[0] >= range[1] && range[0] >= range[2] ? 0 : range[1] >= range[2] ? 1 : 2;
    __m128 toWidest[4];
    const __m128 widestCentre = _mm_set1_ps((ends[0][widest] + ends[1][widest]) * 0.5f);
    for (int i = 0; i < 4; ++i)
        toWidest[i] = _mm_sub_ps(rows[widest][i], widestCentre);
    for (int c = 0; c < 3; ++c) {
        const __m128 centre = _mm_set1_ps((ends[0][c] + ends[1][c]) * 0.5f);
        __m128 sum = _mm_setzero_ps();
        for (int i = 0; i < 4; ++i)
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_sub_ps(rows[c][i], centre), toWidest[i]));
        alignas(16) float sums[4];
        _mm_store_ps(sums, sum);
        const float covariance = sums[0] + sums[1] + sums[2] + sums[3];
        const float inset = range[c] / 16.0f;
        // A channel that falls as the widest rises takes the other diagonal.
        const float high = ends[0][c] - inset, low = ends[1][c] + inset;
        ends[0][c] = covariance < 0 ? low : high;
        ends[1][c] = covariance < 0 ? high : low;
    }
    finishBlock(block, ends, true, out);
}

// Packs the ends, orders them for the four-colour mode and picks each
// texel's index; with refit, fits the ends to those indices once first.
void finishBlock(const Block& block, float ends[2][3], bool refit, unsigned char* out)
{
    uint16_t packed[2];
    uint32_t indices = 0;
    for (int pass = 0; pass < 2; ++pass) {
        int ends565[2][3];
        for (int e = 0; e < 2; ++e) {
            int colour[3];
            for (int c = 0; c < 3; ++c)
                colour[c] = std::clamp(static_cast<int>(ends[e][c] + 0.5f), 0, 255);
            packed[e] = pack565(colour);
        }
        if (packed[0] < packed[1])
            std::swap(packed[0], packed[1]);
        if (packed[0] == packed[1]) {   // one colour: the three-colour mode's index 0
            indices = 0;
            break;
        }
        unpack565(packed[0], ends565[0]);
        unpack565(packed[1], ends565[1]);
        __m128 steps[4];
        stepsAlong(block, ends565[0], ends565[1], steps);
        indices = packIndices(steps);
        if (pass == 1 || !refit || !refitEnds(block, steps, ends))
            break;
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
    Block block;
    for (int by = 0; by < down; ++by) {
        for (int bx = 0; bx < across; ++bx) {
            for (int row = 0; row < 4; ++row) {
                const __m128i texels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                    rgba + (static_cast<size_t>(by * 4 + row) * width + bx * 4) * 4));
                const __m128i zero = _mm_setzero_si128();
                const __m128i low = _mm_unpacklo_epi8(texels, zero), high = _mm_unpackhi_epi8(texels, zero);
                __m128 red = _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero));
                __m128 green = _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero));
                __m128 blue = _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero));
                __m128 alpha = _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero));
                _MM_TRANSPOSE4_PS(red, green, blue, alpha);   // four texels to four channels
                _mm_store_ps(&block.channel[0][4 * row], red);
                _mm_store_ps(&block.channel[1][4 * row], green);
                _mm_store_ps(&block.channel[2][4 * row], blue);
            }
            encodeBlock(block, &blocks[(static_cast<size_t>(by) * across + bx) * dxt1BlockBytes]);
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
