// A user picks a box from the overview camera, opens its photo with Enter,
// steps left and right, starts the slideshow and goes back to the city.
#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/Viewer.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

enum Hue { magenta = 5, cyan = 6, yellow = 3, white = 7 };   // the strong channels, red = 1
const Hue photos[] = {yellow, magenta, cyan, white};   // the first one has no thumbnail
constexpr unsigned char on = 255, off = 0;

// The strong channels of a colour however it is lit; 0 when one is neither strong nor weak, or it is dark.
int hueOf(int r, int g, int b)
{
    const int high = std::max({r, g, b});
    const auto strong = [high](int c) { return c * 5 > high * 3; };
    const auto clear = [&](int c) { return strong(c) || c * 4 < high; };
    return high > 80 && clear(r) && clear(g) && clear(b) ? strong(r) | strong(g) << 1 | strong(b) << 2 : 0;
}

auto isHue(int hue) { return [hue](int r, int g, int b) { return hueOf(r, g, b) == hue; }; }
bool shows(const e2e::Screenshot& s, int hue) { return s.share(500, 100, 524, 700, isHue(hue)) > 0.99; }   // the photo

TEST(Gallery, OpenThePickedPhotoStepStartTheSlideshowAndGoBackToTheCity)
{
    support::TempDir dir;
    std::string xml = "<Zandervale><y val='2005'><m val='7'><q val='1'>";
    for (int i = 0; i < 4; ++i) {   // portrait photos leave the top-left corner black
        const std::string name = dir.file(std::to_string(i));
        const support::Colour c{photos[i] & 1 ? on : off, photos[i] & 2 ? on : off, photos[i] & 4 ? on : off, on};
        if (i > 0)
            support::writeWithDevil(name + ".png", IL_PNG, 32, 24, [c](int, int) { return c; });
        support::writeWithDevil(name + ".jpg", IL_JPG, 60, 80, [c](int, int) { return c; });
        xml += "<p><texture>" + std::to_string(i) + ".png</texture><originalPicture>" + name + ".jpg</originalPicture></p>";
    }
    e2e::Viewer viewer({dir.write("Zandervale.xml", xml + "</q></m></y></Zandervale>")});
    viewer.waitFor([](const e2e::Screenshot& s) { return s.width > 0; });
    viewer.key("Tab");   // from above, the pointer picks
    int picked = 0;   // the picture whose thumbnail the selection panel shows, bottom right
    viewer.waitFor([&](const e2e::Screenshot& s) {
        for (picked = 1; picked < 4; ++picked)
            if (s.share(s.width - 184, s.height - 98, s.width - 72, s.height - 18, isHue(photos[picked])) > 0.8)
                return true;
        for (int i = 0; i < s.width * s.height; ++i)   // none yet: click a magenta or cyan box
            if (const int hue = hueOf(s.rgb[i * 3], s.rgb[i * 3 + 1], s.rgb[i * 3 + 2]); hue == magenta || hue == cyan)
                return viewer.click(i % s.width, i / s.width), false;
        return false;
    }, 60.0, "a picture picked from above");
    viewer.key("Return");
    viewer.waitFor([&](const e2e::Screenshot& s) { return shows(s, photos[picked]); }, 30.0, "the picked photo");
    for (const int photo : {picked - 1, picked})   // arrows count once the opening fade is over
        viewer.waitFor([&](const e2e::Screenshot& s) {
            return shows(s, photos[photo]) || (viewer.key(photo == picked ? "Right" : "Left"), false);
        }, 30.0, "the previous photo, then the picked one again");
    viewer.key("space");   // the slideshow moves on within 8 s
    viewer.waitFor([&](const e2e::Screenshot& s) { return shows(s, photos[(picked + 1) % 4]); }, 30.0, "the slideshow");
    viewer.key("Escape");
    viewer.waitFor([&](const e2e::Screenshot& s) { return !shows(s, photos[(picked + 1) % 4]); }, 30.0, "the city");
    viewer.key("Escape");
    EXPECT_EQ(viewer.waitForExit(), 0);
}

}  // namespace
