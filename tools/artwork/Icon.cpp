// The application icon: a tile of sky over a street of houses whose walls
// are photos. Drawn with vector operations only, so one painter serves the
// PNG sizes and the scalable SVG alike.
#include <cairo-svg.h>

#include "Artwork.h"

namespace artwork {
namespace {

using paint::Rgb;
using paint::fromHex;

struct IconHouse {
    double x, width, height;   // in units of a 100-unit icon; bottom at the street
    Rgb roof, photoSky, photoGround;
};

const IconHouse iconHouses[] = {
    {10, 22, 34, fromHex(0xc8372d), fromHex(0x8ec5ff), fromHex(0x4f9a3a)},
    {38, 24, 50, fromHex(0x2f6fd0), fromHex(0xffc27a), fromHex(0x6a8f2e)},
    {68, 22, 40, fromHex(0x7a3fb0), fromHex(0xa8e0ff), fromHex(0x3f7f46)},
};

void drawHouse(cairo_t* cr, const IconHouse& house, double street)
{
    const double top = street - house.height;
    // The wall is a photo: sky, a sun and a hill.
    cairo_rectangle(cr, house.x, top, house.width, house.height);
    paint::setColour(cr, house.photoSky);
    cairo_fill(cr);
    cairo_arc(cr, house.x + house.width * 0.7, top + house.height * 0.3, house.width * 0.12, 0, 6.2832);
    paint::setColour(cr, fromHex(0xffe066));
    cairo_fill(cr);
    cairo_move_to(cr, house.x, street);
    cairo_curve_to(cr, house.x + house.width * 0.3, top + house.height * 0.5, house.x + house.width * 0.7,
                   top + house.height * 0.6, house.x + house.width, top + house.height * 0.65);
    cairo_line_to(cr, house.x + house.width, street);
    cairo_close_path(cr);
    paint::setColour(cr, house.photoGround);
    cairo_fill(cr);
    cairo_rectangle(cr, house.x, top, house.width, house.height);
    paint::setColour(cr, fromHex(0xffffff));
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    cairo_move_to(cr, house.x - 3, top);
    cairo_line_to(cr, house.x + house.width / 2, top - house.width * 0.45);
    cairo_line_to(cr, house.x + house.width + 3, top);
    cairo_close_path(cr);
    paint::setColour(cr, house.roof);
    cairo_fill(cr);
}

}  // namespace

void paintIcon(cairo_t* cr, double size)
{
    cairo_save(cr);
    cairo_scale(cr, size / 100.0, size / 100.0);
    paint::roundedRect(cr, 2, 2, 96, 96, 16);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 100);
    cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.30, 0.55, 0.90);
    cairo_pattern_add_color_stop_rgb(sky, 0.7, 0.70, 0.85, 1.00);
    cairo_set_source(cr, sky);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(sky);
    cairo_clip(cr);
    constexpr double street = 80.0;
    cairo_rectangle(cr, 0, street, 100, 20);
    paint::setColour(cr, fromHex(0x3a3d42));
    cairo_fill(cr);
    cairo_rectangle(cr, 6, street + 9, 88, 2);
    paint::setColour(cr, fromHex(0xf2f2f2));
    cairo_fill(cr);
    for (const IconHouse& house : iconHouses)
        drawHouse(cr, house, street);
    cairo_restore(cr);
}

bool saveIconSvg(const std::string& path, double size)
{
    cairo_surface_t* surface = cairo_svg_surface_create(path.c_str(), size, size);
    cairo_t* cr = cairo_create(surface);
    paintIcon(cr, size);
    const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const bool written = ok && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

}  // namespace artwork
