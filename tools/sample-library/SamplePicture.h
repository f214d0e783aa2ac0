// Paints one generated "photo" of the sample library: a landscape whose sky,
// season, hills, houses and trees follow from the picture's number and date,
// with the date written on it.
#pragma once

#include <string>

#include "../artwork/Paint.h"
#include "LibraryPlan.h"

namespace sample {

// Draws the picture over the whole canvas, whatever its size (a canvas of
// another shape than 4:3 shows the middle of the scene); the date label is
// sized for the canvas so it stays legible on a 128 × 96 thumbnail.
void paintPicture(paint::Canvas& canvas, const PlannedPicture& picture);

// "14 July 2005" for the originals, "14.7.2005" for the thumbnails.
std::string longDate(const PlannedPicture& picture);
std::string shortDate(const PlannedPicture& picture);

}  // namespace sample
