// The DXT1 encoder and its reference decoder: the block layout the GL reads,
// and how close the blocks come to the texels they were made from.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "textures/Dxt1.h"

namespace {

std::vector<unsigned char> image(int width, int height, const std::function<void(int, int, unsigned char*)>& texel)
{
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* t = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            texel(x, y, t);
            t[3] = 255;
        }
    return rgba;
}

// c0 red, c1 blue; indices 0 1 2 3 along the first row, then 3 2 1 0 ...
TEST(Dxt1, DecodesTheBlockLayoutTheGlReads)
{
    const unsigned char fourColours[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0x1B, 0xE4, 0x1B};
    const std::vector<unsigned char> texels = decodeDxt1(fourColours, 4, 4);
    const int expected[4][3] = {{255, 0, 0}, {0, 0, 255}, {170, 0, 85}, {85, 0, 170}};
    for (int i = 0; i < 16; ++i) {
        const int index = i / 4 % 2 == 0 ? i % 4 : 3 - i % 4;
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(texels[i * 4 + c], expected[index][c]) << "texel " << i << " channel " << c;
    }
    // c0 <= c1: the half and black.
    const unsigned char threeColours[8] = {0x1F, 0x00, 0x00, 0xF8, 0xFE, 0xFF, 0xFF, 0xFF};
    const std::vector<unsigned char> halves = decodeDxt1(threeColours, 4, 4);
    EXPECT_EQ(halves[0], 127);
    EXPECT_EQ(halves[2], 127);
    EXPECT_EQ(halves[4], 0);
    EXPECT_EQ(halves[6], 0);
}

struct Picture {
    const char* what;
    std::function<void(int, int, unsigned char*)> texel;
    double leastDb;
};

const Picture pictures[] = {
    {"colours 565 holds exactly", [](int x, int y, unsigned char* t) {
         const int block = (y / 4) * 8 + x / 4;
         t[0] = static_cast<unsigned char>((block * 5 % 32) << 3 | (block * 5 % 32) >> 2);
         t[1] = static_cast<unsigned char>((block * 7 % 64) << 2 | (block * 7 % 64) >> 4);
         t[2] = static_cast<unsigned char>((block * 3 % 32) << 3 | (block * 3 % 32) >> 2);
     }, INFINITY},
    {"a sky: smooth gradients", [](int x, int y, unsigned char* t) {
         t[0] = static_cast<unsigned char>(60 + x * 3), t[1] = static_cast<unsigned char>(90 + y * 4);
         t[2] = static_cast<unsigned char>(200 - x - y);
     }, 38.0},
    {"green falling as red rises", [](int x, int y, unsigned char* t) {
         t[0] = static_cast<unsigned char>(x * 6 + y), t[1] = static_cast<unsigned char>(255 - x * 6 - y);
         t[2] = static_cast<unsigned char>(100 - x * 2);
     }, 38.0},
    {"soft shapes with grain", [](int x, int y, unsigned char* t) {
         const double shade = 128 + 90 * std::sin(x * 0.2) * std::cos(y * 0.15);
         const int grain = (x * 37 + y * 91) % 7 - 3;
         t[0] = static_cast<unsigned char>(shade + grain), t[1] = static_cast<unsigned char>(shade * 0.8 + grain);
         t[2] = static_cast<unsigned char>(255 - shade);
     }, 33.0},
};

class EachPicture : public testing::TestWithParam<Picture> {};

TEST_P(EachPicture, ComesBackWithinItsNoise)
{
    const std::vector<unsigned char> rgba = image(32, 32, GetParam().texel);
    const std::vector<unsigned char> blocks = encodeDxt1(rgba.data(), 32, 32);
    ASSERT_EQ(blocks.size(), 64u * dxt1BlockBytes);
    const std::vector<unsigned char> back = decodeDxt1(blocks.data(), 32, 32);
    EXPECT_GE(peakSignalToNoise(rgba.data(), back.data(), 32 * 32), GetParam().leastDb) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Dxt1, EachPicture, testing::ValuesIn(pictures),
                         [](const testing::TestParamInfo<Picture>& info) { return "Picture" + std::to_string(info.index); });

}  // namespace
