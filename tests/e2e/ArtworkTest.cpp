// The generated artwork in the run directory and the sample-library program:
// sizes the viewer relies on, seamless ground, translucent overlays, a repeatable library.
#include <IL/il.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "support/TempDir.h"

namespace {

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    const unsigned char* at(int x, int y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
    std::string size() const { return std::to_string(width) + "x" + std::to_string(height); }
};

Image loadImage(const std::string& path)
{
    ilInit();
    ilBindImage(ilGenImage());
    Image image;
    if (ilLoadImage(path.c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        image.width = ilGetInteger(IL_IMAGE_WIDTH);
        image.height = ilGetInteger(IL_IMAGE_HEIGHT);
        image.rgba.assign(ilGetData(), ilGetData() + image.width * image.height * 4);
    }
    ilDeleteImage(ilGetInteger(IL_CUR_IMAGE));
    return image;
}

// Mean red, green, blue, alpha and brightness over [x0, x1) x [y0, y1).
std::array<double, 5> mean(const Image& image, int x0, int y0, int x1, int y1)
{
    std::array<double, 5> sum{};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 4; ++c)
                sum[c] += image.at(x, y)[c] / double((x1 - x0) * (y1 - y0));
    sum[4] = (sum[0] + sum[1] + sum[2]) / 3;
    return sum;
}

// Colour step across the wrap over the mean step between neighbouring lines: near 1 if seamless.
double seamRatio(const Image& image, bool columns)
{
    const int n = columns ? image.width : image.height, m = image.width * image.height / n;
    auto px = [&](int line, int k) { return columns ? image.at(line, k / 3)[k % 3] : image.at(k / 3, line)[k % 3]; };
    double inside = 0, across = 0;
    for (int k = 0; k < m * 3; ++k) {
        across += std::abs(px(n - 1, k) - px(0, k));
        for (int line = 0; line + 1 < n; ++line)
            inside += std::abs(px(line, k) - px(line + 1, k));
    }
    return across * (n - 1) / inside;
}

// The exit status of zv-sample-library run with args (plain words, no quoting needed).
int runTool(const std::string& args)
{
    return WEXITSTATUS(std::system((ZV_TOOLS_DIR "/zv-sample-library " + args + " >/dev/null").c_str()));
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The first group of every match of pattern in text, in order.
std::vector<std::string> matches(const std::string& text, const std::string& pattern)
{
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        found.push_back((*it)[1]);
    return found;
}

}  // namespace

TEST(Artwork, EveryFileHasTheSizeItsNameCarries)
{
    std::vector<std::string> files = {"street512x512_02.png", "cross512x512_01.png", "help512x512_01.png",
                                      "signs/signZandervale512x512_02.png", "selOverlay256x256.png",
                                      "gallOverlay256x32.png"};
    for (int i = 1; i <= 5; ++i)
        files.push_back("grass512x512_0" + std::to_string(i) + ".png");
    for (int year = 1998; year <= 2010; ++year)
        files.push_back("signs/sign" + std::to_string(year) + "_128x32.png");
    for (const char* month : {"January", "February", "March", "April", "May", "June", "July", "August",
                              "September", "October", "November", "December"})
        files.push_back(std::string("signs/sign") + month + "128x32.png");
    for (const std::string& file : files)
        EXPECT_EQ(loadImage(ZV_RUN_DIR "/" + file).size(), matches(file, "(\\d+x\\d+)").at(0)) << file;
    EXPECT_EQ(loadImage(ZV_RUN_DIR "/compass.png").size(), "128x128");
}

TEST(Artwork, GrassTilesSeamlesslyInFiveDifferentGreens)
{
    std::vector<std::array<double, 5>> colours;
    for (int i = 1; i <= 5; ++i) {
        const Image grass = loadImage(ZV_RUN_DIR "/grass512x512_0" + std::to_string(i) + ".png");
        ASSERT_EQ(grass.size(), "512x512");
        EXPECT_LT(std::max(seamRatio(grass, true), seamRatio(grass, false)), 1.3) << i;
        const std::array<double, 5> c = mean(grass, 0, 0, 512, 512);
        for (const std::array<double, 5>& other : colours)
            EXPECT_GT(std::abs(other[0] - c[0]) + std::abs(other[1] - c[1]) + std::abs(other[2] - c[2]), 8) << i;
        colours.push_back(c);
    }
}

TEST(Artwork, StreetTilesAlongXWithMarkingsAlongX)
{
    const Image street = loadImage(ZV_RUN_DIR "/street512x512_02.png");
    ASSERT_EQ(street.size(), "512x512");
    EXPECT_LT(seamRatio(street, true), 1.3);
    const double asphalt = mean(street, 0, 150, 512, 151)[4];
    EXPECT_GT(mean(street, 0, 39, 512, 40)[4], asphalt + 80);  // edge lines: whole bright rows
    EXPECT_GT(mean(street, 0, 473, 512, 474)[4], asphalt + 80);
    EXPECT_GT(mean(street, 240, 252, 272, 260)[4], mean(street, 0, 252, 16, 260)[4] + 80);  // dash, gap at the wrap
}

TEST(Artwork, OverlaysAreTranslucentPanelsWithClearCorners)
{
    for (const char* name : {"help512x512_01.png", "selOverlay256x256.png", "compass.png"}) {
        const Image overlay = loadImage(ZV_RUN_DIR "/" + std::string(name));
        const int w = overlay.width, h = overlay.height;
        ASSERT_GT(w, 0) << name;
        EXPECT_EQ(overlay.at(0, 0)[3] + overlay.at(w - 1, h - 1)[3], 0) << name;
        const double alpha = mean(overlay, w / 4, h / 4, w * 3 / 4, h * 3 / 4)[3];
        EXPECT_TRUE(alpha > 120 && alpha < 250) << name << ": " << alpha;
    }
}

TEST(SampleLibrary, SameArgumentsWriteTheSameThumbnailsOriginalsAndLibrary)
{
    support::TempDir dir;
    const std::string a = std::filesystem::canonical(dir.path()).string() + "/a", b = dir.path() + "/b";
    ASSERT_EQ(runTool(a + " 12 2005") + runTool(b + " 12 2005"), 0);
    const std::string xml = readText(a + "/Zandervale.xml");
    EXPECT_EQ(std::regex_replace(readText(b + "/Zandervale.xml"), std::regex("/b/"), "/a/"), xml);
    EXPECT_EQ(matches(xml, "<year val=\"(\\d+)"), std::vector<std::string>{"2005"});
    // Every quarter record holds pictures: the loader drops empty ones.
    EXPECT_EQ(matches(xml, "(<quarter )").size(), matches(xml, "(<quarter val=\"\\d\">\\s*<picture>)").size());
    const std::vector<std::string> thumbnails = matches(xml, "<texture>(.*)<");
    const std::vector<std::string> originals = matches(xml, "<originalPicture>(.*)<");
    ASSERT_EQ(thumbnails.size(), 12u);
    ASSERT_EQ(originals.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(loadImage(a + "/" + thumbnails[i]).size(), "128x96") << thumbnails[i];
        EXPECT_TRUE(readText(a + "/" + thumbnails[i]) == readText(b + "/" + thumbnails[i])) << thumbnails[i];
        EXPECT_EQ(originals[i], a + "/originals/p" + thumbnails[i].substr(1));
        EXPECT_GE(loadImage(originals[i]).width, 800) << originals[i];
    }
}

TEST(SampleLibrary, RefusesBadArgumentsWithoutWritingAnything)
{
    support::TempDir dir;
    const std::string out = dir.path() + "/never";
    for (const std::string& args : {std::string(), out + " x", out + " -3", out + " 10 2006 2004", out + " 1 2 3 4"}) {
        EXPECT_EQ(runTool(args), 2) << args;
        EXPECT_FALSE(std::filesystem::exists(out)) << args;
    }
}
