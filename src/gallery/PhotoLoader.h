// How the gallery gets its photos: a decode step that reads a file into
// upright pixels without touching GL (so it may run on another thread), and
// the texture steps that must run where the GL context is current. Tests put
// a loader of their own in its place.
#pragma once

#include <string>
#include <vector>

#include "textures/TextureName.h"

struct DecodedPhoto {
    enum Outcome { Decoded, NotFound, Refused };
    Outcome outcome = NotFound;
    std::string reason;                 // why a photo was refused
    int width = 0;                      // the upright photo's size in pixels
    int height = 0;
    int side = 0;                       // the pixels: side x side RGB, top row first
    std::vector<unsigned char> pixels;
};

class PhotoLoader {
public:
    virtual ~PhotoLoader() = default;
    virtual DecodedPhoto decode(const std::string& path) = 0;
    // Decoding ahead: the photos the caller will ask for soon, the most
    // urgent first. A loader may decode them now, away from the caller's
    // thread, and hand each result to a later decode of its path; what it
    // holds for any other path it may drop. ready: whether decode(path)
    // would return without decoding. A loader that never decodes ahead is
    // always ready: the caller's frame decodes.
    virtual void prefetch(const std::vector<std::string>&) {}
    virtual bool ready(const std::string&) { return true; }
    // ready, waiting at most that long for the photo to become ready.
    virtual bool awaitReady(const std::string& path, double) { return ready(path); }
    // A new texture holding a decoded photo (never 0).
    virtual TextureName upload(const DecodedPhoto& photo) = 0;
    virtual void release(TextureName texture) = 0;
};
