// Writes small test images through DevIL, and bare headers that claim any
// size: what a hostile file looks like before a decoder allocates.
#pragma once

#include <functional>
#include <string>

namespace support {

struct Colour { unsigned char r, g, b, a; };

inline constexpr Colour red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};
inline constexpr Colour white{255, 255, 255, 255}, black{0, 0, 0, 255};

// 8 bits a channel. Grey holds each colour's luminance; Palette at most 256 colours.
enum class PngFormat { Rgb, Rgba, Grey, Palette };

using PixelFunction = std::function<Colour(int x, int y)>;   // y = 0 is the top row

// Each writer returns false, and records a test failure, when it cannot write.
// DevIL's file type (IL_PNG, IL_JPG, IL_BMP, IL_TGA; JPEG is lossy); layouts other
// than Rgb are for PNG only.
bool writeWithDevil(const std::string& path, unsigned type, int width, int height,
                    const PixelFunction& pixelAt, PngFormat layout = PngFormat::Rgb);
// A PNG with rows 0 .. height/2 - 1 in top, the rest in bottom.
bool writeTwoBandPng(const std::string& path, int width, int height, PngFormat format,
                     Colour top, Colour bottom);

// A PNG signature and IHDR chunk (8-bit RGB).
std::string pngHeaderBytes(unsigned width, unsigned height);

}  // namespace support
