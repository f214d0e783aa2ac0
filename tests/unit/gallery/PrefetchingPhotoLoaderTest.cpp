// The prefetching loader decodes ahead on its own thread, so that no gallery
// frame decodes or waits, and hands each path its own decoded photo however
// many are ready at once.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "gallery/Gallery.h"
#include "gallery/PrefetchingPhotoLoader.h"
#include "library/MonthQuarter.h"

namespace {

// Photo "pN" decodes N pixels wide. Decodes away from the test's thread wait
// until the gate opens (30 s at most, then they note that they timed out).
struct GatedDecoder : PhotoLoader {
    DecodedPhoto decode(const std::string& path) override
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (std::this_thread::get_id() == mainThread)
            ++onMain;
        else if (!opened.wait_for(lock, std::chrono::seconds(30), [&] { return gateOpen; }))
            timedOut = true;
        DecodedPhoto photo;
        photo.outcome = photo.Decoded, photo.width = std::stoi(path.substr(1)), photo.height = 1;
        return photo;
    }
    TextureName upload(const DecodedPhoto& photo) override { widths[++lastName] = photo.width; return lastName; }
    void release(TextureName texture) override { widths.erase(texture); }

    std::mutex mutex;
    std::condition_variable opened;
    bool gateOpen = false;
    std::atomic<bool> timedOut{false};
    const std::thread::id mainThread = std::this_thread::get_id();
    int onMain = 0;
    std::map<TextureName, int> widths;   // main thread only
    TextureName lastName = 0;
};

TEST(PrefetchingPhotoLoader, NoFrameDecodesOrWaitsAndEachChangeShowsItsPhotoOnceDecoded)
{
    GatedDecoder decoder;
    PrefetchingPhotoLoader loader(&decoder);
    Gallery gallery(&loader);
    const GalleryPaging& shown = gallery.shown();
    MonthQuarter record(1, 1, 1, std::vector<TextureName>(4), std::vector<std::string>{"p0", "p1", "p2", "p3"});
    gallery.load(&record, 0);
    gallery.advance(2.0), gallery.specialUp(GLUT_KEY_RIGHT, 0, 0), gallery.advance(0.1);   // the worker holds p0
    EXPECT_TRUE(shown.shownPhoto().empty() && shown.showsLoadingNotice() && shown.getIndex() == 0);
    std::unique_lock<std::mutex>(decoder.mutex), decoder.gateOpen = true, decoder.opened.notify_all();   // held to the ;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (int step = 0; step <= 5; ++step) {   // the wrap to p0 was never asked for ahead
        while ((shown.awaitsPhoto() || shown.isFading()) && std::chrono::steady_clock::now() < deadline)
            gallery.advance(0.1);
        EXPECT_EQ(decoder.widths[shown.shownPhoto().texture], step % 4);
        gallery.specialUp(GLUT_KEY_RIGHT, 0, 0);
    }
    EXPECT_TRUE(decoder.onMain == 0 && !decoder.timedOut);
    loader.prefetch({"p7", "p8"});
    while (!loader.ready("p8") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    loader.prefetch({"p8"});   // drops p7
    EXPECT_FALSE(loader.ready("p7"));
    EXPECT_EQ(loader.decode("p8").width, 8);
    EXPECT_EQ(loader.decode("p7").width, 7);
    loader.prefetch({"p5", "p6"});   // both ready, the second asked for first
    ASSERT_TRUE(loader.awaitReady("p5", 30.0) && loader.awaitReady("p6", 30.0));
    EXPECT_EQ(loader.decode("p6").width, 6);
    EXPECT_EQ(loader.decode("p5").width, 5);
    EXPECT_EQ(decoder.onMain, 0);
}

}  // namespace
