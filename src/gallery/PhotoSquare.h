// A photo decoded into the gallery's square, inside a decoder process: a
// JPEG by libjpeg-turbo at the smallest power-of-two scale that still
// covers the square, filtered to it with a Lanczos kernel as its rows come;
// other kinds, and CMYK JPEGs, through libvips the same way; a camera RAW
// by its preview. The square is turned upright by the EXIF orientation.
#pragma once

#include "gallery/PhotoLoader.h"
#include "photos/PhotoGate.h"

// The photo open as fd, whose header the gate read and passed (a RAW-named
// one is asked of LibRaw first and gated here by its content when LibRaw
// does not take it). Needs libvips started by startVipsForPhotos.
DecodedPhoto decodePhotoSquare(int fd, const PhotoHeader& header, bool rawName, int side);
