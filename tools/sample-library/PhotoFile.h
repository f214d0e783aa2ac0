// Writes a painted canvas as a camera-style JPEG: the EXIF block (capture
// dates and orientation) built with libexif, the pixels compressed with
// libjpeg.
#pragma once

#include <string>

#include "../artwork/Paint.h"

namespace sample {

// EXIF orientation tags the writer can store: 1 as painted, 6 as a camera
// held upright stores a portrait (turned a quarter to the left, so a viewer
// must turn it a quarter to the right).
constexpr int orientationUpright = 1, orientationTurnRight = 6;

// `dateTime` is EXIF's "YYYY:MM:DD HH:MM:SS" in local time; the canvas holds
// the upright picture and is stored turned as `orientation` says.
bool writePhoto(paint::Canvas& upright, int orientation, const std::string& dateTime,
                const std::string& path);

}  // namespace sample
