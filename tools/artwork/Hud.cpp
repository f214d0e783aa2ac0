// Images of the flat overlays: the compass, the key help, the translucent
// panel of the status strip and selection, and the gallery's caption bar.
// All carry alpha; the viewer tints them further when it draws them.
#include <cmath>

#include "Artwork.h"

namespace artwork {
namespace {

using paint::Canvas;
using paint::Rgb;

const Rgb panelTop{0.10, 0.16, 0.30};
const Rgb panelBottom{0.03, 0.05, 0.12};
const Rgb accent{0.55, 0.75, 1.0};

// The rounded dark-blue panel of the help and the selection, inset by
// `inset` pixels, with a light-blue frame.
void framedPanel(Canvas& canvas, double inset, double radius, double alphaTop, double alphaBottom,
                 double frameWidth)
{
    cairo_t* cr = canvas.context();
    const double w = canvas.width(), h = canvas.height();
    paint::roundedRect(cr, inset, inset, w - 2 * inset, h - 2 * inset, radius);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, inset, 0, h - inset);
    cairo_pattern_add_color_stop_rgba(g, 0, panelTop.r, panelTop.g, panelTop.b, alphaTop);
    cairo_pattern_add_color_stop_rgba(g, 1, panelBottom.r, panelBottom.g, panelBottom.b, alphaBottom);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
    cairo_fill_preserve(cr);
    paint::setColour(cr, accent, 0.85);
    cairo_set_line_width(cr, frameWidth);
    cairo_stroke(cr);
}

// One point of the compass star, split lengthwise into a lit and a shaded half.
void starPoint(cairo_t* cr, double angle, double length, double width, Rgb lit, Rgb shade)
{
    const double tipX = std::sin(angle) * length, tipY = -std::cos(angle) * length;
    const double sideX = std::cos(angle) * width, sideY = std::sin(angle) * width;
    for (int half = 0; half < 2; ++half) {
        const double s = half == 0 ? -1 : 1;
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, tipX, tipY);
        cairo_line_to(cr, s * sideX, s * sideY);
        cairo_close_path(cr);
        paint::setColour(cr, half == 0 ? lit : shade);
        cairo_fill_preserve(cr);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
    }
}

// A key cap with its label; returns the width it took.
double keyCap(cairo_t* cr, const std::string& label, double x, double baseline)
{
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 11);
    cairo_text_extents_t ink;
    cairo_text_extents(cr, label.c_str(), &ink);
    const double w = std::fmax(17, ink.x_advance + 10), h = 16, top = baseline - 12;
    paint::roundedRect(cr, x, top + 1.5, w, h, 3.5);
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.7);
    cairo_fill(cr);
    paint::roundedRect(cr, x, top, w, h, 3.5);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, top, 0, top + h);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.97, 0.97, 1.0, 1);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.75, 0.78, 0.86, 1);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_set_source_rgb(cr, 0.1, 0.12, 0.2);
    cairo_move_to(cr, x + (w - ink.x_advance) / 2, baseline);
    cairo_show_text(cr, label.c_str());
    return w;
}

double plainText(cairo_t* cr, const std::string& text, double x, double baseline, Rgb colour,
                 double size, bool bold)
{
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    paint::setColour(cr, colour);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text.c_str());
    cairo_text_extents_t ink;
    cairo_text_extents(cr, text.c_str(), &ink);
    return ink.x_advance;
}

// "[Tab] or [M]": bracketed parts become key caps, the rest small grey text.
void keyLine(cairo_t* cr, const std::string& keys, double x, double baseline)
{
    std::size_t at = 0;
    while (at < keys.size()) {
        if (keys[at] == '[') {
            const std::size_t end = keys.find(']', at + 1);
            x += keyCap(cr, keys.substr(at + 1, end - at - 1), x, baseline) + 3;
            at = end + 1;
        } else {
            std::size_t end = keys.find('[', at);
            if (end == std::string::npos)
                end = keys.size();
            x += plainText(cr, keys.substr(at, end - at), x, baseline, {0.72, 0.78, 0.9}, 10.5, false);
            at = end;
        }
    }
}

}  // namespace

void paintCompass(Canvas& canvas)
{
    cairo_t* cr = canvas.context();
    const double size = canvas.width(), c = size / 2, r = size / 2 - 4;
    cairo_translate(cr, c, c);
    cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
    cairo_pattern_t* g = cairo_pattern_create_radial(0, -r * 0.3, 0, 0, 0, r);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.2, 0.28, 0.45, 0.75);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.03, 0.05, 0.12, 0.8);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    for (int tick = 0; tick < 72; ++tick) {  // every 5 degrees, longer every 45
        const double a = tick * M_PI / 36;
        const double inner = tick % 9 == 0 ? r - 10 : (tick % 3 == 0 ? r - 7 : r - 4.5);
        cairo_move_to(cr, std::sin(a) * inner, -std::cos(a) * inner);
        cairo_line_to(cr, std::sin(a) * (r - 1.5), -std::cos(a) * (r - 1.5));
        cairo_set_line_width(cr, tick % 9 == 0 ? 2 : 1);
        cairo_stroke(cr);
    }
    const Rgb silver{0.92, 0.93, 0.96}, steel{0.55, 0.58, 0.66};
    for (int point = 1; point < 8; point += 2)
        starPoint(cr, point * M_PI / 4, r * 0.42, 6, silver, steel);
    for (int point = 0; point < 4; ++point) {
        const bool north = point == 0;
        starPoint(cr, point * M_PI / 2, r * 0.62, 9, north ? Rgb{1.0, 0.35, 0.25} : silver,
                  north ? Rgb{0.7, 0.1, 0.08} : steel);
    }
    cairo_arc(cr, 0, 0, 3.5, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.95, 0.8, 0.3);
    cairo_fill(cr);
    const char* letters[] = {"N", "E", "S", "W"};
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 15);
    for (int i = 0; i < 4; ++i) {
        const double a = i * M_PI / 2, d = r - 19;
        paint::shadowedText(cr, letters[i], std::sin(a) * d, -std::cos(a) * d,
                            i == 0 ? Rgb{1.0, 0.45, 0.35} : Rgb{1, 1, 1}, 1);
    }
}

void paintHelp(Canvas& canvas, const std::vector<HelpSection>& sections)
{
    cairo_t* cr = canvas.context();
    const double w = canvas.width();
    framedPanel(canvas, 6, 22, 0.86, 0.92, 2);

    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 20);
    paint::shadowedText(cr, "Zandervale  \xC2\xB7  keys", w / 2, 30, {1.0, 0.85, 0.4}, 1.5);
    double y = 50;
    for (const HelpSection& section : sections) {
        if (y > 50)
            y += 12;
        plainText(cr, section.heading, 24, y + 14, {0.65, 0.82, 1.0}, 12.5, true);
        paint::setColour(cr, accent, 0.5);
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, 24, y + 19.5);
        cairo_line_to(cr, w - 24, y + 19.5);
        cairo_stroke(cr);
        y += 22;
        // 17 pixels a line leave the panel's frame clear below the last.
        for (const HelpEntry& entry : section.entries) {
            y += 17;
            keyLine(cr, entry.keys, 28, y);
            plainText(cr, entry.action, 222, y, {0.96, 0.96, 0.98}, 12, false);
        }
    }
}

void paintPanel(Canvas& canvas)
{
    cairo_t* cr = canvas.context();
    framedPanel(canvas, 2, 16, 0.78, 0.88, 2.5);
    // A faint mat where the selection panel puts its picture preview.
    paint::roundedRect(cr, 58, 144, 140, 108, 5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.10);
    cairo_fill_preserve(cr);
    paint::setColour(cr, accent, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void paintCaptionBar(Canvas& canvas)
{
    cairo_t* cr = canvas.context();
    const double w = canvas.width(), h = canvas.height();
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, w, 0);
    cairo_pattern_add_color_stop_rgba(g, 0, panelBottom.r, panelBottom.g, panelBottom.b, 0.92);
    cairo_pattern_add_color_stop_rgba(g, 0.8, panelTop.r, panelTop.g, panelTop.b, 0.8);
    cairo_pattern_add_color_stop_rgba(g, 1, panelTop.r, panelTop.g, panelTop.b, 0.35);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
    paint::roundedRect(cr, -12, 1, w + 12 - 1, h + 12, 10);
    cairo_fill(cr);
    paint::setColour(cr, accent, 0.9);
    cairo_rectangle(cr, 0, 1, w - 10, 1.5);
    cairo_fill(cr);
}

}  // namespace artwork
