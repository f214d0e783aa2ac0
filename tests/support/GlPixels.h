// Reads back what a GL test drew. Read before glutSwapBuffers: the back
// buffer holds the frame, the front buffer reads as zeros under Xvfb.
#pragma once

#include "support/ImageFiles.h"   // Colour

namespace support {

// One pixel of GL_BACK in window coordinates (origin bottom-left); alpha 255.
Colour readPixel(int x, int y);
// True when every channel of a and b differs by at most tolerance.
bool nearColour(Colour a, Colour b, int tolerance = 8);

}  // namespace support
