// libvips as both programs use it for photos: started once per process with
// every loader blocked but those of the kinds the gate admits, so that no
// call can probe a file into a loader nobody meant to run (the FITS one
// crashes on a BMP), and photos opened by the loader of their kind.
#pragma once

#include <vips/vips.h>

#include <string>

#include "photos/PhotoGate.h"

// Starts libvips once for the process; false when GLib cannot start it.
// Safe to call from several threads and more than once.
bool startVipsForPhotos(const char* programName);

// Opens a photo that passed the gate with its kind's loader, from the
// descriptor the gate read (never by its path), lazily (only the header is
// read) and for one top-to-bottom pass. A JPEG is shrunk on load by
// jpegShrink (1, 2, 4 or 8). failOnTruncated refuses damaged data instead
// of decoding what is there. nullptr when the loader refuses it, or when
// the size it reads is not the gate's (problem then says so, before any
// pixel is decoded); the libvips error is cleared either way.
VipsImage* openPhoto(int fd, const PhotoHeader& header, int jpegShrink, bool failOnTruncated,
                     std::string* problem = nullptr);
