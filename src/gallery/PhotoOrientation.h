// Turning a photo upright by its EXIF orientation (1 to 8), which the image
// library ignores. The gallery scales every photo to a square first, so all
// eight orientations are a remapping of the same square of pixels.
#pragma once

#include <vector>

// The orientation tag of the file's main image, 1 (as stored) when the file
// has none or an invalid one.
int exifOrientation(const char* path);
// The same, read from the photo open as fd.
int exifOrientation(int fd);

// Orientations 5 to 8 turn the photo by a quarter: its upright width is the
// stored height.
bool swapsSides(int orientation);

// The upright pixels of a side x side RGB square stored top row first.
std::vector<unsigned char> orientSquare(const unsigned char* rgb, int side, int orientation);
// The same, turning the square upright where it lies.
void orientSquareInPlace(unsigned char* rgb, int side, int orientation);
