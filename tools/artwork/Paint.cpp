// Drawing helpers shared by the build-time image generators.
#include "Paint.h"

#include <fontconfig/fontconfig.h>
#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

namespace paint {

std::uint64_t Rng::next()
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
}

double Rng::uniform()
{
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::range(double low, double high)
{
    return low + (high - low) * uniform();
}

int Rng::below(int n)
{
    return n > 0 ? int(next() % std::uint64_t(n)) : 0;
}

Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scale(Rgb c, double factor)
{
    return {c.r * factor, c.g * factor, c.b * factor};
}

Rgb fromHex(std::uint32_t rrggbb)
{
    return {((rrggbb >> 16) & 0xFF) / 255.0, ((rrggbb >> 8) & 0xFF) / 255.0,
            (rrggbb & 0xFF) / 255.0};
}

void setColour(cairo_t* cr, Rgb c, double alpha)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

TileNoise::TileNoise(int period, std::uint64_t seed) : period(period), lattice(period * period)
{
    Rng rng(seed);
    for (double& v : lattice)
        v = rng.uniform();
}

double TileNoise::at(double x, double y) const
{
    auto wrap = [this](int i) { return ((i % period) + period) % period; };
    auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
    const double fx = std::floor(x), fy = std::floor(y);
    const int x0 = wrap(int(fx)), y0 = wrap(int(fy));
    const int x1 = wrap(x0 + 1), y1 = wrap(y0 + 1);
    const double tx = smooth(x - fx), ty = smooth(y - fy);
    const double top = lattice[y0 * period + x0] * (1 - tx) + lattice[y0 * period + x1] * tx;
    const double bottom = lattice[y1 * period + x0] * (1 - tx) + lattice[y1 * period + x1] * tx;
    return top * (1 - ty) + bottom * ty;
}

FractalNoise::FractalNoise(int size, int cells, int octaveCount, std::uint64_t seed) : size(size)
{
    for (int i = 0; i < octaveCount; ++i)
        octaves.emplace_back(cells << i, seed * 7919 + std::uint64_t(i) * 104729 + 1);
}

double FractalNoise::at(int x, int y) const
{
    double sum = 0, weight = 0, amplitude = 1;
    for (const TileNoise& octave : octaves) {
        const double cellsPerPixel = double(octave.cells()) / size;
        sum += amplitude * octave.at(x * cellsPerPixel, y * cellsPerPixel);
        weight += amplitude;
        amplitude *= 0.5;
    }
    return sum / weight;
}

Canvas::Canvas(int width, int height, bool alpha)
    : image(cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width,
                                       height)),
      cr(cairo_create(image)), w(width), h(height)
{
}

Canvas::~Canvas()
{
    cairo_destroy(cr);
    cairo_surface_destroy(image);
}

std::uint32_t* Canvas::row(int y)
{
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    return reinterpret_cast<std::uint32_t*>(data + y * cairo_image_surface_get_stride(image));
}

void Canvas::markDirty()
{
    cairo_surface_mark_dirty(image);
}

// Written with libpng rather than Cairo's own writer: a fast compression
// level makes the sample library's originals several times quicker to write.
bool Canvas::save(const std::string& path) const
{
    cairo_surface_flush(image);
    const bool alpha = cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<unsigned char> line(std::size_t(w) * 4);
    bool ok = png && info;
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_compression_level(png, 3);
        png_set_filter(png, 0, PNG_FILTER_SUB);
        png_set_IHDR(png, info, w, h, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        const unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < h; ++y) {
            const std::uint32_t* pixels = reinterpret_cast<const std::uint32_t*>(data + y * stride);
            unsigned char* out = line.data();
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = pixels[x];
                const unsigned a = alpha ? p >> 24 : 255;
                // Cairo keeps colours premultiplied by alpha; PNG does not.
                auto channel = [a](unsigned v) { return a ? (v * 255 + a / 2) / a : 0; };
                *out++ = (unsigned char)channel((p >> 16) & 0xFF);
                *out++ = (unsigned char)channel((p >> 8) & 0xFF);
                *out++ = (unsigned char)channel(p & 0xFF);
                if (alpha)
                    *out++ = (unsigned char)a;
            }
            png_write_row(png, line.data());
        }
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    return std::fclose(file) == 0 && ok;
}

std::uint32_t packOpaque(Rgb c)
{
    auto channel = [](double v) {
        return std::uint32_t(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255.0));
    };
    return 0xFF000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    const double r = std::fmin(radius, std::fmin(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

double fitFont(cairo_t* cr, const std::string& text, double maxWidth, double maxHeight,
               double maxSize, bool bold, const char* family)
{
    cairo_select_font_face(cr, family, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, maxSize);
    cairo_text_extents_t ink;
    cairo_text_extents(cr, text.c_str(), &ink);
    double size = maxSize;
    if (ink.width > 0 && ink.height > 0)
        size = std::fmin(maxSize, maxSize * std::fmin(maxWidth / ink.width, maxHeight / ink.height));
    cairo_set_font_size(cr, size);
    return size;
}

void centredText(cairo_t* cr, const std::string& text, double cx, double cy)
{
    // Centre vertically on the capital height, not the ink, so "July" and
    // "2005" share a baseline whatever their descenders.
    cairo_text_extents_t ink, caps;
    cairo_text_extents(cr, text.c_str(), &ink);
    cairo_text_extents(cr, "H", &caps);
    cairo_move_to(cr, cx - ink.x_bearing - ink.width / 2, cy - caps.y_bearing / 2);
    cairo_show_text(cr, text.c_str());
}

void shadowedText(cairo_t* cr, const std::string& text, double cx, double cy, Rgb colour,
                  double shadow)
{
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    centredText(cr, text, cx + shadow, cy + shadow);
    setColour(cr, colour);
    centredText(cr, text, cx, cy);
}

ReleaseCachesAtExit::~ReleaseCachesAtExit()
{
    cairo_debug_reset_static_data();
    FcFini();
}

bool makeDirectories(const std::string& path)
{
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        const std::string prefix = path.substr(0, i);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace paint
