// zv-artwork OUTPUT_DIR: draws every image the viewer reads from its working
// directory (ground, street, signs, HUD and gallery overlays) into OUTPUT_DIR.
// The table below is the whole catalogue; the painters live beside it.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Artwork.h"
#include "calendar/Calendar.h"

namespace {

using artwork::BannerStyle;
using artwork::GrassStyle;
using artwork::HelpEntry;
using artwork::HelpSection;
using paint::fromHex;

struct ArtworkFile {
    std::string name;  // relative to the output directory
    int width, height;
    bool alpha;
    std::function<void(paint::Canvas&)> paint;
};

const GrassStyle grassStyles[] = {
    // dark, light, blade dark, blade light, blades, length, lean, flowers, count, dry, seed
    {fromHex(0x2e5e1f), fromHex(0x4f8a32), fromHex(0x2a5a1c), fromHex(0x7cb850), 22000, 14, 0.15, 0, 0, 0.0, 101},
    {fromHex(0x4c7a25), fromHex(0x7aa23c), fromHex(0x4a7a22), fromHex(0xa8cc5a), 18000, 12, 0.3, 2, 70, 0.0, 202},
    {fromHex(0x23521f), fromHex(0x3f7a33), fromHex(0x1f4d1c), fromHex(0x6aa84a), 16000, 11, 0.1, 3, 260, 0.0, 303},
    {fromHex(0x56722c), fromHex(0x8a9c48), fromHex(0x587a2a), fromHex(0xb4c46a), 15000, 17, 0.45, 1, 40, 0.25, 404},
    {fromHex(0x2f6a40), fromHex(0x4e8c55), fromHex(0x2c6238), fromHex(0x86bf78), 26000, 9, 0.0, 1, 110, 0.0, 505},
};

const BannerStyle yearBanner{fromHex(0xc8372d), fromHex(0x7e1612), fromHex(0xf2c14e), fromHex(0xfff6e0)};
const BannerStyle monthBanner{fromHex(0x2f6fd0), fromHex(0x163d85), fromHex(0xcfe3ff), fromHex(0xffffff)};

const std::vector<HelpSection> helpSections = {
    {"Walking through the city",
     {
         {"[W] / [S]", "walk forward / back"},
         {"[A] / [D]", "step left / right"},
         {"[Q] hold", "run fast"},
         {"[Space] hold", "rise like a jet"},
         {"[+] / [-]", "walk faster / slower"},
         {"[\xE2\x86\x90][\xE2\x86\x92][\xE2\x86\x91][\xE2\x86\x93]", "turn and tilt the view"},
         {"[Mouse]", "look around"},
         {"[Left click]", "select a picture"},
         {"[Right button] hold", "free the pointer"},
         {"[Enter]", "open the gallery of the selected house"},
         {"[G] date  [N] [B] house  [PgUp] [PgDn] year  [Home] [End]  [J] fly down", ""},
         {"[Tab] or [M]", "overview camera on / off"},
         {"[F]", "walker light on / off"},
         {"[H] or [F1]", "this help on / off"},
         {"[F2]", "collisions on / off"},
         {"[F4]", "mouse look on / off"},
         {"[F5]", "full screen"},
         {"[Esc]", "close this help / leave the gallery / quit"},
     }},
    {"In the gallery",
     {
         {"[\xE2\x86\x90] / [\xE2\x86\x92]", "previous / next photo"},
         {"[\xE2\x86\x91] / [\xE2\x86\x93] hold", "zoom in / out; 0 fits, drag moves"},
         {"[Space]", "start / stop the slideshow"},
         {"[Esc]", "back to the city"},
     }},
};

std::vector<ArtworkFile> catalogue()
{
    std::vector<ArtworkFile> files;
    for (int i = 0; i < 5; ++i) {
        const GrassStyle& style = grassStyles[i];
        files.push_back({"grass512x512_0" + std::to_string(i + 1) + ".png", 512, 512, false,
                         [&style](paint::Canvas& c) { artwork::paintGrass(c, style); }});
    }
    files.push_back({"street512x512_02.png", 512, 512, false, artwork::paintStreet});
    files.push_back({"cross512x512_01.png", 512, 512, false, artwork::paintCrossing});
    for (int year = 1900; year <= 2099; ++year) {
        const std::string text = std::to_string(year);
        files.push_back({"signs/sign" + text + "_128x32.png", 128, 32, false,
                         [text](paint::Canvas& c) { artwork::paintBanner(c, text, yearBanner); }});
    }
    for (int month = 1; month <= monthsInYear; ++month) {
        const std::string text = monthName(month);
        files.push_back({"signs/sign" + text + "128x32.png", 128, 32, false,
                         [text](paint::Canvas& c) { artwork::paintBanner(c, text, monthBanner); }});
    }
    files.push_back({"signs/signZandervale512x512_02.png", 512, 512, false, artwork::paintTitle});
    files.push_back({"compass.png", 128, 128, true, artwork::paintCompass});
    files.push_back({"help512x512_01.png", 512, 512, true,
                     [](paint::Canvas& c) { artwork::paintHelp(c, helpSections); }});
    files.push_back({"selOverlay256x256.png", 256, 256, true, artwork::paintPanel});
    files.push_back({"gallOverlay256x32.png", 256, 32, true, artwork::paintCaptionBar});
    // The desktop's icons, installed into the icon theme rather than read by the viewer.
    for (const int size : {48, 256})
        files.push_back({"icons/zandervale" + std::to_string(size) + ".png", size, size, true,
                         [size](paint::Canvas& c) { artwork::paintIcon(c.context(), size); }});
    return files;
}

}  // namespace

int main(int argc, char** argv)
{
    const paint::ReleaseCachesAtExit releaseCaches;
    if (argc != 2) {
        std::printf("Usage: zv-artwork OUTPUT_DIR\n");
        return 2;
    }
    const std::string root = argv[1];
    for (const char* folder : {"/signs", "/icons"})
        if (!paint::makeDirectories(root + folder)) {
            std::printf("zv-artwork: cannot create %s%s\n", root.c_str(), folder);
            return 1;
        }
    int failures = 0;
    for (const ArtworkFile& file : catalogue()) {
        paint::Canvas canvas(file.width, file.height, file.alpha);
        file.paint(canvas);
        const std::string path = root + "/" + file.name;
        if (!canvas.save(path)) {
            std::printf("zv-artwork: cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    if (!artwork::saveIconSvg(root + "/icons/zandervale.svg", 256)) {
        std::printf("zv-artwork: cannot write %s/icons/zandervale.svg\n", root.c_str());
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
