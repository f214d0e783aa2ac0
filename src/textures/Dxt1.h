// S3TC DXT1 blocks for the thumbnails: 4 x 4 texels in 8 bytes, made on the
// worker threads so that an atlas holds a photo in an eighth of its RGBA
// size and the GL samples it without unpacking.
#pragma once

#include <cstddef>
#include <vector>

constexpr int dxt1BlockSide = 4;
constexpr int dxt1BlockBytes = 8;

// The blocks of RGBA texels (alpha ignored), rows top first, width and
// height whole multiples of 4; blocks in rows, left to right.
std::vector<unsigned char> encodeDxt1(const unsigned char* rgba, int width, int height);
// The RGBA texels (alpha 255) that the blocks stand for, as a GL samples them.
std::vector<unsigned char> decodeDxt1(const unsigned char* blocks, int width, int height);

// Peak signal to noise in dB over the red, green and blue of two RGBA
// images of the same texel count; infinity when they are equal.
double peakSignalToNoise(const unsigned char* rgbaA, const unsigned char* rgbaB, size_t texels);
