// The gallery's rules that need no window: the caption text, the size of a
// photo on screen, the zoom step and the slideshow countdown.
#pragma once

#include <string>

// The bitmap font draws one glyph per byte, Latin-1. Characters it has show
// as themselves; a letter with a mark it lacks as the bare letter, a
// typographic dash or quote as its ASCII look; any other character, and
// every byte that is not UTF-8, as one '?'.
std::string fontGlyphs(const std::string& utf8);

// "(k\count) :  " and the photo's path in font glyphs. A path too long for
// the caption bar keeps its end, the file's name, behind "...".
std::string galleryCaption(int photoNumber, int photoCount, const std::string& path);

// How far the unit quad is stretched: a portrait photo fills the view's
// height of 6 units at zoom 1, any other photo its width of 8.
struct PictureScale {
    float x = 0.0f;
    float y = 0.0f;
};
PictureScale pictureScale(int width, int height, float zoom);

// How far a zoomed photo is moved from the view's centre, in view units.
struct PicturePan {
    float x = 0.0f;
    float y = 0.0f;
};
// The pan kept so that no edge of a photo of this scale comes inside the
// 8 x 6 view: a photo that fits on an axis stays centred on it.
PicturePan clampPan(PicturePan pan, PictureScale scale);

// The photo reaches the screen as a 1024-texel square: at 8 times the fit
// in the first 1024-pixel window a texel covers 8 screen pixels, which
// still shows its neighbours' detail; beyond that it is flat colour. Below
// a quarter of the view a photo is too small to make out.
constexpr float minZoom = 0.25f;
constexpr float maxZoom = 8.0f;
// One frame of a held arrow: direction +1 zooms in by (1 + 3 dt), -1 out by
// the same factor, 0 keeps the zoom. The result stays within the bounds.
float nextZoom(float zoom, int direction, double dt);
// The wheel's notches: each in (+) or out (-) by the cube root of 2, so
// three double the size; within the bounds.
float wheelZoom(float zoom, int notches);
// The pan that keeps the photo's point under `point` (view units from the
// centre) where it is while the zoom goes from `zoom` to `newZoom`.
PicturePan panAround(PicturePan pan, PicturePan point, float zoom, float newZoom);

// The digit shown while the slideshow runs: 6 right after a change, 0 in
// the last half second before the next one.
int countdownDigit(float clock);

// The line the gallery shows in place of a photo it cannot show, in font
// glyphs: missing, refused for its size, or anything else that stops its
// decode (reason as the loader gave it).
std::string photoProblemLine(bool missing, const std::string& reason, const std::string& path);
