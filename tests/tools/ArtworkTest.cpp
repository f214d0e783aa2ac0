// The artwork the build draws into the run directory: every file the viewer
// loads, at the size its name carries, and ground tiles without seams.
#include <IL/il.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

// The colour step from the last column of an n x n RGB tile back to the first (with rows: the last
// row to the first) over the mean step between neighbours inside: near 1 when it repeats without a seam.
double seam(const unsigned char* rgb, int n, bool rows)
{
    double inside = 0, across = 0;
    for (int line = 0; line < n; ++line)   // the column (row) a step leaves for the next one round
        for (int i = 0; i < n * 3; ++i) {   // every channel along it
            const auto at = [&](int l) { return rows ? rgb[l * n * 3 + i] : rgb[(i / 3 * n + l) * 3 + i % 3]; };
            (line + 1 < n ? inside : across) += std::abs(at(line) - at((line + 1) % n));
        }
    return across * (n - 1) / inside;
}

TEST(Artwork, EveryFileTheViewerLoadsHasItsSizeAndGroundTilesRepeatWithoutSeams)
{
    std::vector<std::string> files = {"street512x512_02.png", "cross512x512_01.png", "help512x512_01.png", "compass.png",
                                      "signs/signZandervale512x512_02.png", "selOverlay256x256.png", "gallOverlay256x32.png"};
    for (int i = 1; i <= 5; ++i)
        files.push_back("grass512x512_0" + std::to_string(i) + ".png");
    for (int year = 1998; year <= 2010; ++year)
        files.push_back("signs/sign" + std::to_string(year) + "_128x32.png");
    for (const char* month : {"January", "February", "March", "April", "May", "June", "July", "August", "September",
                              "October", "November", "December"})
        files.push_back(std::string("signs/sign") + month + "128x32.png");
    ilInit();
    for (const std::string& file : files) {
        const std::string named = file + " 128x128";   // compass.png carries no size in its name
        std::smatch size;
        std::regex_search(named, size, std::regex("\\d+x\\d+"));
        ilBindImage(ilGenImage());
        const bool loaded = ilLoadImage((ZV_RUN_DIR "/" + file).c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
        const int width = loaded ? ilGetInteger(IL_IMAGE_WIDTH) : 0, height = loaded ? ilGetInteger(IL_IMAGE_HEIGHT) : 0;
        EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height), size.str()) << file;
        const bool grass = file.rfind("grass", 0) == 0, tile = width == height && (grass || file.rfind("street", 0) == 0);
        const double worst = tile ? std::max(seam(ilGetData(), width, false), grass ? seam(ilGetData(), width, true) : 0.0) : 0;
        EXPECT_LT(worst, 1.3) << file;   // grass repeats both ways, the street along its length (x)
        ilDeleteImage(ilGetInteger(IL_CUR_IMAGE));
    }
}

} // namespace
