// The header readers of the kinds libvips decodes for us (GIF, TIFF,
// HEIF/AVIF, WebP): the size the decoder will make and what each pixel of
// it holds, read without decoding and with every offset checked, since the
// files come from anywhere.
#pragma once

#include "photos/PhotoGate.h"

// Each returns a header of its kind; sizeKnown is false where the header
// cannot be read. The signature has been checked by the caller.
PhotoHeader readGifHeader(const ByteReader& read);
PhotoHeader readTiffHeader(const ByteReader& read);
PhotoHeader readHeifHeader(const ByteReader& read);
PhotoHeader readWebpHeader(const ByteReader& read);

// An ISO media file whose brands name a HEIF still image (HEIC or AVIF),
// not a video: brands is the ftyp box's content after its type.
bool heifBrands(const unsigned char* ftyp, size_t size);
