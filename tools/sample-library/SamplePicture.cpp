// Generated landscapes for the sample library. The scene is laid out on a
// 1024 × 768 page and scaled to cover the canvas; only the date label is
// sized in the canvas's own pixels.
#include "SamplePicture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "calendar/Calendar.h"

namespace sample {
namespace {

using paint::Rgb;
using paint::Rng;

const double pageWidth = 1024, pageHeight = 768;

enum class Season { Winter, Spring, Summer, Autumn };
enum class Light { Day, Evening, Night };

Season seasonOf(int month)
{
    if (month == 12 || month <= 2)
        return Season::Winter;
    if (month <= 5)
        return Season::Spring;
    return month <= 8 ? Season::Summer : Season::Autumn;
}

struct Palette {
    Rgb skyTop, skyHorizon, sun;
    Rgb hillFar, hillNear, field;
    Rgb treeA, treeB;
    double shade;  // overall light on the land
};

Palette paletteFor(Season season, Light light, Rng& rng)
{
    Palette p{};
    switch (light) {
    case Light::Day:
        p.skyTop = paint::mix(paint::fromHex(0x2f7fd8), paint::fromHex(0x5aa0e8), rng.uniform());
        p.skyHorizon = paint::fromHex(0xcfe8fa);
        p.sun = paint::fromHex(0xfff3b0);
        p.shade = 1.0;
        break;
    case Light::Evening:
        p.skyTop = paint::fromHex(0x3b3f8f);
        p.skyHorizon = paint::mix(paint::fromHex(0xff9a4d), paint::fromHex(0xf7657a), rng.uniform());
        p.sun = paint::fromHex(0xffd36b);
        p.shade = 0.72;
        break;
    case Light::Night:
        p.skyTop = paint::fromHex(0x0b1030);
        p.skyHorizon = paint::fromHex(0x2c3a6e);
        p.sun = paint::fromHex(0xf4f1dc);
        p.shade = 0.42;
        break;
    }
    switch (season) {
    case Season::Winter:
        p.hillFar = paint::fromHex(0xc9d6e6); p.hillNear = paint::fromHex(0xf1f5fa);
        p.field = paint::fromHex(0xe4ecf4); p.treeA = paint::fromHex(0x2f5a44); p.treeB = paint::fromHex(0x6b5443);
        break;
    case Season::Spring:
        p.hillFar = paint::fromHex(0x7fb38a); p.hillNear = paint::fromHex(0x7cc25a);
        p.field = paint::fromHex(0x9ad36a); p.treeA = paint::fromHex(0xf4b6c8); p.treeB = paint::fromHex(0x5fae4a);
        break;
    case Season::Summer:
        p.hillFar = paint::fromHex(0x5f9a6a); p.hillNear = paint::fromHex(0x4f9a3a);
        p.field = paint::fromHex(0xe3c453); p.treeA = paint::fromHex(0x2f7a32); p.treeB = paint::fromHex(0x3d8f3a);
        break;
    case Season::Autumn:
        p.hillFar = paint::fromHex(0x9c8a63); p.hillNear = paint::fromHex(0xa8873a);
        p.field = paint::fromHex(0xc98d3c); p.treeA = paint::fromHex(0xd9622b); p.treeB = paint::fromHex(0xe8a33a);
        break;
    }
    return p;
}

void skyGradient(cairo_t* cr, const Palette& p, double horizon)
{
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, horizon);
    cairo_pattern_add_color_stop_rgb(g, 0, p.skyTop.r, p.skyTop.g, p.skyTop.b);
    cairo_pattern_add_color_stop_rgb(g, 1, p.skyHorizon.r, p.skyHorizon.g, p.skyHorizon.b);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
}

void sunOrMoon(cairo_t* cr, const Palette& p, Light light, Rng& rng)
{
    const double x = rng.range(120, 900), y = rng.range(90, light == Light::Evening ? 330 : 220);
    const double r = light == Light::Night ? 38 : 52;
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, r * 0.8, x, y, r * 3.2);
    cairo_pattern_add_color_stop_rgba(glow, 0, p.sun.r, p.sun.g, p.sun.b, 0.45);
    cairo_pattern_add_color_stop_rgba(glow, 1, p.sun.r, p.sun.g, p.sun.b, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    paint::setColour(cr, p.sun);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    if (light == Light::Night) {  // crescent: cut out by the sky colour
        paint::setColour(cr, paint::mix(p.skyTop, p.skyHorizon, y / 500));
        cairo_arc(cr, x + r * 0.45, y - r * 0.2, r * 0.9, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_set_source_rgba(cr, 1, 1, 0.9, 0.85);
        for (int star = 0; star < 90; ++star) {
            cairo_arc(cr, rng.range(0, pageWidth), rng.range(0, 420), rng.range(0.8, 2.2), 0, 2 * M_PI);
            cairo_fill(cr);
        }
    }
}

void clouds(cairo_t* cr, Light light, Rng& rng)
{
    const int count = rng.below(5);
    const double alpha = light == Light::Night ? 0.25 : 0.85;
    for (int c = 0; c < count; ++c) {
        const double x = rng.range(0, pageWidth), y = rng.range(60, 300), size = rng.range(28, 60);
        cairo_set_source_rgba(cr, 1, light == Light::Evening ? 0.85 : 1, light == Light::Evening ? 0.8 : 1, alpha);
        for (int puff = 0; puff < 5; ++puff) {
            cairo_arc(cr, x + (puff - 2) * size * 0.8, y - (puff % 2) * size * 0.45, size * (0.8 + 0.3 * (puff % 2)), 0,
                      2 * M_PI);
            cairo_fill(cr);
        }
    }
}

// A rolling hill line across the page; returns its height at each x step.
std::vector<double> hill(cairo_t* cr, Rgb colour, double base, double amplitude, Rng& rng)
{
    const int steps = 64;
    std::vector<double> heights(steps + 1);
    const double f1 = rng.range(1, 2.5), f2 = rng.range(3, 6), p1 = rng.range(0, 6.3), p2 = rng.range(0, 6.3);
    cairo_move_to(cr, 0, pageHeight);
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        heights[i] = base - amplitude * (0.7 * std::sin(t * f1 * M_PI + p1) + 0.3 * std::sin(t * f2 * M_PI + p2));
        cairo_line_to(cr, t * pageWidth, heights[i]);
    }
    cairo_line_to(cr, pageWidth, pageHeight);
    cairo_close_path(cr);
    paint::setColour(cr, colour);
    cairo_fill(cr);
    return heights;
}

double heightAt(const std::vector<double>& heights, double x)
{
    const double f = x / pageWidth * (heights.size() - 1);
    const int i = std::min(int(heights.size()) - 2, std::max(0, int(f)));
    return heights[i] + (heights[i + 1] - heights[i]) * (f - i);
}

void house(cairo_t* cr, double x, double ground, double size, const Palette& p, Light light, Rng& rng)
{
    static const std::uint32_t walls[] = {0xf2b84b, 0xf5e6c8, 0xe59aa6, 0x86c5da, 0xb6d7a8, 0xf7dc6f, 0xffffff};
    static const std::uint32_t roofs[] = {0xc0392b, 0x34495e, 0xd35400, 0x7d3c98, 0xa04000, 0x2e86c1};
    const double w = size, h = size * rng.range(0.7, 1.05);
    const Rgb wall = paint::scale(paint::fromHex(walls[rng.below(7)]), p.shade);
    const Rgb roof = paint::scale(paint::fromHex(roofs[rng.below(6)]), p.shade);
    paint::setColour(cr, wall);
    cairo_rectangle(cr, x, ground - h, w, h + 4);
    cairo_fill(cr);
    paint::setColour(cr, roof);
    cairo_move_to(cr, x - w * 0.12, ground - h + 1);
    cairo_line_to(cr, x + w / 2, ground - h - w * 0.5);
    cairo_line_to(cr, x + w * 1.12, ground - h + 1);
    cairo_close_path(cr);
    cairo_fill(cr);
    paint::setColour(cr, light == Light::Day ? paint::fromHex(0x5b7fa3) : paint::fromHex(0xffd76a));
    cairo_rectangle(cr, x + w * 0.58, ground - h * 0.72, w * 0.26, h * 0.26);
    cairo_fill(cr);
    paint::setColour(cr, paint::scale(paint::fromHex(0x6b4226), p.shade));
    cairo_rectangle(cr, x + w * 0.16, ground - h * 0.5, w * 0.24, h * 0.5);
    cairo_fill(cr);
}

void tree(cairo_t* cr, double x, double ground, double size, const Palette& p, Season season, Rng& rng)
{
    paint::setColour(cr, paint::scale(paint::fromHex(0x5a3d22), p.shade));
    cairo_rectangle(cr, x - size * 0.07, ground - size * 0.55, size * 0.14, size * 0.58);
    cairo_fill(cr);
    const Rgb crown = paint::scale(rng.uniform() < 0.5 ? p.treeA : p.treeB, p.shade * rng.range(0.85, 1.1));
    if (season == Season::Winter && rng.uniform() < 0.5) {  // snowy fir
        for (int tier = 0; tier < 3; ++tier) {
            const double top = ground - size * (0.45 + 0.28 * tier) - size * 0.4;
            const double half = size * (0.42 - 0.1 * tier);
            paint::setColour(cr, tier % 2 ? paint::scale(p.treeA, p.shade) : paint::scale(paint::fromHex(0xe8f0f8), p.shade));
            cairo_move_to(cr, x - half, top + size * 0.45);
            cairo_line_to(cr, x, top);
            cairo_line_to(cr, x + half, top + size * 0.45);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
        return;
    }
    paint::setColour(cr, crown);
    for (int blob = 0; blob < 4; ++blob) {
        cairo_arc(cr, x + rng.range(-0.2, 0.2) * size, ground - size * rng.range(0.7, 1.0), size * rng.range(0.28, 0.38), 0,
                  2 * M_PI);
        cairo_fill(cr);
    }
}

void lake(cairo_t* cr, const Palette& p, double top)
{
    cairo_pattern_t* g = cairo_pattern_create_linear(0, top, 0, top + 120);
    const Rgb deep = paint::mix(p.skyTop, paint::fromHex(0x1b4f72), 0.5);
    cairo_pattern_add_color_stop_rgb(g, 0, p.skyHorizon.r * 0.85, p.skyHorizon.g * 0.9, p.skyHorizon.b);
    cairo_pattern_add_color_stop_rgb(g, 1, deep.r, deep.g, deep.b);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, 0, top, pageWidth, 120);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_set_line_width(cr, 2.5);
    for (int ripple = 0; ripple < 14; ++ripple) {
        const double y = top + 10 + ripple * 8, x = std::fmod(ripple * 277.0, pageWidth - 160);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + 60 + (ripple % 3) * 40, y);
        cairo_stroke(cr);
    }
}

void kite(cairo_t* cr, Rng& rng)
{
    const double x = rng.range(200, 820), y = rng.range(120, 260);
    static const std::uint32_t colours[] = {0xe74c3c, 0xf1c40f, 0x9b59b6, 0x1abc9c};
    paint::setColour(cr, paint::fromHex(colours[rng.below(4)]));
    cairo_move_to(cr, x, y - 40);
    cairo_line_to(cr, x + 28, y);
    cairo_line_to(cr, x, y + 50);
    cairo_line_to(cr, x - 28, y);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 0.2, 0.2, 0.2, 0.7);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, x, y + 50);
    cairo_curve_to(cr, x + 30, y + 150, x - 80, y + 250, x - 20, y + 420);
    cairo_stroke(cr);
}

void landscape(cairo_t* cr, const PlannedPicture& picture)
{
    Rng rng(0xC0FFEEull + std::uint64_t(picture.number) * 7919);
    const Season season = seasonOf(picture.month);
    const double lightDraw = rng.uniform();
    const Light light = lightDraw < 0.68 ? Light::Day : (lightDraw < 0.88 ? Light::Evening : Light::Night);
    const Palette p = paletteFor(season, light, rng);
    const double horizon = rng.range(340, 430);

    skyGradient(cr, p, horizon + 60);
    sunOrMoon(cr, p, light, rng);
    clouds(cr, light, rng);
    if (light == Light::Day && rng.uniform() < 0.2)
        kite(cr, rng);
    hill(cr, paint::scale(paint::mix(p.hillFar, p.skyHorizon, 0.45), p.shade), horizon, rng.range(30, 70), rng);
    hill(cr, paint::scale(p.hillFar, p.shade), horizon + 60, rng.range(25, 60), rng);
    const bool water = rng.uniform() < 0.3;
    if (water)
        lake(cr, p, horizon + 95);
    const std::vector<double> near =
        hill(cr, paint::scale(p.hillNear, p.shade), horizon + (water ? 200 : 150), rng.range(15, 45), rng);
    // Field stripes on the near slope.
    paint::setColour(cr, paint::scale(p.field, p.shade), 0.55);
    for (int stripe = 0; stripe < 4; ++stripe) {
        const double y = pageHeight - 40 - stripe * 34;
        cairo_move_to(cr, 0, y);
        cairo_curve_to(cr, 300, y - 30 + stripe * 6, 700, y + 20, pageWidth, y - 10);
        cairo_line_to(cr, pageWidth, y + 14);
        cairo_curve_to(cr, 700, y + 34, 300, y - 16 + stripe * 6, 0, y + 14);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    const int houses = 1 + rng.below(5);
    for (int i = 0; i < houses; ++i) {
        const double x = (i + 0.25 + rng.range(0, 0.5)) * pageWidth / houses - 40;
        const double size = rng.range(80, 140);
        house(cr, x, heightAt(near, x + size / 2) + 12, size, p, light, rng);
    }
    const int trees = 2 + rng.below(6);
    for (int i = 0; i < trees; ++i) {
        const double x = rng.range(20, pageWidth - 20);
        tree(cr, x, heightAt(near, x) + 18, rng.range(70, 140), p, season, rng);
    }
}

// The date in a dark rounded label at the lower right, sized to the canvas.
void dateLabel(paint::Canvas& canvas, const std::string& text)
{
    cairo_t* cr = canvas.context();
    const double w = canvas.width(), h = canvas.height();
    const bool small = w < 400;
    const double size = small ? 13 : w / 24;
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ink;
    cairo_text_extents(cr, text.c_str(), &ink);
    const double pad = size * 0.45, margin = small ? 3 : size * 0.6;
    const double boxW = ink.x_advance + 2 * pad, boxH = size * 1.45;
    const double x = w - margin - boxW, y = h - margin - boxH;
    paint::roundedRect(cr, x, y, boxW, boxH, size * 0.35);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.1, 0.62);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1.0, 0.93, 0.55);
    paint::centredText(cr, text, x + boxW / 2, y + boxH / 2);
}

}  // namespace

std::string longDate(const PlannedPicture& picture)
{
    return std::to_string(picture.day) + " " + monthName(picture.month) + " " + std::to_string(picture.year);
}

std::string shortDate(const PlannedPicture& picture)
{
    return std::to_string(picture.day) + "." + std::to_string(picture.month) + "." + std::to_string(picture.year);
}

void paintPicture(paint::Canvas& canvas, const PlannedPicture& picture)
{
    cairo_t* cr = canvas.context();
    cairo_save(cr);
    // Scaled to cover the canvas: a portrait shows the middle of the scene.
    const double scale = std::max(canvas.width() / pageWidth, canvas.height() / pageHeight);
    cairo_translate(cr, (canvas.width() - pageWidth * scale) / 2, (canvas.height() - pageHeight * scale) / 2);
    cairo_scale(cr, scale, scale);
    landscape(cr, picture);
    cairo_restore(cr);
    dateLabel(canvas, canvas.width() < 400 ? shortDate(picture) : longDate(picture));
}

}  // namespace sample
