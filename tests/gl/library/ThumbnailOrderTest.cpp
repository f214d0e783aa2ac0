// The threaded start-up against the plain one-file-at-a-time reading: the
// same console lines in the same order, and every record's pictures the same
// files in the same places, whatever the workers finish first.
#include <GL/gl.h>
#include <IL/il.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "library/MonthQuarter.h"
#include "library/PictureLibrary.h"
#include "support/CaptureStdout.h"
#include "support/GlPixels.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"
#include "textures/ThumbnailCacheSet.h"

namespace {


TEST(ThumbnailLoading, PrintsAndPlacesWhatTheSerialReaderDoes)
{
    support::TempDir dir;
    std::string pictures;
    for (int i = 0; i < 12; ++i) {   // one colour each, 20 levels apart; JPEG and PNG alternate
        const support::Colour colour{static_cast<unsigned char>(20 * i), static_cast<unsigned char>(255 - 20 * i), 100, 255};
        const std::string name = "p" + std::to_string(i) + (i % 2 ? ".jpg" : ".png");
        ASSERT_TRUE(i == 10 || support::writeWithDevil(dir.file(name), i % 2 ? IL_JPG : IL_PNG, 16, 12, [&](int, int) { return colour; }));
        pictures += "<picture><texture>" + name + "</texture></picture>";
        if (i % 4 == 1)   // missing, damaged, refused and DevIL-only files among them
            pictures += "<picture><texture>gone.png</texture></picture><picture><texture>cut.jpg</texture></picture>"
                        "<picture><texture>huge.png</texture></picture><picture><texture>b.bmp</texture></picture>";
    }
    dir.write("cut.jpg", "\xFF\xD8\xFF\xE0");
    // Stating a gamma of 1.0, which libpng would correct and DevIL does not.
    dir.write("p10.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x02\0\0\0\x02\x08\x02\0\0\0\xFD\xD4\x9A\x73\0\0\0\x04gAMA"
                                     "\0\x01\x86\xA0\x31\xE8\x96\x5F\0\0\0\x10IDAT\x78\xDA\x63\x48\x99\x76\x02\x88\x18\x20\x14\0\x2F\xB6"
                                     "\x07\x09\xDF\x45\x95\xEE\0\0\0\0IEND\xAE\x42\x60\x82", 89));
    dir.write("huge.png", support::pngHeaderBytes(40000, 40000));
    ASSERT_TRUE(support::writeWithDevil(dir.file("b.bmp"), IL_BMP, 8, 8, [](int, int) { return support::blue; }));
    ASSERT_EQ(mkfifo(dir.file("fifo.png").c_str(), 0600), 0);
    // Past the 250 of a quarter the reader checks but does not load; missing
    // files first make it load further than the plan foresaw.
    std::string full = "<picture><texture>fifo.png</texture></picture>";
    for (int i = 0; i < 255; ++i)
        full += "<picture><texture>" + std::string(i < 3 ? "gone.png" : "p3.jpg") + "</texture></picture>";
    dir.write("Zandervale.xml", "<Zandervale><year val=\"2004\"><month val=\"5\"><quarter val=\"1\">" + pictures +
                                    "</quarter><quarter val=\"2\">" + full + "</quarter></month></year></Zandervale>");
    const std::string library = dir.file("Zandervale.xml");
    std::vector<MonthQuarter*> serial, threaded;
    YearSpan span;
    PhotoAtlas photos;
    const std::string serialLines = support::captureStdout([&] { readPictureLibrary(library.c_str(), &serial, loadTexture, &span); });
    ThumbnailCacheSet caches;
    EXPECT_EQ(support::captureStdout([&] { loadPictureLibrary(library.c_str(), &threaded, &span, photos, caches); }), serialLines);
    ASSERT_EQ(threaded.size(), 2u);
    ASSERT_EQ(threaded[0]->getPictureCount(), 21);
    ASSERT_EQ(threaded[1]->getPictureCount(), MaxTexturesPerQuarter);
    for (size_t q = 0; q < 2; ++q) {
        for (int i : {0, 1, 2, 3, 4, 5, 14, 19, 20, 248, 249}) {
            if (i < threaded[q]->getPictureCount()) {
                EXPECT_PRED3(support::nearColour, support::drawnColour(photos, threaded[q]->getTextures()[i]), support::drawnColour(photos, serial[q]->getTextures()[i]), 5)   // DXT1 rounds to 5 bits
                    << q << " " << i;
            }
        }
    }
    for (std::vector<MonthQuarter*>* records : {&serial, &threaded})
        for (MonthQuarter* record : *records)
            delete record;
}

}  // namespace
