// A JPEG decoded straight into the gallery's square: libjpeg-turbo's scaled
// decode, filtered down (or up) with a Lanczos 3 kernel row by row as the
// rows come, so that nothing larger than the square and a few rows of the
// photo is ever held. Safe on any thread.
#pragma once

#include <cstdint>

enum class JpegSquareResult { Decoded, Broken, Unsupported, TwoSizes };

// Fills rgb, side x side RGB with the top row first, from the JPEG open as
// fd decoded at 1/shrink of its size (1, 2, 4 or 8). Broken: the file is not
// a whole JPEG; Unsupported: a JPEG this path does not convert (CMYK);
// TwoSizes: its frame is not the width x height the gate read, found
// before any pixel is decoded.
JpegSquareResult decodeJpegSquare(int fd, uint32_t width, uint32_t height, int shrink, int side,
                                  unsigned char* rgb);
