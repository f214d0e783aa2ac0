// The artwork the build draws into the run directory: every file the viewer
// loads, at the size its name carries, and ground tiles without seams.
#include <IL/il.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    int at(int x, int y, int c) const { return rgb[(static_cast<size_t>(y) * width + x) * 3 + c]; }
};

Image load(const std::string& file)
{
    ilInit();
    ilBindImage(ilGenImage());
    Image image;
    if (ilLoadImage((ZV_RUN_DIR "/" + file).c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        image = {ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), {}};
        image.rgb.assign(ilGetData(), ilGetData() + image.width * image.height * 3);
    }
    ilDeleteImage(ilGetInteger(IL_CUR_IMAGE));
    return image;
}

// The colour step from the last column back to the first (rows: transposed)
// over the mean step between neighbours inside: near 1 when seamless.
double seam(const Image& image, bool rows)
{
    auto step = [&](int a, int b, int i, int c) {
        return std::abs(rows ? image.at(i, a, c) - image.at(i, b, c) : image.at(a, i, c) - image.at(b, i, c));
    };
    const int n = image.width;   // square tiles
    double inside = 0, across = 0;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c) {
            across += step(n - 1, 0, i, c);
            for (int line = 0; line + 1 < n; ++line)
                inside += step(line, line + 1, i, c);
        }
    return across * (n - 1) / inside;
}

TEST(Artwork, EveryFileTheViewerLoadsHasItsSize)
{
    std::vector<std::string> files = {"street512x512_02.png", "cross512x512_01.png", "help512x512_01.png",
                                      "signs/signZandervale512x512_02.png", "selOverlay256x256.png",
                                      "gallOverlay256x32.png", "compass.png"};
    for (int i = 1; i <= 5; ++i)
        files.push_back("grass512x512_0" + std::to_string(i) + ".png");
    for (int year = 1998; year <= 2010; ++year)
        files.push_back("signs/sign" + std::to_string(year) + "_128x32.png");
    for (const char* month : {"January", "February", "March", "April", "May", "June", "July", "August", "September",
                              "October", "November", "December"})
        files.push_back(std::string("signs/sign") + month + "128x32.png");
    for (const std::string& file : files) {
        std::smatch size;
        std::regex_search(file, size, std::regex("\\d+x\\d+"));
        const Image image = load(file);   // compass.png carries no size in its name
        EXPECT_EQ(std::to_string(image.width) + "x" + std::to_string(image.height), size.empty() ? "128x128" : size.str())
            << file;
    }
}

// Grass repeats both ways, the street along its length (x).
TEST(Artwork, GroundTilesRepeatWithoutSeams)
{
    for (int i = 1; i <= 6; ++i) {
        const Image tile = load(i == 6 ? "street512x512_02.png" : "grass512x512_0" + std::to_string(i) + ".png");
        ASSERT_EQ(tile.width, 512) << i;
        EXPECT_LT(std::max(seam(tile, false), i == 6 ? 0.0 : seam(tile, true)), 1.3) << i;
    }
}

} // namespace
