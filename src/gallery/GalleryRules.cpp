// Caption, picture scale, zoom and countdown of the gallery.
#include "gallery/GalleryRules.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// The caption is drawn four times, the last copy starting 10 pixels from
// the left edge; every copy must end before x = 500.
constexpr size_t glyphPixels = 9;   // GLUT_BITMAP_9_BY_15 is fixed-width
constexpr size_t captionGlyphs = (500 - 10) / glyphPixels;

bool hasGlyph(uint32_t code)
{
    return (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xFF);
}

// Latin Extended-A (U+0100 to U+017F: Polish, Czech, Hungarian, Turkish,
// Baltic letters), each as its letter without the mark the font lacks.
constexpr char extendedALetters[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiJjJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUu"
    "WwYyYZzZzZzs";
static_assert(sizeof extendedALetters - 1 == 0x80, "one letter a code point");

// What stands for a character the font has no glyph of: the letter under a
// mark, the ASCII look of typographic dashes and quotes, else one '?'.
char standIn(uint32_t code)
{
    if (code >= 0x100 && code < 0x180)
        return extendedALetters[code - 0x100];
    if (code >= 0x2010 && code <= 0x2015)   // hyphens, en and em dashes
        return '-';
    if (code >= 0x2018 && code <= 0x201B)   // single quotes
        return '\'';
    if (code >= 0x201C && code <= 0x201F)   // double quotes
        return '"';
    if (code == 0x2022 || code == 0x2026)   // bullet, ellipsis
        return static_cast<char>(0xB7);
    return '?';
}

// The length of the UTF-8 sequence at text[at] and its code point, or 0
// for a byte that starts no valid sequence.
size_t decodeUtf8(const std::string& text, size_t at, uint32_t* code)
{
    const unsigned char lead = text[at];
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                        : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = text[at + i];
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    static const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length])   // overlong forms hide other characters
        return 0;
    *code = value;
    return length;
}

}  // namespace

std::string fontGlyphs(const std::string& utf8)
{
    std::string glyphs;
    for (size_t at = 0; at < utf8.size();) {
        uint32_t code = 0;
        const size_t length = decodeUtf8(utf8, at, &code);
        glyphs += length == 0 ? '?' : hasGlyph(code) ? static_cast<char>(code) : standIn(code);
        at += length > 0 ? length : 1;
    }
    return glyphs;
}

std::string galleryCaption(int photoNumber, int photoCount, const std::string& path)
{
    const std::string head =
        "(" + std::to_string(photoNumber) + "\\" + std::to_string(photoCount) + ") :  ";
    const std::string glyphs = fontGlyphs(path);
    if (head.size() + glyphs.size() <= captionGlyphs)
        return head + glyphs;
    const size_t room = captionGlyphs - std::min<size_t>(captionGlyphs, head.size() + 3);
    return head + "..." + glyphs.substr(glyphs.size() - std::min(room, glyphs.size()));
}

PictureScale pictureScale(int width, int height, float zoom)
{
    if (width <= 0 || height <= 0)
        return PictureScale{};
    const float ratio = static_cast<float>(width) / static_cast<float>(height);
    if (ratio < 1.0f)
        return PictureScale{3.0f * zoom * ratio, 3.0f * zoom};
    return PictureScale{4.0f * zoom, 4.0f * zoom / ratio};
}

PicturePan clampPan(PicturePan pan, PictureScale scale)
{
    const float reachX = std::max(0.0f, scale.x - 4.0f);
    const float reachY = std::max(0.0f, scale.y - 3.0f);
    return PicturePan{std::clamp(pan.x, -reachX, reachX), std::clamp(pan.y, -reachY, reachY)};
}

float nextZoom(float zoom, int direction, double dt)
{
    const float factor = static_cast<float>(1.0 + 3.0 * dt);
    if (direction > 0)
        zoom *= factor;
    else if (direction < 0)
        zoom /= factor;
    return std::clamp(zoom, minZoom, maxZoom);
}

float wheelZoom(float zoom, int notches)
{
    return std::clamp(static_cast<float>(zoom * std::exp2(notches / 3.0)), minZoom, maxZoom);
}

PicturePan panAround(PicturePan pan, PicturePan point, float zoom, float newZoom)
{
    const float grow = newZoom / zoom;
    return PicturePan{point.x - (point.x - pan.x) * grow, point.y - (point.y - pan.y) * grow};
}

int countdownDigit(float clock)
{
    return std::clamp(static_cast<int>(8.5f - clock), 0, 9);
}

std::string photoProblemLine(bool missing, const std::string& reason, const std::string& path)
{
    const std::string glyphs = fontGlyphs(path);
    if (missing)
        return "The photo is missing: " + glyphs;
    if (reason.find("too large") != std::string::npos)
        return glyphs + " is too large to show";
    return glyphs + " cannot be decoded";
}
