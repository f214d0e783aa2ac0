// The artwork the build draws into the run directory: every file the viewer
// loads, at the size its name carries, and ground tiles without seams.
#include <IL/il.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

// RGB pixels of an image in the run directory; width 0 when it does not load.
struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    explicit Image(const std::string& file)
    {
        ilInit();
        ilBindImage(ilGenImage());
        if (ilLoadImage((ZV_RUN_DIR "/" + file).c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
            width = ilGetInteger(IL_IMAGE_WIDTH), height = ilGetInteger(IL_IMAGE_HEIGHT);
            rgb.assign(ilGetData(), ilGetData() + width * height * 3);
        }
        ilDeleteImage(ilGetInteger(IL_CUR_IMAGE));
    }
    int at(int x, int y, int c) const { return rgb[(static_cast<size_t>(y) * width + x) * 3 + c]; }
};

// The colour step from the last column back to the first (with rows: the
// last row to the first) over the mean step between neighbours inside: near
// 1 when the square tile repeats without a seam.
double seam(const Image& tile, bool rows)
{
    const int n = tile.width;
    auto at = [&](int line, int i, int c) { return rows ? tile.at(i, line, c) : tile.at(line, i, c); };
    double inside = 0, across = 0;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c)
            for (int line = 0; line < n; ++line)
                (line + 1 < n ? inside : across) += std::abs(at(line, i, c) - at((line + 1) % n, i, c));
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
        const Image image(file);   // compass.png carries no size in its name
        EXPECT_EQ(std::to_string(image.width) + "x" + std::to_string(image.height), size.empty() ? "128x128" : size.str())
            << file;
    }
}

// Grass repeats both ways, the street along its length (x).
TEST(Artwork, GroundTilesRepeatWithoutSeams)
{
    for (int i = 1; i <= 6; ++i) {
        const Image tile(i == 6 ? "street512x512_02.png" : "grass512x512_0" + std::to_string(i) + ".png");
        ASSERT_EQ(tile.width, 512) << i;
        EXPECT_LT(std::max(seam(tile, false), i == 6 ? 0.0 : seam(tile, true)), 1.3) << i;
    }
}

} // namespace
