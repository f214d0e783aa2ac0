// Ground textures: five grass tiles, the street piece and the crossing.
// Grass and street wrap around at their edges (everything near an edge is
// drawn again one image size further), so the viewer can repeat them.
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "Artwork.h"

namespace artwork {
namespace {

using paint::Canvas;
using paint::Rgb;
using paint::Rng;

double clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

// Calls draw(dx, dy) once for every copy of a shape of radius r around
// (x, y) that shows on a size × size tile repeated in both directions.
void wrapped(int size, double x, double y, double r, const std::function<void(double, double)>& draw)
{
    for (int dy = -size; dy <= size; dy += size)
        for (int dx = -size; dx <= size; dx += size)
            if (x + dx + r >= 0 && x + dx - r <= size && y + dy + r >= 0 && y + dy - r <= size)
                draw(dx, dy);
}

// One tapered, slightly bent blade of grass from its root to its tip.
void blade(cairo_t* cr, double x, double y, double angle, double length, double width, double bend)
{
    const double ux = std::cos(angle), uy = std::sin(angle);  // along the blade
    const double px = -uy, py = ux;                            // across it
    const double tipX = x + ux * length + px * bend, tipY = y + uy * length + py * bend;
    const double midX = x + ux * length * 0.55 + px * bend * 0.35;
    const double midY = y + uy * length * 0.55 + py * bend * 0.35;
    cairo_move_to(cr, x + px * width / 2, y + py * width / 2);
    cairo_curve_to(cr, midX + px * width * 0.3, midY + py * width * 0.3, midX, midY, tipX, tipY);
    cairo_curve_to(cr, midX, midY, midX - px * width * 0.3, midY - py * width * 0.3,
                   x - px * width / 2, y - py * width / 2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void grassGround(Canvas& canvas, const GrassStyle& style, Rng& rng)
{
    const int n = canvas.width();
    const paint::FractalNoise ground(n, 4, 5, style.seed);
    const paint::FractalNoise patches(n, 3, 3, style.seed + 11);
    const Rgb soil = paint::fromHex(0x9a8455);
    for (int y = 0; y < n; ++y) {
        std::uint32_t* row = canvas.row(y);
        for (int x = 0; x < n; ++x) {
            Rgb c = paint::mix(style.dark, style.light, clamp01((ground.at(x, y) - 0.5) * 2.2 + 0.5));
            if (style.drySoil > 0) {
                const double bare = clamp01((patches.at(x, y) - (1 - style.drySoil)) * 5);
                c = paint::mix(c, soil, bare * 0.65);
            }
            row[x] = paint::packOpaque(paint::scale(c, 1 + rng.range(-0.08, 0.08)));
        }
    }
    canvas.markDirty();
}

void grassBlades(Canvas& canvas, const GrassStyle& style, Rng& rng, int first, int last)
{
    cairo_t* cr = canvas.context();
    const int n = canvas.width();
    const double mainAngle = -M_PI / 2 + 0.4;
    for (int i = first; i < last; ++i) {
        // Later blades lie on top and catch more light.
        const double depth = (double(i) + rng.uniform() * style.blades * 0.2) / style.blades;
        const Rgb colour = paint::mix(style.bladeDark, style.bladeLight, clamp01(depth));
        const double x = rng.range(0, n), y = rng.range(0, n);
        const double angle = mainAngle + rng.range(-M_PI, M_PI) * (1 - style.lean);
        const double length = style.bladeLength * rng.range(0.45, 1.25);
        const double width = rng.range(1.3, 2.6);
        const double bend = rng.range(-0.25, 0.25) * length;
        paint::setColour(cr, paint::scale(colour, rng.range(0.85, 1.12)), 0.92);
        wrapped(n, x, y, length + 2, [&](double dx, double dy) {
            blade(cr, x + dx, y + dy, angle, length, width, bend);
        });
    }
}

void flower(cairo_t* cr, int kind, double x, double y, Rng& rng)
{
    if (kind == 3) {  // clover: three round leaves
        const double turn = rng.range(0, 2 * M_PI);
        paint::setColour(cr, paint::fromHex(0x2f6a24), 0.95);
        for (int leaf = 0; leaf < 3; ++leaf) {
            const double a = turn + leaf * 2 * M_PI / 3;
            cairo_arc(cr, x + 2.6 * std::cos(a), y + 2.6 * std::sin(a), 2.6, 0, 2 * M_PI);
            cairo_fill(cr);
        }
        return;
    }
    const bool daisy = kind == 1;
    const int petals = daisy ? 8 : 12;
    const double radius = daisy ? 2.6 : 2.4;
    paint::setColour(cr, daisy ? Rgb{0.97, 0.97, 0.93} : Rgb{1.0, 0.83, 0.1});
    for (int p = 0; p < petals; ++p) {
        const double a = p * 2 * M_PI / petals;
        cairo_arc(cr, x + radius * std::cos(a), y + radius * std::sin(a), daisy ? 1.3 : 1.1, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    paint::setColour(cr, daisy ? Rgb{0.98, 0.78, 0.15} : Rgb{0.93, 0.62, 0.05});
    cairo_arc(cr, x, y, daisy ? 1.5 : 1.6, 0, 2 * M_PI);
    cairo_fill(cr);
}

void flowers(Canvas& canvas, const GrassStyle& style, Rng& rng)
{
    const int n = canvas.width();
    // Flowers grow in loose clumps rather than evenly.
    for (int placed = 0; placed < style.flowers;) {
        const double cx = rng.range(0, n), cy = rng.range(0, n);
        const int clump = 2 + rng.below(5);
        for (int k = 0; k < clump && placed < style.flowers; ++k, ++placed) {
            const double x = cx + rng.range(-22, 22), y = cy + rng.range(-22, 22);
            wrapped(n, x, y, 6, [&](double dx, double dy) {
                Rng local(style.seed * 131 + placed);
                flower(canvas.context(), style.flowerKind, x + dx, y + dy, local);
            });
        }
    }
}

// Asphalt shading of one pixel: noise, grain and the odd light or dark stone.
Rgb asphalt(const paint::FractalNoise& noise, int x, int y, Rng& rng)
{
    double v = 0.30 + (noise.at(x, y) - 0.5) * 0.12 + rng.range(-0.045, 0.045);
    const double stone = rng.uniform();
    if (stone < 0.02)
        v += 0.12;
    else if (stone < 0.035)
        v -= 0.08;
    return {v * 0.98, v * 0.99, v * 1.03};
}

struct Marking {
    double x0, x1, y0, y1;
};

// How much of pixel (x, y) an axis-aligned marking covers, with soft edges.
double coverage(const Marking& m, int x, int y)
{
    const double cx = x + 0.5, cy = y + 0.5;
    const double across = clamp01(std::fmin(cx - m.x0, m.x1 - cx) + 0.5);
    const double along = clamp01(std::fmin(cy - m.y0, m.y1 - cy) + 0.5);
    return across * along;
}

const Rgb paintWhite{0.93, 0.93, 0.89};
const Rgb kerbGrey{0.68, 0.67, 0.64};
const int kerbWidth = 18;

// Road paint wears off in patches and specks.
double wear(const paint::FractalNoise& noise, int x, int y, Rng& rng)
{
    return clamp01(0.85 + (noise.at(x, y) - 0.5) * 1.0) * (rng.uniform() < 0.04 ? 0.55 : 1.0);
}

void streetPixels(Canvas& canvas)
{
    const int n = canvas.width();
    Rng rng(2002);
    const paint::FractalNoise grain(n, 8, 5, 21), paintNoise(n, 16, 3, 22), kerbNoise(n, 32, 2, 23);
    const double dashStart = n * 0.29, dashEnd = n * 0.71;
    const Marking markings[] = {
        {0, double(n), 34, 44},                                // upper edge line
        {0, double(n), n - 44.0, n - 34.0},                    // lower edge line
        {dashStart, dashEnd, n / 2.0 - 5.5, n / 2.0 + 5.5},    // centre dash
    };
    const double tracks[] = {100, 200, n - 200.0, n - 100.0};  // wheel tracks of both lanes
    for (int y = 0; y < n; ++y) {
        std::uint32_t* row = canvas.row(y);
        double worn = 1;
        for (double track : tracks)
            worn -= 0.07 * std::exp(-(y - track) * (y - track) / (2 * 16.0 * 16.0));
        for (int x = 0; x < n; ++x) {
            Rgb c = paint::scale(asphalt(grain, x, y, rng), worn);
            for (const Marking& m : markings)
                c = paint::mix(c, paintWhite, 0.9 * coverage(m, x, y) * wear(paintNoise, x, y, rng));
            if (y < kerbWidth || y >= n - kerbWidth) {
                c = paint::scale(kerbGrey, 0.92 + kerbNoise.at(x, y) * 0.12 + rng.range(-0.03, 0.03));
                if (x % (n / 4) == n / 8)
                    c = paint::scale(c, 0.6);  // joints between kerb stones
            }
            row[x] = paint::packOpaque(c);
        }
    }
    canvas.markDirty();
}

// Shadow along a kerb: the kerb stands a little above the road.
void kerbShadows(Canvas& canvas)
{
    cairo_t* cr = canvas.context();
    const int n = canvas.width();
    for (int side = 0; side < 2; ++side) {
        const double y0 = side == 0 ? kerbWidth : n - kerbWidth;
        const double y1 = side == 0 ? kerbWidth + 7 : n - kerbWidth - 7;
        cairo_pattern_t* shade = cairo_pattern_create_linear(0, y0, 0, y1);
        cairo_pattern_add_color_stop_rgba(shade, 0, 0, 0, 0, 0.35);
        cairo_pattern_add_color_stop_rgba(shade, 1, 0, 0, 0, 0);
        cairo_set_source(cr, shade);
        cairo_rectangle(cr, 0, std::fmin(y0, y1), n, 7);
        cairo_fill(cr);
        cairo_pattern_destroy(shade);
    }
}

// Cracks, mended patches and stains, all wrapping around the tile.
void roadWear(Canvas& canvas, unsigned seed, double top, double bottom)
{
    cairo_t* cr = canvas.context();
    const int n = canvas.width();
    Rng rng(seed);
    for (int i = 0; i < 3; ++i) {  // mended patches
        const double w = rng.range(40, 110), h = rng.range(24, 60);
        const double x = rng.range(0, n), y = rng.range(top + 10, bottom - h - 10);
        wrapped(n, x + w / 2, y + h / 2, w, [&](double dx, double dy) {
            cairo_rectangle(cr, x + dx, y + dy, w, h);
            cairo_set_source_rgba(cr, 0.02, 0.02, 0.03, 0.09);
            cairo_fill_preserve(cr);
            cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.14);
            cairo_set_line_width(cr, 1.2);
            cairo_stroke(cr);
        });
    }
    for (int i = 0; i < 7; ++i) {  // oil stains in the middle of the lanes
        const double x = rng.range(0, n), y = rng.range(top + 40, bottom - 40), r = rng.range(6, 16);
        wrapped(n, x, y, r, [&](double dx, double dy) {
            cairo_pattern_t* stain = cairo_pattern_create_radial(x + dx, y + dy, 0, x + dx, y + dy, r);
            cairo_pattern_add_color_stop_rgba(stain, 0, 0.05, 0.04, 0.05, 0.35);
            cairo_pattern_add_color_stop_rgba(stain, 1, 0.05, 0.04, 0.05, 0);
            cairo_set_source(cr, stain);
            cairo_arc(cr, x + dx, y + dy, r, 0, 2 * M_PI);
            cairo_fill(cr);
            cairo_pattern_destroy(stain);
        });
    }
    cairo_set_line_width(cr, 1.1);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int i = 0; i < 6; ++i) {  // cracks: short random walks
        double x = rng.range(0, n), y = rng.range(top + 10, bottom - 10);
        double heading = rng.range(0, 2 * M_PI);
        std::vector<std::pair<double, double>> points{{x, y}};
        for (int step = 0; step < 9; ++step) {
            heading += rng.range(-0.9, 0.9);
            x += 7 * std::cos(heading);
            y = std::fmin(bottom - 4, std::fmax(top + 4, y + 7 * std::sin(heading)));
            points.push_back({x, y});
        }
        wrapped(n, points[0].first, points[0].second, 70, [&](double dx, double dy) {
            cairo_move_to(cr, points[0].first + dx, points[0].second + dy);
            for (const auto& p : points)
                cairo_line_to(cr, p.first + dx, p.second + dy);
            cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.5);
            cairo_stroke(cr);
        });
    }
}

// A drain grate at the foot of the lower kerb.
void drain(cairo_t* cr, double x, double y)
{
    cairo_rectangle(cr, x, y, 44, 13);
    cairo_set_source_rgb(cr, 0.16, 0.16, 0.17);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.42, 0.42, 0.42);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
    for (int slot = 0; slot < 7; ++slot) {
        cairo_rectangle(cr, x + 4 + slot * 5.6, y + 3, 2.6, 7);
        cairo_fill(cr);
    }
}

void manhole(cairo_t* cr, double cx, double cy, double r)
{
    cairo_arc(cr, cx, cy, r + 3, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.42, 0.42, 0.41);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.21, 0.21, 0.22);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_arc(cr, cx, cy, r - 4, 0, 2 * M_PI);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.32, 0.32, 0.33);
    cairo_set_line_width(cr, 2.2);
    for (double d = -r; d <= r; d += 7) {
        cairo_move_to(cr, cx + d, cy - r);
        cairo_line_to(cr, cx + d, cy + r);
        cairo_move_to(cr, cx - r, cy + d);
        cairo_line_to(cr, cx + r, cy + d);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_arc(cr, cx, cy, r - 2, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.12, 0.12, 0.13);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

// Marks of the crossing: zebra bars along all four edges, each bar running
// in the direction of the street that meets that edge.
std::vector<Marking> crossingMarkings(int n)
{
    std::vector<Marking> marks;
    const double depth0 = 12, depth1 = 84, barWidth = 28, pitch = 52;
    const double first = n / 2.0 - (5 * pitch + barWidth) / 2;
    for (int bar = 0; bar < 6; ++bar) {
        const double a = first + bar * pitch, b = a + barWidth;
        marks.push_back({depth0, depth1, a, b});          // left edge
        marks.push_back({n - depth1, n - depth0, a, b});  // right edge
        marks.push_back({a, b, depth0, depth1});          // top edge
        marks.push_back({a, b, n - depth1, n - depth0});  // bottom edge
    }
    return marks;
}

}  // namespace

void paintGrass(Canvas& canvas, const GrassStyle& style)
{
    Rng rng(style.seed);
    grassGround(canvas, style, rng);
    const bool clover = style.flowerKind == 3;
    grassBlades(canvas, style, rng, 0, style.blades / 2);
    if (clover)
        flowers(canvas, style, rng);
    grassBlades(canvas, style, rng, style.blades / 2, style.blades);
    if (!clover)
        flowers(canvas, style, rng);
}

void paintStreet(Canvas& canvas)
{
    const int n = canvas.width();
    streetPixels(canvas);
    roadWear(canvas, 77, kerbWidth + 30, n - kerbWidth - 30);
    kerbShadows(canvas);
    drain(canvas.context(), n * 0.78, n - kerbWidth - 14);
}

void paintCrossing(Canvas& canvas)
{
    const int n = canvas.width();
    Rng rng(2003);
    const paint::FractalNoise grain(n, 8, 5, 31), paintNoise(n, 16, 3, 32), kerbNoise(n, 32, 2, 33);
    const std::vector<Marking> marks = crossingMarkings(n);
    const double corners[4][2] = {{0, 0}, {double(n), 0}, {0, double(n)}, {double(n), double(n)}};
    for (int y = 0; y < n; ++y) {
        std::uint32_t* row = canvas.row(y);
        for (int x = 0; x < n; ++x) {
            Rgb c = asphalt(grain, x, y, rng);
            double ink = 0;
            for (const Marking& m : marks)
                ink = std::fmax(ink, coverage(m, x, y));
            bool kerb = false;
            for (const auto& corner : corners) {
                // The street's edge lines and kerbs bend round each corner.
                const double d = std::hypot(x + 0.5 - corner[0], y + 0.5 - corner[1]);
                ink = std::fmax(ink, clamp01(std::fmin(d - 34, 44 - d) + 0.5));
                kerb = kerb || d < kerbWidth;
            }
            c = paint::mix(c, paintWhite, 0.9 * ink * wear(paintNoise, x, y, rng));
            if (kerb)
                c = paint::scale(kerbGrey, 0.92 + kerbNoise.at(x, y) * 0.12 + rng.range(-0.03, 0.03));
            row[x] = paint::packOpaque(c);
        }
    }
    canvas.markDirty();
    manhole(canvas.context(), n / 2.0, n / 2.0, 24);
}

}  // namespace artwork
