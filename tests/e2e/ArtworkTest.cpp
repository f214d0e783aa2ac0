// The generated artwork in the run directory and the sample-library program:
// file names and pixel sizes the viewer relies on, tiling ground textures,
// legible banners, translucent overlays, and a library the viewer can read.
#include <IL/il.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string runDir = ZV_RUN_DIR;
const std::string toolsDir = ZV_TOOLS_DIR;
const std::string demoLibrary = std::string(ZV_TOOLS_DIR) + "/../sample-library/Zandervale.xml";

struct PngHeader {
    bool valid = false;
    unsigned width = 0, height = 0;
    int bitDepth = 0, colourType = 0;  // 2 RGB, 6 RGBA
};

PngHeader readPngHeader(const std::string& path)
{
    PngHeader header;
    std::ifstream in(path, std::ios::binary);
    unsigned char bytes[26] = {};
    if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes))
        return header;
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto be32 = [&](int at) {
        return unsigned(bytes[at]) << 24 | unsigned(bytes[at + 1]) << 16 | unsigned(bytes[at + 2]) << 8 | bytes[at + 3];
    };
    header.valid = std::equal(signature, signature + 8, bytes) && std::string(bytes + 12, bytes + 16) == "IHDR";
    header.width = be32(16);
    header.height = be32(20);
    header.bitDepth = bytes[24];
    header.colourType = bytes[25];
    return header;
}

// Decoded RGBA pixels, top row first as in the file.
struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    const unsigned char* at(int x, int y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
};

Image loadImage(const std::string& path)
{
    static bool ready = false;
    if (!ready) {
        ilInit();
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
        ready = true;
    }
    Image image;
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    if (ilLoadImage(path.c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        image.width = ilGetInteger(IL_IMAGE_WIDTH);
        image.height = ilGetInteger(IL_IMAGE_HEIGHT);
        image.rgba.resize(std::size_t(image.width) * image.height * 4);
        ilCopyPixels(0, 0, 0, image.width, image.height, 1, IL_RGBA, IL_UNSIGNED_BYTE, image.rgba.data());
    }
    ilDeleteImages(1, &id);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return image;
}

double pixelDistance(const unsigned char* a, const unsigned char* b)
{
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// Mean colour difference across the wrap-around seam (last column next to
// the first) divided by the mean difference between neighbouring columns.
double seamRatio(const Image& image, bool acrossColumns)
{
    const int n = acrossColumns ? image.width : image.height, m = acrossColumns ? image.height : image.width;
    auto pixel = [&](int line, int k) { return acrossColumns ? image.at(line, k) : image.at(k, line); };
    auto lineDistance = [&](int a, int b) {
        double sum = 0;
        for (int k = 0; k < m; ++k)
            sum += pixelDistance(pixel(a, k), pixel(b, k));
        return sum / m;
    };
    double inside = 0;
    for (int line = 0; line + 1 < n; ++line)
        inside += lineDistance(line, line + 1);
    return lineDistance(n - 1, 0) / (inside / (n - 1));
}

struct Mean {
    double r = 0, g = 0, b = 0, a = 0;
};

Mean meanColour(const Image& image, int x0, int y0, int x1, int y1)
{
    Mean mean;
    const double count = double(x1 - x0) * (y1 - y0);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const unsigned char* p = image.at(x, y);
            mean.r += p[0] / count;
            mean.g += p[1] / count;
            mean.b += p[2] / count;
            mean.a += p[3] / count;
        }
    return mean;
}

const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                              "July",    "August",   "September", "October", "November", "December"};

struct ExpectedFile {
    std::string name;
    unsigned width, height;
    bool alpha;
};

std::vector<ExpectedFile> expectedArtwork()
{
    std::vector<ExpectedFile> files = {
        {"street512x512_02.png", 512, 512, false},
        {"cross512x512_01.png", 512, 512, false},
        {"signs/signZandervale512x512_02.png", 512, 512, false},
        {"compass.png", 128, 128, true},
        {"help512x512_01.png", 512, 512, true},
        {"selOverlay256x256.png", 256, 256, true},
        {"gallOverlay256x32.png", 256, 32, true},
    };
    for (int i = 1; i <= 5; ++i)
        files.push_back({"grass512x512_0" + std::to_string(i) + ".png", 512, 512, false});
    for (int year = 1998; year <= 2010; ++year)
        files.push_back({"signs/sign" + std::to_string(year) + "_128x32.png", 128, 32, false});
    for (const char* month : months)
        files.push_back({std::string("signs/sign") + month + "128x32.png", 128, 32, false});
    return files;
}

// Runs a program without a shell; returns its exit status, or -1.
int runProgram(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every value of the elements called `tag` (<tag>value</tag>) in order.
std::vector<std::string> elementTexts(const std::string& xml, const std::string& tag)
{
    std::vector<std::string> values;
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
        const std::size_t start = at + open.size();
        values.push_back(xml.substr(start, xml.find(close, start) - start));
    }
    return values;
}

// Pictures per (year, month, quarter) as the library file nests them.
std::map<std::string, int> picturesPerQuarter(const std::string& xml)
{
    std::map<std::string, int> counts;
    std::string year, month, quarter;
    std::istringstream lines(xml);
    auto val = [](const std::string& line) {
        const std::size_t at = line.find("val=\"") + 5;
        return line.substr(at, line.find('"', at) - at);
    };
    for (std::string line; std::getline(lines, line);) {
        if (line.find("<year ") != std::string::npos)
            year = val(line);
        else if (line.find("<month ") != std::string::npos)
            month = val(line);
        else if (line.find("<quarter ") != std::string::npos)
            quarter = val(line);
        else if (line.find("<picture>") != std::string::npos)
            ++counts[year + "-" + month + "-" + quarter];
    }
    return counts;
}

}  // namespace

TEST(Artwork, EveryFileHasTheSizeItsNameCarries)
{
    for (const ExpectedFile& file : expectedArtwork()) {
        SCOPED_TRACE(file.name);
        const PngHeader header = readPngHeader(runDir + "/" + file.name);
        ASSERT_TRUE(header.valid);
        EXPECT_EQ(header.width, file.width);
        EXPECT_EQ(header.height, file.height);
        EXPECT_EQ(header.bitDepth, 8);
        EXPECT_EQ(header.colourType, file.alpha ? 6 : 2);
    }
}

TEST(Artwork, GrassTilesWithoutASeamInBothDirections)
{
    for (int i = 1; i <= 5; ++i) {
        SCOPED_TRACE(i);
        const Image grass = loadImage(runDir + "/grass512x512_0" + std::to_string(i) + ".png");
        ASSERT_EQ(grass.width, 512);
        EXPECT_LT(seamRatio(grass, true), 1.3);
        EXPECT_LT(seamRatio(grass, false), 1.3);
    }
}

TEST(Artwork, GrassTexturesAreFiveDifferentGreens)
{
    std::vector<Mean> means;
    for (int i = 1; i <= 5; ++i) {
        const Image grass = loadImage(runDir + "/grass512x512_0" + std::to_string(i) + ".png");
        ASSERT_EQ(grass.width, 512);
        means.push_back(meanColour(grass, 0, 0, 512, 512));
        EXPECT_GT(means.back().g, means.back().r);
        EXPECT_GT(means.back().g, means.back().b);
    }
    for (std::size_t a = 0; a < means.size(); ++a)
        for (std::size_t b = a + 1; b < means.size(); ++b) {
            const double d = std::abs(means[a].r - means[b].r) + std::abs(means[a].g - means[b].g) +
                             std::abs(means[a].b - means[b].b);
            EXPECT_GT(d, 8.0) << "grass " << a + 1 << " and " << b + 1 << " look alike";
        }
}

TEST(Artwork, StreetTilesAlongItsLengthWithLaneMarkingsAlongX)
{
    const Image street = loadImage(runDir + "/street512x512_02.png");
    ASSERT_EQ(street.width, 512);
    EXPECT_LT(seamRatio(street, true), 1.3);
    // Edge lines run along x: a bright row near the top and near the bottom.
    auto rowBrightness = [&](int y) {
        const Mean m = meanColour(street, 0, y, 512, y + 1);
        return (m.r + m.g + m.b) / 3;
    };
    const double asphalt = rowBrightness(150);
    EXPECT_GT(rowBrightness(39), asphalt + 80);
    EXPECT_GT(rowBrightness(512 - 39), asphalt + 80);
    // The centre line is dashed: bright in its middle, asphalt at the seam.
    const Mean dash = meanColour(street, 240, 252, 272, 260), gap = meanColour(street, 0, 252, 16, 260);
    EXPECT_GT(dash.r, gap.r + 80);
}

TEST(Artwork, BannersShowLightTextOnRedYearsAndBlueMonths)
{
    for (int year = 1998; year <= 2010; ++year) {
        const Image sign = loadImage(runDir + "/signs/sign" + std::to_string(year) + "_128x32.png");
        ASSERT_EQ(sign.width, 128);
        const Mean board = meanColour(sign, 4, 4, 124, 28);
        EXPECT_GT(board.r, board.b + 40) << year;
    }
    for (const char* month : months) {
        const Image sign = loadImage(runDir + "/signs/sign" + std::string(month) + "128x32.png");
        ASSERT_EQ(sign.width, 128);
        const Mean board = meanColour(sign, 4, 4, 124, 28);
        EXPECT_GT(board.b, board.r + 40) << month;
        int light = 0;  // text pixels in the middle band
        for (int y = 10; y < 22; ++y)
            for (int x = 20; x < 108; ++x)
                light += sign.at(x, y)[0] > 220 && sign.at(x, y)[1] > 220 ? 1 : 0;
        EXPECT_GT(light, 40) << month;
    }
}

TEST(Artwork, OverlaysAreTranslucentPanelsWithClearCorners)
{
    const char* const overlays[] = {"help512x512_01.png", "selOverlay256x256.png", "compass.png"};
    for (const char* name : overlays) {
        SCOPED_TRACE(name);
        const Image overlay = loadImage(runDir + "/" + name);
        ASSERT_GT(overlay.width, 0);
        EXPECT_EQ(overlay.at(0, 0)[3], 0);
        EXPECT_EQ(overlay.at(overlay.width - 1, overlay.height - 1)[3], 0);
        const Mean centre = meanColour(overlay, overlay.width / 4, overlay.height / 4, overlay.width * 3 / 4,
                                       overlay.height * 3 / 4);
        EXPECT_GT(centre.a, 120);
        EXPECT_LT(centre.a, 250);
    }
}

TEST(SampleLibrary, WritesThumbnailsOriginalsAndTheLibraryFile)
{
    support::TempDir dir;
    const std::string out = dir.path() + "/lib";
    ASSERT_EQ(runProgram({toolsDir + "/zv-sample-library", out, "12", "2005", "2005"}), 0);
    const std::string xml = readText(out + "/Zandervale.xml");
    ASSERT_NE(xml.find("<Zandervale>"), std::string::npos);
    EXPECT_EQ(xml.find("<year val=\"2004\""), std::string::npos);
    EXPECT_NE(xml.find("<year val=\"2005\""), std::string::npos);
    const std::vector<std::string> textures = elementTexts(xml, "texture");
    const std::vector<std::string> originals = elementTexts(xml, "originalPicture");
    ASSERT_EQ(textures.size(), 12u);
    ASSERT_EQ(originals.size(), 12u);
    for (std::size_t i = 0; i < textures.size(); ++i) {
        SCOPED_TRACE(textures[i]);
        EXPECT_LE(textures[i].size(), 10u);
        EXPECT_EQ(textures[i].find('/'), std::string::npos);
        const PngHeader thumbnail = readPngHeader(out + "/" + textures[i]);
        EXPECT_TRUE(thumbnail.valid);
        EXPECT_EQ(thumbnail.width, 128u);
        EXPECT_EQ(thumbnail.height, 96u);
        EXPECT_EQ(originals[i].front(), '/');
        EXPECT_TRUE(fs::equivalent(fs::path(originals[i]).parent_path(), out + "/originals"));
        const PngHeader original = readPngHeader(originals[i]);
        EXPECT_TRUE(original.valid);
        EXPECT_GE(original.width, 800u);
    }
}

TEST(SampleLibrary, SameArgumentsGiveTheSameLibrary)
{
    support::TempDir dir;
    const std::string root = fs::canonical(dir.path()).string();  // as the tool resolves it
    ASSERT_EQ(runProgram({toolsDir + "/zv-sample-library", root + "/a", "30"}), 0);
    ASSERT_EQ(runProgram({toolsDir + "/zv-sample-library", root + "/b", "30"}), 0);
    std::string a = readText(root + "/a/Zandervale.xml"), b = readText(root + "/b/Zandervale.xml");
    for (std::size_t at; (at = a.find(root + "/a/")) != std::string::npos;)
        a.replace(at, root.size() + 3, "DIR/");
    for (std::size_t at; (at = b.find(root + "/b/")) != std::string::npos;)
        b.replace(at, root.size() + 3, "DIR/");
    ASSERT_NE(a.find("DIR/originals/p0030.png"), std::string::npos);
    EXPECT_EQ(a, b);
    EXPECT_EQ(readText(root + "/a/t0017.png"), readText(root + "/b/t0017.png"));
}

TEST(SampleLibrary, RefusesBadArgumentsWithoutWritingAnything)
{
    support::TempDir dir;
    const std::string tool = toolsDir + "/zv-sample-library", out = dir.path() + "/never";
    const std::vector<std::vector<std::string>> bad = {
        {tool},
        {tool, out, "many"},
        {tool, out, "-3"},
        {tool, out, "10", "2006", "2004"},
        {tool, out, "10", "2004", "2006", "extra"},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(runProgram(args), 2) << args.size() << " arguments";
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(SampleLibrary, DemoLibraryHasHousesFromOneToForty)
{
    const std::string xml = readText(demoLibrary);
    ASSERT_FALSE(xml.empty()) << demoLibrary;
    const std::map<std::string, int> quarters = picturesPerQuarter(xml);
    int total = 0, smallest = 1000, largest = 0;
    for (const auto& quarter : quarters) {
        total += quarter.second;
        smallest = std::min(smallest, quarter.second);
        largest = std::max(largest, quarter.second);
    }
    EXPECT_EQ(total, 120);
    EXPECT_GE(quarters.size(), 12u);
    EXPECT_EQ(smallest, 1);
    EXPECT_GE(largest, 31);  // at least one house in the big block layout
    EXPECT_LE(largest, 45);
    for (const char* year : {"2004", "2005", "2006"})
        EXPECT_NE(xml.find(std::string("<year val=\"") + year + "\""), std::string::npos) << year;
    for (const std::string& texture : elementTexts(xml, "texture"))
        EXPECT_TRUE(fs::exists(fs::path(demoLibrary).parent_path() / texture)) << texture;
}
