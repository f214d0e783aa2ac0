// Street banners (a year or a month on a framed board) and the welcome board
// at the city's entrance.
#include <cmath>

#include "Artwork.h"

namespace artwork {
namespace {

using paint::Canvas;
using paint::Rgb;

void verticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom)
{
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

void bolt(cairo_t* cr, double x, double y)
{
    cairo_arc(cr, x, y, 1.8, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.85, 0.85, 0.8);
    cairo_fill(cr);
    cairo_arc(cr, x + 0.4, y + 0.4, 0.9, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.45, 0.45, 0.42);
    cairo_fill(cr);
}

// A little house for the welcome board's skyline: walls, roof, door, window.
struct LittleHouse {
    double x, width, height;
    std::uint32_t wall, roof;
};

void littleHouse(cairo_t* cr, const LittleHouse& h, double ground)
{
    const double top = ground - h.height;
    paint::setColour(cr, paint::fromHex(h.wall));
    cairo_rectangle(cr, h.x, top, h.width, h.height);
    cairo_fill(cr);
    paint::setColour(cr, paint::fromHex(h.roof));
    cairo_move_to(cr, h.x - 6, top + 1);
    cairo_line_to(cr, h.x + h.width / 2, top - h.width * 0.45);
    cairo_line_to(cr, h.x + h.width + 6, top + 1);
    cairo_close_path(cr);
    cairo_fill(cr);
    paint::setColour(cr, paint::fromHex(0x5b3a24));  // door
    cairo_rectangle(cr, h.x + h.width * 0.18, ground - h.height * 0.42, h.width * 0.22, h.height * 0.42);
    cairo_fill(cr);
    paint::setColour(cr, paint::fromHex(0xfff3b0));  // lit window
    cairo_rectangle(cr, h.x + h.width * 0.55, top + h.height * 0.22, h.width * 0.28, h.height * 0.26);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

// Picture frames on sticks: the city is built from photos.
void photoFrame(cairo_t* cr, double cx, double cy, double w, double h, double tilt, Rgb picture)
{
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, tilt);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    cairo_rectangle(cr, -w / 2 + 3, -h / 2 + 3, w, h);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.99, 0.99, 0.97);
    cairo_rectangle(cr, -w / 2, -h / 2, w, h);
    cairo_fill(cr);
    paint::setColour(cr, picture);
    cairo_rectangle(cr, -w / 2 + 4, -h / 2 + 4, w - 8, h - 14);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1.0, 0.85, 0.3);
    cairo_arc(cr, w * 0.18, -h * 0.18, h * 0.1, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.25, 0.55, 0.25);
    cairo_move_to(cr, -w / 2 + 4, h / 2 - 10);
    cairo_curve_to(cr, -w * 0.2, -h * 0.05, w * 0.1, h * 0.1, w / 2 - 4, h / 2 - 18);
    cairo_line_to(cr, w / 2 - 4, h / 2 - 10);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
}

void woodPlank(cairo_t* cr, double x, double y, double w, double h, unsigned seed)
{
    verticalGradient(cr, y, y + h, paint::fromHex(0xb27a45), paint::fromHex(0x8a5a2e));
    paint::roundedRect(cr, x, y, w, h, 6);
    cairo_fill(cr);
    paint::Rng rng(seed);
    cairo_set_line_width(cr, 1.2);
    for (int line = 0; line < 7; ++line) {  // grain
        const double gy = y + rng.range(4, h - 4);
        cairo_move_to(cr, x + 6, gy);
        cairo_curve_to(cr, x + w * 0.3, gy + rng.range(-3, 3), x + w * 0.7, gy + rng.range(-3, 3),
                       x + w - 6, gy + rng.range(-2, 2));
        cairo_set_source_rgba(cr, 0.35, 0.2, 0.08, 0.35);
        cairo_stroke(cr);
    }
}

}  // namespace

void paintBanner(Canvas& canvas, const std::string& text, const BannerStyle& style)
{
    cairo_t* cr = canvas.context();
    // Banners and labels are shown five times as wide as high: draw on a
    // page of that shape and squeeze it into the image.
    const double h = canvas.height(), w = h * 5;
    cairo_save(cr);
    cairo_scale(cr, canvas.width() / w, 1);
    paint::setColour(cr, paint::scale(style.frame, 0.55));
    cairo_paint(cr);
    verticalGradient(cr, 2, h - 2, style.top, style.bottom);
    paint::roundedRect(cr, 1.5, 1.5, w - 3, h - 3, 4);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.5);
    paint::setColour(cr, style.frame);
    paint::roundedRect(cr, 3.5, 3.5, w - 7, h - 7, 3);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);  // sheen on the upper half
    cairo_rectangle(cr, 5, 5, w - 10, (h - 10) * 0.45);
    cairo_fill(cr);
    bolt(cr, 9, h / 2);
    bolt(cr, w - 9, h / 2);
    paint::fitFont(cr, text, w - 40, h - 12, 22);
    paint::shadowedText(cr, text, w / 2, h / 2, style.text, 1.2);
    cairo_restore(cr);
}

void paintTitle(Canvas& canvas)
{
    cairo_t* cr = canvas.context();
    const double w = canvas.width();
    // The image is shown 10 wide and 12 high: draw on a page of that shape
    // and squeeze it, so the board looks right once it is stretched back.
    const double h = w * 1.2;
    cairo_save(cr);
    cairo_scale(cr, 1, canvas.height() / h);

    verticalGradient(cr, 0, h, paint::fromHex(0x6fb7ee), paint::fromHex(0xdff1fb));
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1.0, 0.86, 0.3);  // sun
    cairo_arc(cr, w * 0.82, h * 0.12, 34, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.85);  // clouds
    for (const auto& c : {std::make_pair(0.18, 0.1), std::make_pair(0.56, 0.07)})
        for (int puff = 0; puff < 4; ++puff) {
            cairo_arc(cr, w * c.first + puff * 20, h * c.second + (puff % 2) * 6, 17 + (puff % 2) * 5, 0, 2 * M_PI);
            cairo_fill(cr);
        }

    // Hills and the little town along the bottom.
    cairo_set_source_rgb(cr, 0.45, 0.72, 0.35);
    cairo_move_to(cr, 0, h * 0.80);
    cairo_curve_to(cr, w * 0.3, h * 0.70, w * 0.6, h * 0.84, w, h * 0.74);
    cairo_line_to(cr, w, h);
    cairo_line_to(cr, 0, h);
    cairo_fill(cr);
    const LittleHouse houses[] = {
        {30, 54, 44, 0xf2b84b, 0xc0392b}, {112, 40, 58, 0x86c5da, 0x34495e},
        {186, 60, 40, 0xf5e6c8, 0xd35400}, {286, 46, 52, 0xe59aa6, 0x7d3c98},
        {364, 56, 42, 0xb6d7a8, 0xa04000}, {446, 40, 34, 0xf7dc6f, 0x2e86c1},
    };
    for (const LittleHouse& house : houses)
        littleHouse(cr, house, h * 0.86);
    cairo_set_source_rgb(cr, 0.33, 0.6, 0.27);
    cairo_rectangle(cr, 0, h * 0.86, w, h * 0.14);
    cairo_fill(cr);

    // The board itself: a wooden plank on two posts.
    cairo_set_source_rgb(cr, 0.45, 0.28, 0.12);
    cairo_rectangle(cr, w * 0.2 - 10, h * 0.3, 20, h * 0.62);
    cairo_rectangle(cr, w * 0.8 - 10, h * 0.3, 20, h * 0.62);
    cairo_fill(cr);
    woodPlank(cr, 28, h * 0.20, w - 56, h * 0.40, 5);
    cairo_set_line_width(cr, 5);
    cairo_set_source_rgb(cr, 0.42, 0.25, 0.1);
    paint::roundedRect(cr, 28, h * 0.20, w - 56, h * 0.40, 6);
    cairo_stroke(cr);

    cairo_select_font_face(cr, "DejaVu Serif", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 38);
    paint::shadowedText(cr, "Welcome to", w / 2, h * 0.27, paint::fromHex(0xfff6d8), 2);
    paint::fitFont(cr, "Zandervale", w - 110, 100, 92);
    paint::shadowedText(cr, "Zandervale", w / 2, h * 0.385, paint::fromHex(0xffd24a), 4);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 24);
    paint::shadowedText(cr, "the city of your photos", w / 2, h * 0.48, paint::fromHex(0xfff6d8), 2);
    cairo_set_font_size(cr, 18);
    paint::shadowedText(cr, "one street for every year", w / 2, h * 0.535, paint::fromHex(0xf3e2c0), 1.5);
    paint::shadowedText(cr, "a house for each quarter of a month", w / 2, h * 0.57, paint::fromHex(0xf3e2c0), 1.5);

    // Three snapshots hang from the board on cords.
    const double photoX[] = {w * 0.3, w * 0.5, w * 0.7}, tilt[] = {-0.06, 0.03, 0.07};
    const std::uint32_t photoSky[] = {0x9fd3f0, 0xf6c58c, 0xc4e3b0};
    for (int i = 0; i < 3; ++i) {
        cairo_set_source_rgb(cr, 0.3, 0.2, 0.1);
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, photoX[i] - 22, h * 0.6);
        cairo_line_to(cr, photoX[i] - 22, h * 0.64);
        cairo_move_to(cr, photoX[i] + 22, h * 0.6);
        cairo_line_to(cr, photoX[i] + 22, h * 0.64);
        cairo_stroke(cr);
        photoFrame(cr, photoX[i], h * 0.675, 76, 58, tilt[i], paint::fromHex(photoSky[i]));
    }
    cairo_restore(cr);
}

}  // namespace artwork
