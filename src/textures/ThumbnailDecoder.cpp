// PNG through libpng's simplified reader, baseline and progressive JPEG
// through libjpeg-turbo, both from the file read into memory once. Every
// error or warning of either library gives the picture back to DevIL, so
// that the console says what it always said about a damaged file.
#include "textures/ThumbnailDecoder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <png.h>

#include "photos/ImageHeader.h"
#include "textures/Dxt1.h"

namespace {

// Thumbnails are a few kilobytes; anything far larger is no thumbnail.
constexpr long largestThumbnailFile = 4 * 1024 * 1024;

// The file's check, its stamp and, when wanted, its bytes, from one
// opening: the stamp is the opened file's own, so one replaced meanwhile is
// never kept under the stamp of another. Bytes stay empty when the file is
// empty, far too large or cannot be read whole.
FileCheck readThumbnailFile(const char* path, bool wanted, std::vector<unsigned char>* bytes, FileStamp* stamp)
{
    int file = -1;
    struct stat info;
    const FileCheck check = openReadableFile(path, &file, &info);
    if (check != FileCheck::Readable)
        return check;
    *stamp = stampOf(info);
    if (wanted && info.st_size > 0 && info.st_size <= largestThumbnailFile) {
        bytes->resize(static_cast<size_t>(info.st_size));
        size_t at = 0;
        while (at < bytes->size()) {
            const ssize_t got = read(file, bytes->data() + at, bytes->size() - at);
            if (got <= 0)
                break;
            at += static_cast<size_t>(got);
        }
        if (at != bytes->size())
            bytes->clear();
    }
    close(file);
    return check;
}

uint32_t bigEndian(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// libpng's simplified reader corrects a stated gamma other than sRGB's and
// DevIL does not; a PNG stating one, or an ICC profile, goes to DevIL so
// that it looks as it always did.
bool statesOtherGamma(const std::vector<unsigned char>& bytes)
{
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = bigEndian(&bytes[at]);
        const unsigned char* type = &bytes[at + 4];
        if (std::memcmp(type, "IDAT", 4) == 0)
            return false;
        if (std::memcmp(type, "iCCP", 4) == 0)
            return true;
        if (std::memcmp(type, "gAMA", 4) == 0 && length == 4 && at + 12 <= bytes.size()) {
            const uint32_t gamma = bigEndian(&bytes[at + 8]);   // 1/2.2 is 45455
            return gamma < 45000 || gamma > 46000;
        }
        if (length > bytes.size() - at - 12)
            return false;
        at += 12 + length;
    }
    return false;
}

// Up to 8 bits a channel: DevIL and libpng's simplified reader disagree on
// how to bring 16-bit channels down to 8.
bool decodePng(const std::vector<unsigned char>& bytes, std::vector<unsigned char>* rgba)
{
    constexpr size_t bitDepthOffset = 24;
    if (bytes.size() <= bitDepthOffset || bytes[bitDepthOffset] > 8 || statesOtherGamma(bytes))
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    rgba->resize(PNG_IMAGE_SIZE(image));
    const bool done = png_image_finish_read(&image, nullptr, rgba->data(), 0, nullptr) != 0 &&
                      image.warning_or_error == 0;
    png_image_free(&image);
    return done;
}

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
};

[[noreturn]] void leaveOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->escape, 1);
}

// A warning means damaged data that DevIL would report: leave too.
void leaveOnWarning(j_common_ptr info, int level)
{
    if (level < 0)
        leaveOnError(info);
}

// Kept apart from decodeJpeg so that no object with a destructor lives
// across the setjmp.
bool runJpegDecoder(jpeg_decompress_struct* info, JpegErrors* errors, const std::vector<unsigned char>& bytes,
                    unsigned char* rgba, size_t capacity, int* width, int* height, int scale)
{
    if (setjmp(errors->escape))
        return false;
    jpeg_mem_src(info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(info, TRUE);
    // CMYK and other colour spaces go to DevIL, which converts them its way.
    if (info->jpeg_color_space != JCS_YCbCr && info->jpeg_color_space != JCS_GRAYSCALE &&
        info->jpeg_color_space != JCS_RGB)
        return false;
    info->out_color_space = JCS_EXT_RGBA;
    info->scale_num = 1;
    info->scale_denom = static_cast<unsigned>(scale);
    jpeg_start_decompress(info);
    *width = static_cast<int>(info->output_width);
    *height = static_cast<int>(info->output_height);
    const size_t stride = static_cast<size_t>(*width) * 4;
    if (stride * static_cast<size_t>(*height) > capacity)
        return false;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = rgba + stride * info->output_scanline;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

// At 1/scale of the header's size (libjpeg-turbo's DCT scaling: 1, 2, 4
// or 8), whose sides round up.
bool decodeJpeg(const std::vector<unsigned char>& bytes, const ImageHeader& header,
                std::vector<unsigned char>* rgba, int scale = 1)
{
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = leaveOnError;
    errors.manager.emit_message = leaveOnWarning;
    jpeg_create_decompress(&info);
    const int scaledWidth = (static_cast<int>(header.width) + scale - 1) / scale;
    const int scaledHeight = (static_cast<int>(header.height) + scale - 1) / scale;
    rgba->resize(static_cast<size_t>(scaledWidth) * scaledHeight * 4);
    int width = 0, height = 0;
    const bool done = runJpegDecoder(&info, &errors, bytes, rgba->data(), rgba->size(), &width, &height, scale) &&
                      width == scaledWidth && height == scaledHeight;
    jpeg_destroy_decompress(&info);
    return done;
}

}  // namespace

DecodedThumbnail decodeThumbnail(const char* path, bool wanted, bool compress, ThumbnailLevels levels)
{
    DecodedThumbnail thumbnail;
    std::vector<unsigned char> bytes;
    thumbnail.file = readThumbnailFile(path, wanted, &bytes, &thumbnail.stamp);
    if (!wanted || thumbnail.file != FileCheck::Readable || bytes.empty())
        return thumbnail;
    // The same gate as DevIL's path, on the same bytes the decoder reads.
    const ImageHeader header = readImageHeader(bytes.data(), bytes.size());
    if (judgeImageHeader(header) != SizeVerdict::Fine || !header.sizeKnown || header.width == 0 ||
        header.height == 0 || header.width > largestAtlasPhoto || header.height > largestAtlasPhoto)
        return thumbnail;
    const int width = static_cast<int>(header.width), height = static_cast<int>(header.height);
    // Only the small level: a JPEG decodes at the smallest scale that still
    // covers it, a fraction of a whole decode.
    const bool smallOnly = levels == ThumbnailLevels::smallOnly && compress;
    int scale = 1;
    while (smallOnly && header.kind == ImageKind::Jpeg && scale < 8 &&
           (width + 2 * scale - 1) / (2 * scale) >= smallLevelWidth && (height + 2 * scale - 1) / (2 * scale) >= smallLevelHeight)
        scale *= 2;
    std::vector<unsigned char> rgba;
    bool decoded = false;
    if (header.kind == ImageKind::Png)
        decoded = decodePng(bytes, &rgba);
    else if (header.kind == ImageKind::Jpeg)
        decoded = decodeJpeg(bytes, header, &rgba, scale);
    const int decodedWidth = (width + scale - 1) / scale, decodedHeight = (height + scale - 1) / scale;
    if (!decoded || rgba.size() != static_cast<size_t>(decodedWidth) * decodedHeight * 4)
        return thumbnail;
    thumbnail.decoded = true;
    thumbnail.width = width;
    thumbnail.height = height;
    if (smallOnly) {
        thumbnail.small = smallLevelBlocks(rgba.data(), decodedWidth, decodedHeight);
        return thumbnail;
    }
    thumbnail.framed = frameTexels(rgba.data(), thumbnail.width, thumbnail.height);
    if (compress) {
        if (levels != ThumbnailLevels::fullOnly)
            thumbnail.small = smallLevelBlocks(rgba.data(), thumbnail.width, thumbnail.height);
        thumbnail.blocks = compressFramed(thumbnail.framed.data(), thumbnail.width + 2, thumbnail.height + 2);
        thumbnail.framed = std::vector<unsigned char>();
    }
    return thumbnail;
}

std::vector<unsigned char> compressFramed(const unsigned char* framed, int framedWidth, int framedHeight)
{
    const int width = wholeBlocks(framedWidth), height = wholeBlocks(framedHeight);
    std::vector<unsigned char> padded(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = framed + static_cast<size_t>(std::min(y, framedHeight - 1)) * framedWidth * 4;
        unsigned char* out = &padded[static_cast<size_t>(y) * width * 4];
        std::memcpy(out, row, static_cast<size_t>(framedWidth) * 4);
        for (int x = framedWidth; x < width; ++x)
            std::memcpy(out + static_cast<size_t>(x) * 4, row + static_cast<size_t>(framedWidth - 1) * 4, 4);
    }
    return encodeDxt1(padded.data(), width, height);
}

std::vector<unsigned char> smallLevelBlocks(const unsigned char* rgba, int width, int height)
{
    // Each small texel averages the source area it covers, partly covered
    // source texels weighed by their share; along the rows, then down the
    // columns. A line is a row when going along the rows, else a column.
    const auto resample = [](const std::vector<float>& in, int inSide, int outSide, int lines, bool alongRows) {
        const auto at = [lines, alongRows](int line, int position, int side) {
            return 4 * (alongRows ? static_cast<size_t>(line) * side + position : static_cast<size_t>(position) * lines + line);
        };
        std::vector<float> out(static_cast<size_t>(outSide) * lines * 4);
        const double step = double(inSide) / outSide;
        for (int o = 0; o < outSide; ++o) {
            const double from = o * step, to = from + step;
            for (int i = static_cast<int>(from); i < inSide && i < to; ++i) {
                const float weight = static_cast<float>((std::min<double>(i + 1, to) - std::max<double>(i, from)) / step);
                for (int line = 0; line < lines; ++line)
                    for (int c = 0; c < 4; ++c)
                        out[at(line, o, outSide) + c] += weight * in[at(line, i, inSide) + c];
            }
        }
        return out;
    };
    std::vector<unsigned char> texels(static_cast<size_t>(smallLevelWidth) * smallLevelHeight * 4);
    if (width == smallLevelWidth && height == smallLevelHeight) {
        // A 128 x 96 JPEG decoded at a quarter: already the small level.
        std::memcpy(texels.data(), rgba, texels.size());
    } else if (width % smallLevelWidth == 0 && height % smallLevelHeight == 0) {
        // Whole blocks of texels, as most thumbnails give (128 x 96: 4 x 4),
        // summed in integers: a first opening makes one for every photo.
        const int across = width / smallLevelWidth, down = height / smallLevelHeight, count = across * down;
        for (int y = 0; y < smallLevelHeight; ++y)
            for (int x = 0; x < smallLevelWidth; ++x) {
                int sum[4] = {0, 0, 0, 0};
                for (int row = y * down; row < (y + 1) * down; ++row) {
                    const unsigned char* texel = rgba + (static_cast<size_t>(row) * width + x * across) * 4;
                    for (int i = 0; i < across * 4; ++i)
                        sum[i % 4] += texel[i];
                }
                for (int c = 0; c < 4; ++c)
                    texels[(static_cast<size_t>(y) * smallLevelWidth + x) * 4 + c] = static_cast<unsigned char>((sum[c] + count / 2) / count);
            }
    } else {
        const std::vector<float> source(rgba, rgba + static_cast<size_t>(width) * height * 4);
        const std::vector<float> narrow = resample(source, width, smallLevelWidth, height, true);
        const std::vector<float> small = resample(narrow, height, smallLevelHeight, smallLevelWidth, false);
        for (size_t i = 0; i < small.size(); ++i)
            texels[i] = static_cast<unsigned char>(std::clamp(small[i] + 0.5f, 0.0f, 255.0f));
    }
    return compressFramed(frameTexels(texels.data(), smallLevelWidth, smallLevelHeight).data(), smallLevelWidth + 2,
                          smallLevelHeight + 2);
}

std::vector<unsigned char> frameTexels(const unsigned char* rgba, int width, int height)
{
    const int framedWidth = width + 2;
    std::vector<unsigned char> framed(static_cast<size_t>(framedWidth) * (height + 2) * 4);
    for (int y = 0; y < height + 2; ++y) {
        const unsigned char* row = rgba + static_cast<size_t>((y + height - 1) % height) * width * 4;
        unsigned char* out = &framed[static_cast<size_t>(y) * framedWidth * 4];
        std::memcpy(out, row + static_cast<size_t>(width - 1) * 4, 4);
        std::memcpy(out + 4, row, static_cast<size_t>(width) * 4);
        std::memcpy(out + static_cast<size_t>(width + 1) * 4, row, 4);
    }
    return framed;
}
