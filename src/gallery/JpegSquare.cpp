// libjpeg reports fatal errors by longjmp: the function that calls it owns
// no object with a destructor, and what outlives a jump is made before the
// setjmp.
#include "gallery/JpegSquare.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>   // before jpeglib.h, which uses FILE and size_t without them
#include <vector>

#include <jerror.h>
#include <jpeglib.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf exit;
    bool truncated;
};

void exitOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->exit, 1);
}

// Corrupt-data warnings are common in camera files and harmless; a file
// that ends early would show grey where its data is missing.
void noteWarning(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorManager*>(info->err)->truncated = true;
}

constexpr double lobes = 3.0;

double lanczos(double x)
{
    if (x == 0.0)
        return 1.0;
    if (std::abs(x) >= lobes)
        return 0.0;
    const double px = M_PI * x;
    return lobes * std::sin(px) * std::sin(px / lobes) / (px * px);
}

// One axis of the resampling: output pixel o is the sum over t < taps of
// weights[o * taps + t] times input pixel first[o] + t. The kernel widens
// by the shrink factor; taps past an edge weigh on the edge pixel.
struct Filter {
    int taps = 0;
    std::vector<int> first;
    std::vector<float> weights;
};

Filter makeFilter(int in, int out)
{
    const double step = double(in) / out, stretch = std::max(1.0, step), reach = lobes * stretch;
    Filter filter;
    filter.taps = std::min(in, static_cast<int>(std::ceil(2.0 * reach)) + 1);
    filter.first.resize(out);
    filter.weights.assign(static_cast<size_t>(out) * filter.taps, 0.0f);
    std::vector<double> raw(filter.taps);
    for (int o = 0; o < out; ++o) {
        const double centre = (o + 0.5) * step - 0.5;
        const int from = static_cast<int>(std::floor(centre - reach)) + 1;
        filter.first[o] = std::clamp(from, 0, in - filter.taps);
        std::fill(raw.begin(), raw.end(), 0.0);
        double sum = 0.0;
        for (int x = from; x < from + filter.taps; ++x) {
            const double weight = lanczos((x - centre) / stretch);
            raw[std::clamp(x, 0, in - 1) - filter.first[o]] += weight;
            sum += weight;
        }
        for (int t = 0; t < filter.taps; ++t)
            filter.weights[static_cast<size_t>(o) * filter.taps + t] = static_cast<float>(raw[t] / sum);
    }
    return filter;
}

// Everything the decode holds besides libjpeg's own state: made before the
// point a longjmp returns to, freed by the caller.
struct Work {
    Filter across, down;
    std::vector<unsigned char> row;   // one row of the photo as decoded
    std::vector<float> ring;          // the last down.taps rows filtered across, by row number
    std::vector<float> sum;           // one output row before rounding
};

void filterAcross(const Filter& across, const unsigned char* row, float* out, int side)
{
    for (int o = 0; o < side; ++o) {
        const unsigned char* in = row + across.first[o] * 3;
        const float* w = &across.weights[static_cast<size_t>(o) * across.taps];
        float r = 0.0f, g = 0.0f, b = 0.0f;
        for (int t = 0; t < across.taps; ++t, in += 3)
            r += w[t] * in[0], g += w[t] * in[1], b += w[t] * in[2];
        out[o * 3] = r, out[o * 3 + 1] = g, out[o * 3 + 2] = b;
    }
}

void filterDown(Work* work, int y, unsigned char* out)
{
    const Filter& down = work->down;
    const size_t width = work->sum.size();
    std::fill(work->sum.begin(), work->sum.end(), 0.0f);
    for (int t = 0; t < down.taps; ++t) {
        const float w = down.weights[static_cast<size_t>(y) * down.taps + t];
        const float* in = &work->ring[static_cast<size_t>((down.first[y] + t) % down.taps) * width];
        float* sum = work->sum.data();
        for (size_t i = 0; i < width; ++i)
            sum[i] += w * in[i];
    }
    for (size_t i = 0; i < width; ++i)
        out[i] = static_cast<unsigned char>(std::clamp(work->sum[i] + 0.5f, 0.0f, 255.0f));
}

// The decode itself, between jpeg_create_decompress and its destroy.
JpegSquareResult decodeOpen(jpeg_decompress_struct* info, ErrorManager* errors, const uint32_t size[2], int shrink,
                            int side, unsigned char* rgb, Work* work)
{
    if (setjmp(errors->exit) != 0)
        return JpegSquareResult::Broken;
    jpeg_read_header(info, TRUE);
    if (info->image_width != size[0] || info->image_height != size[1])
        return JpegSquareResult::TwoSizes;
    if (info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK)
        return JpegSquareResult::Unsupported;
    info->out_color_space = JCS_RGB;
    info->scale_num = 1;
    info->scale_denom = static_cast<unsigned>(shrink);
    jpeg_start_decompress(info);
    const size_t rowFloats = static_cast<size_t>(side) * 3;
    work->across = makeFilter(static_cast<int>(info->output_width), side);
    work->down = makeFilter(static_cast<int>(info->output_height), side);
    work->row.resize(static_cast<size_t>(info->output_width) * 3);
    work->ring.resize(work->down.taps * rowFloats);
    work->sum.resize(rowFloats);
    int read = 0;
    for (int y = 0; y < side; ++y) {
        for (; read < work->down.first[y] + work->down.taps; ++read) {
            JSAMPROW rows[] = {work->row.data()};
            jpeg_read_scanlines(info, rows, 1);
            filterAcross(work->across, work->row.data(), &work->ring[(read % work->down.taps) * rowFloats], side);
        }
        filterDown(work, y, rgb + y * rowFloats);
    }
    jpeg_abort_decompress(info);   // rows below the last one the filter reads are not needed
    return errors->truncated ? JpegSquareResult::Broken : JpegSquareResult::Decoded;
}

}  // namespace

JpegSquareResult decodeJpegSquare(int fd, uint32_t width, uint32_t height, int shrink, int side,
                                  unsigned char* rgb)
{
    // A duplicate shares the offset: rewound, it reads from the start.
    lseek(fd, 0, SEEK_SET);
    const int own = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    std::FILE* file = own >= 0 ? fdopen(own, "rb") : nullptr;
    if (file == nullptr) {
        if (own >= 0)
            close(own);
        return JpegSquareResult::Broken;
    }
    const uint32_t size[2] = {width, height};
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = exitOnError;
    errors.base.emit_message = noteWarning;
    errors.truncated = false;
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    Work work;
    const JpegSquareResult result = decodeOpen(&info, &errors, size, shrink, side, rgb, &work);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return result;
}
