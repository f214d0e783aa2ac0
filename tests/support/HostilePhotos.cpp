#include "support/HostilePhotos.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace support {

namespace {

std::string big16(unsigned value) { return {char(value >> 8), char(value)}; }
std::string big32(unsigned value) { return big16(value >> 16) + big16(value & 0xFFFF); }
std::string little16(unsigned value) { return {char(value), char(value >> 8)}; }
std::string little32(unsigned value) { return little16(value & 0xFFFF) + little16(value >> 16); }

std::string box(const char* type, const std::string& content) { return big32(content.size() + 8) + type + content; }

// An HEVC sequence parameter set NAL unit coding width x height, in an hvcC.
std::string hevcConfig(unsigned width, unsigned height)
{
    std::string bits = "0000" "000" "1" + std::string(88, '0') + "01011010";   // one layer, level 90
    const auto golomb = [&bits](unsigned value) {
        std::string binary;
        for (unsigned v = value + 1; v != 0; v >>= 1)
            binary.insert(binary.begin(), char('0' + (v & 1)));
        bits += std::string(binary.size() - 1, '0') + binary;
    };
    golomb(0);   // its id
    golomb(1);   // 4:2:0
    golomb(width);
    golomb(height);
    bits += "1";
    bits.resize((bits.size() + 7) / 8 * 8, '0');
    std::string nal = "\x42\x01";
    for (size_t i = 0; i < bits.size(); i += 8)
        nal += char(std::stoi(bits.substr(i, 8), nullptr, 2));
    return box("hvcC", "\1" + std::string(21, '\0') + "\1" + "\xA1" + big16(1) + big16(nal.size()) + nal);
}

// A HEIC's boxes around its property and association tables.
std::string heifWith(const std::string& properties, const std::string& ipma, unsigned items)
{
    const std::string fullBox(4, '\0');
    const std::string meta = fullBox + box("hdlr", fullBox + std::string(4, '\0') + "pict" + std::string(13, '\0')) +
                             box("pitm", fullBox + big16(1)) + box("iinf", std::string("\1\0\0\0", 4) + big32(items)) +
                             box("iprp", box("ipco", properties) + box("ipma", fullBox + big32(items) + ipma));
    return box("ftyp", "heic" + big32(0) + "mif1heic") + box("meta", meta) + box("mdat", std::string(16, '\0'));
}

}  // namespace

std::string gifBytes(unsigned width, unsigned height)
{
    return "GIF89a" + little16(width) + little16(height) + std::string("\0\0\0", 3) + "," + std::string(4, '\0') + little16(width) + little16(height) + std::string("\0\2\2D\1\0;", 7);
}

std::string tiffBytes(unsigned width, unsigned height, unsigned samples, unsigned bits)
{
    std::string ifd = little16(4);
    for (const auto& [tag, value] : {std::pair{256u, width}, {257u, height}, {258u, bits}, {277u, samples}})
        ifd += little16(tag) + little16(4) + little32(1) + little32(value);
    return "II*" + std::string(1, '\0') + little32(8) + ifd + little32(0);
}

std::string heifBytes(unsigned width, unsigned height, bool quarterTurn, int bits, unsigned coded)
{
    const std::string fullBox(4, '\0');
    const std::string properties = box("ispe", fullBox + big32(width) + big32(height)) +
                                   box("irot", quarterTurn ? "\1" : std::string(1, '\0')) +
                                   box("pixi", fullBox + "\3" + std::string(3, char(bits))) +
                                   (coded ? hevcConfig(coded, coded) : box("free", ""));
    // Item 1 is the primary one, with properties 1 to 4, the second
    // essential; item 2 (a thumbnail, say) has only the first.
    return heifWith(properties, big16(1) + "\4\1\x82\3\4" + big16(2) + "\1\1", 2);
}

std::string heifManyLinksBytes(unsigned items, unsigned links)
{
    const std::string entry = std::string(1, char(links)) + std::string(links, '\1');
    std::string ipma;
    ipma.reserve(size_t(items) * (2 + entry.size()));
    // The primary item comes last, behind every other item's links.
    for (unsigned item = 2; item <= items; ++item)
        ipma += big16(item) + entry;
    ipma += big16(1) + entry;
    return heifWith(box("ispe", std::string(4, '\0') + big32(640) + big32(480)), ipma, items);
}

std::string webpBytes(unsigned width, unsigned height, bool alpha)
{
    const std::string vp8x = "VP8X" + little32(10) + std::string(1, alpha ? '\x10' : '\0') + std::string(3, '\0') +
                             little16((width - 1) & 0xFFFF) + std::string(1, char((width - 1) >> 16)) +
                             little16((height - 1) & 0xFFFF) + std::string(1, char((height - 1) >> 16));
    return "RIFF" + little32(4 + vp8x.size()) + "WEBP" + vp8x;
}

std::string jpegFrameBytes(unsigned width, unsigned height, bool progressive)
{
    const std::string frame = std::string{8} + big16(height) + big16(width) + "\3" +
                              std::string("\1\x22\0\2\x11\1\3\x11\1", 9);
    return "\xFF\xD8\xFF" + std::string(1, progressive ? '\xC2' : '\xC0') + big16(frame.size() + 2) + frame +
           "\xFF\xD9";
}

std::string pngIhdrBytes(unsigned width, unsigned height, int bitDepth, int colourType, bool interlaced)
{
    return std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + big32(width) + big32(height) +
           char(bitDepth) + char(colourType) + std::string(2, '\0') + char(interlaced) + std::string(4, '\0');
}

std::string bmpBytes(int width, int height)
{
    const int row = (width * 3 + 3) / 4 * 4;
    return "BM" + little32(54 + row * height) + little32(0) + little32(54) + little32(40) + little32(width) +
           little32(height) + little16(1) + little16(24) + little32(0) + little32(row * height) +
           std::string(16, '\0') + std::string(size_t(row) * height, '\x80');
}

std::string tgaBytes(int width, int height)
{
    return std::string("\0\0\2", 3) + std::string(9, '\0') + little16(width) + little16(height) + "\x18\x20" +
           std::string(size_t(width) * height * 3, '\x40');
}

std::vector<HostilePhoto> hostilePhotos()
{
    const std::string tooLarge = "is too large: decoding it would take";
    return {
        {"GIF claiming 50,000 x 50,000, named .jpg", "gif-bomb.jpg", gifBytes(50000, 50000), tooLarge},
        {"GIF whose first frame is 40,000 squared on a 100 px screen", "gif-frame.gif",
         gifBytes(100, 100).replace(18, 4, little16(40000) + little16(40000)), tooLarge},
        {"progressive JPEG claiming 23,000 x 23,000", "progressive-23k.jpg", jpegFrameBytes(23000, 23000, true), tooLarge},
        {"progressive JPEG claiming 50,000 x 50,000", "progressive-50k.jpg", jpegFrameBytes(50000, 50000, true), tooLarge},
        {"interlaced 16-bit PNG of 23,000 x 23,000", "interlaced-16bit.png", pngIhdrBytes(23000, 23000, 16, 2, true), tooLarge},
        {"TIFF claiming 50,000 x 50,000, named .jpg", "tiff-bomb.jpg", tiffBytes(50000, 50000), tooLarge},
        {"HEIC claiming 30,000 x 20,000, named .jpg", "heic-bomb.jpg", heifBytes(30000, 20000), tooLarge},
        {"HEIC cut short in its meta box", "phone.heic", heifBytes(4032, 3024).substr(0, 60), "its header cannot be read"},
        {"WebP claiming 16,383 x 16,383 with alpha", "webp-bomb.webp", webpBytes(16383, 16383, true), tooLarge},
        {"BMP named .jpg", "scan.jpg", bmpBytes(80, 60), "a BMP image, not a kind"},
        {"TIFF giving 65,000 squared, then 64 squared", "two-sizes.tif",
         tiffBytes(64, 64).replace(8, 2, little16(6)).insert(10, little16(256) + little16(4) + little32(1) + little32(65000) +
                                                                  little16(257) + little16(4) + little32(1) + little32(65000)),
         "its header gives two sizes"},
        {"HEIC whose extent says 64 squared over a 12,000 squared picture", "small-ispe.heic", heifBytes(64, 64, false, 8, 12000),
         "its header gives two sizes"},
        {"HEIC claiming 2^31 squared", "huge.heic", heifBytes(0x80000000u, 0x80000000u),
         "would take more than 1,000,000 MB, over the 512 MB"},
    };
}

void writeSparseJpeg(const std::string& path, long long bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(write(fd, "\xFF\xD8", 2), 2);
    EXPECT_EQ(ftruncate(fd, bytes), 0);
    close(fd);
}

}  // namespace support
