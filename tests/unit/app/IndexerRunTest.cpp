#include "app/IndexerRun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

void waitForEnd(IndexerRun& run)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (run.poll(); run.running() && std::chrono::steady_clock::now() < deadline; run.poll())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace

TEST(IndexerRun, CountsAreWordedAsAPersonReadsThem)
{
    EXPECT_EQ(photoCountLine(1234, 5678), "1,234 of 5,678 photos");
    EXPECT_EQ(photoCountLine(0, 1), "0 of 1 photo");
    EXPECT_EQ(photoCountLine(999, 1000000), "999 of 1,000,000 photos");
}

// The real indexer started as the viewer starts it: its counts reach the viewer and its library is made.
TEST(IndexerRun, FollowsTheIndexerToItsEndAndReadsItsCounts)
{
    support::TempDir dir;
    ASSERT_EQ(mkdir(dir.file("photos").c_str(), 0755), 0);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(support::writeTwoBandPng(dir.file("photos/" + std::to_string(i) + ".png"), 64, 48,
                                             support::PngFormat::Rgb, support::red, {0, 0, static_cast<unsigned char>(50 * i), 255}));
    IndexerRun run;
    ASSERT_TRUE(run.start(ZV_TOOLS_DIR "/zandervale-index", {dir.file("photos"), dir.file("library")}));
    EXPECT_TRUE(run.running());
    EXPECT_FALSE(run.start(ZV_TOOLS_DIR "/zandervale-index", {dir.file("photos"), dir.file("other")}));
    waitForEnd(run);
    EXPECT_FALSE(run.running());
    EXPECT_EQ(run.status(), 0);
    EXPECT_EQ(run.done(), 5u);
    EXPECT_EQ(run.total(), 5u);
    struct stat library;
    EXPECT_EQ(stat(dir.file("library/Zandervale.xml").c_str(), &library), 0);

    ASSERT_TRUE(run.start(ZV_TOOLS_DIR "/zandervale-index", {dir.file("missing"), dir.file("library")}));
    waitForEnd(run);
    EXPECT_EQ(run.status(), 1);
    EXPECT_EQ(run.total(), 0u);
}
