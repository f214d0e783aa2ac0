// The painters of the viewer's artwork images, one per kind of image, and
// the styles that tell the variants of a kind apart. Each painter fills a
// whole canvas of the size its file name carries.
#pragma once

#include <string>
#include <vector>

#include "Paint.h"

namespace artwork {

struct GrassStyle {
    paint::Rgb dark, light;        // the range of the ground colour
    paint::Rgb bladeDark, bladeLight;
    int blades;                    // blade count over the whole tile
    double bladeLength;            // pixels
    double lean;                   // 0: blades point every way; 1: all one way
    int flowerKind;                // 0 none, 1 daisies, 2 dandelions, 3 clover
    int flowers;
    double drySoil;                // share of bare, dry patches, 0 .. 1
    unsigned seed;
};

// Ground textures; all tile seamlessly in both directions except the
// crossing, which is shown once per crossing.
void paintGrass(paint::Canvas& canvas, const GrassStyle& style);
// Road piece: length along the image's x axis (tiles left to right), the
// street's width along y, kerbs at the top and bottom edges.
void paintStreet(paint::Canvas& canvas);
void paintCrossing(paint::Canvas& canvas);

struct BannerStyle {
    paint::Rgb top, bottom;        // board gradient
    paint::Rgb frame, text;
};

// A street banner board with its text (a year or a month name).
void paintBanner(paint::Canvas& canvas, const std::string& text, const BannerStyle& style);
// The welcome board at the entrance; shown on a plate 10 wide and 12 high.
void paintTitle(paint::Canvas& canvas);

struct HelpEntry {
    std::string keys;              // "[W] / [S]": bracketed parts become key caps
    std::string action;
};
struct HelpSection {
    std::string heading;
    std::vector<HelpEntry> entries;
};

void paintCompass(paint::Canvas& canvas);
void paintHelp(paint::Canvas& canvas, const std::vector<HelpSection>& sections);
// Translucent panel behind the status strip and the selection panel.
void paintPanel(paint::Canvas& canvas);
// Caption bar under the gallery's photo caption.
void paintCaptionBar(paint::Canvas& canvas);

// The application icon, size pixels square, on any Cairo surface; and the
// same as a scalable SVG file.
void paintIcon(cairo_t* cr, double size);
bool saveIconSvg(const std::string& path, double size);

}  // namespace artwork
