// Reads back what a GL test drew, from the framebuffer object the GL tests'
// main binds for the whole run (no other window can cover it).
#pragma once

#include "support/ImageFiles.h"   // Colour

class PhotoAtlas;

namespace support {

// One pixel in window coordinates (origin bottom-left); alpha 255.
Colour readPixel(int x, int y);
// The colour a library picture draws with over the whole viewport, read at
// (128, 128): the middle of the GL tests' 256 x 256 window.
Colour drawnColour(const PhotoAtlas& photos, unsigned int picture);
// How many pixels of the rectangle are white (text drawn over the frame).
int whitePixels(int x, int y, int width, int height);
// True when every channel of a and b differs by at most tolerance.
bool nearColour(Colour a, Colour b, int tolerance = 8);

}  // namespace support
