// Writes small test images through DevIL (PNGs in the colour layout asked
// for, JPEG, BMP, TGA), and bare headers that claim any size (for the
// loaders' size guard).
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace support {

struct Colour {
    unsigned char r, g, b, a;
};

// Lets GoogleTest show a colour in failure messages.
inline void PrintTo(const Colour& c, std::ostream* os)
{
    *os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

inline constexpr Colour red{255, 0, 0, 255};
inline constexpr Colour green{0, 255, 0, 255};
inline constexpr Colour blue{0, 0, 255, 255};
inline constexpr Colour white{255, 255, 255, 255};
inline constexpr Colour black{0, 0, 0, 255};

// The PNG colour layout of the file (8 bits a channel). Grey files keep only
// the red channel of each colour (give grey levels); Palette files hold at
// most 256 distinct colours (RGB only).
enum class PngFormat { Rgb, Rgba, Grey, Palette };

using PixelFunction = std::function<Colour(int x, int y)>;   // y = 0 is the top row

// Writes a PNG; returns false (and records a test failure) if it cannot.
bool writePng(const std::string& path, int width, int height, PngFormat format,
              const PixelFunction& pixelAt);
// Top half (rows 0 .. height/2 - 1) one colour, the rest another.
bool writeTwoBandPng(const std::string& path, int width, int height, PngFormat format,
                     Colour top, Colour bottom);
// An 8-bit RGB file of DevIL's type (IL_JPG, IL_BMP, IL_TGA, ...) written
// through DevIL (calls ilInit itself). JPEG is lossy: compare colours with a
// tolerance.
bool writeWithDevil(const std::string& path, unsigned type, int width, int height,
                    const PixelFunction& pixelAt);
bool writeJpeg(const std::string& path, int width, int height, const PixelFunction& pixelAt);

// The bytes of a PNG signature and IHDR chunk claiming width x height
// (8-bit RGB), followed by a tiny IDAT and IEND: what a hostile file looks
// like before a decoder allocates.
std::string pngHeaderBytes(unsigned width, unsigned height);
// SOI, a JFIF APP0 segment and a baseline SOF0 claiming width x height
// (3 components), followed by EOI.
std::string jpegHeaderBytes(unsigned width, unsigned height);

}  // namespace support
