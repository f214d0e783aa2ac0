// Drawing helpers shared by the build-time image generators: a seeded random
// source, tileable noise, colours, an RAII Cairo canvas, text fitting and
// directory creation. Everything is deterministic: no clock, no global seed.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace paint {

// xorshift64*: small, fast and the same on every platform, unlike rand().
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    std::uint64_t next();
    double uniform();                         // [0, 1)
    double range(double low, double high);    // [low, high)
    int below(int n);                         // 0 .. n - 1
private:
    std::uint64_t state;
};

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t);
Rgb scale(Rgb c, double factor);
Rgb fromHex(std::uint32_t rrggbb);
void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);

// Value noise on a lattice that repeats every `period` cells, so a map drawn
// with it wraps around at the image edges without a seam.
class TileNoise {
public:
    TileNoise(int period, std::uint64_t seed);
    double at(double x, double y) const;      // x, y in cells; result 0 .. 1
    int cells() const { return period; }
private:
    int period;
    std::vector<double> lattice;
};

// Sum of octaves of tileable noise over an image of `size` pixels; the
// lowest octave has `cells` cells across. Result roughly 0 .. 1.
class FractalNoise {
public:
    FractalNoise(int size, int cells, int octaves, std::uint64_t seed);
    double at(int x, int y) const;
private:
    int size;
    std::vector<TileNoise> octaves;
};

// An image surface with its drawing context; frees both on destruction.
class Canvas {
public:
    Canvas(int width, int height, bool alpha);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* context() const { return cr; }
    int width() const { return w; }
    int height() const { return h; }
    // Direct pixel access (Cairo's native 0xAARRGGBB, premultiplied).
    std::uint32_t* row(int y);
    void markDirty();
    bool save(const std::string& path) const;
private:
    cairo_surface_t* image;
    cairo_t* cr;
    int w, h;
};

// An opaque colour as a pixel of an RGB24 or ARGB32 canvas.
std::uint32_t packOpaque(Rgb c);

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

// Selects DejaVu Sans (bold or not) and returns the largest size, at most
// maxSize, at which `text` fits into maxWidth × maxHeight.
double fitFont(cairo_t* cr, const std::string& text, double maxWidth, double maxHeight,
               double maxSize, bool bold = true, const char* family = "DejaVu Sans");
// Draws `text` centred on (cx, cy) with the current font, by its ink extents.
void centredText(cairo_t* cr, const std::string& text, double cx, double cy);
// As centredText, with a soft dark shadow offset by `shadow` pixels.
void shadowedText(cairo_t* cr, const std::string& text, double cx, double cy,
                  Rgb colour, double shadow);

// Declared first in main: on leaving main it frees Cairo's and fontconfig's
// static caches, so leak checkers (the sanitizer build) see a clean exit.
// Every canvas must be gone by then.
struct ReleaseCachesAtExit {
    ReleaseCachesAtExit() = default;
    ~ReleaseCachesAtExit();
    ReleaseCachesAtExit(const ReleaseCachesAtExit&) = delete;
    ReleaseCachesAtExit& operator=(const ReleaseCachesAtExit&) = delete;
};

// mkdir -p; true when the directory exists afterwards.
bool makeDirectories(const std::string& path);

}  // namespace paint
