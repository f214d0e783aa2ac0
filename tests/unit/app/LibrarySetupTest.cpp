#include "app/LibrarySetup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

using Stage = LibrarySetup::Stage;

// Updates the set-up each frame until it leaves stage, as the window does.
Stage after(LibrarySetup& setup, Stage stage)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (setup.update(); setup.stage() == stage && std::chrono::steady_clock::now() < deadline; setup.update())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return setup.stage();
}

bool shows(const LibrarySetup& setup, const std::string& line)
{
    for (const std::string& shown : setup.lines())
        if (shown == line)
            return true;
    return false;
}

void type(LibrarySetup& setup, const std::string& keys)
{
    for (char key : keys)
        EXPECT_TRUE(setup.keyboard(static_cast<unsigned char>(key)));
}

// A person's session: HOME and PATH of the test's own, no session bus.
class SetupSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = {std::getenv("HOME") ? std::getenv("HOME") : "", std::getenv("PATH") ? std::getenv("PATH") : ""};
        setenv("HOME", dir.path().c_str(), 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
        ASSERT_EQ(mkdir(dir.file("bin").c_str(), 0755) + mkdir(dir.file("Photos").c_str(), 0755) +
                      mkdir(dir.file("Empty").c_str(), 0755), 0);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(support::writeTwoBandPng(dir.file("Photos/" + std::to_string(i) + ".png"), 64, 48,
                                                 support::PngFormat::Rgb, support::green,
                                                 {static_cast<unsigned char>(60 * i), 0, 0, 255}));
        setenv("PATH", (dir.file("bin") + ":/bin:/usr/bin").c_str(), 1);
    }
    void TearDown() override
    {
        setenv("HOME", saved.first.c_str(), 1), setenv("PATH", saved.second.c_str(), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    support::TempDir dir;
    std::pair<std::string, std::string> saved;
};

} // namespace

// The desktop's chooser answers: the folder is indexed into the library folder, its count shown on the way.
TEST_F(SetupSession, AChosenFolderIsIndexedIntoTheLibrary)
{
    dir.write("bin/zenity", "#!/bin/sh\necho " + dir.file("Photos") + "\n");
    ASSERT_EQ(chmod(dir.file("bin/zenity").c_str(), 0755), 0);
    LibrarySetup setup(ZV_TOOLS_DIR "/zandervale-index", dir.file("library"));
    EXPECT_TRUE(shows(setup, "Choose your photo folder (C or click)"));
    setup.choose();
    EXPECT_EQ(setup.stage(), Stage::Choosing);
    EXPECT_EQ(after(setup, Stage::Choosing), Stage::Indexing);
    EXPECT_TRUE(shows(setup, "Making the city of " + dir.file("Photos")));
    EXPECT_GE(setup.progress(), 0.0);
    EXPECT_EQ(after(setup, Stage::Indexing), Stage::Done);
    EXPECT_LT(setup.progress(), 0.0);
    struct stat library;
    EXPECT_EQ(stat(dir.file("library/Zandervale.xml").c_str(), &library), 0);
}

// No chooser at all: the path is typed ("~/" as the shell reads it); a wrong one is said so, a folder the
// indexer finds nothing in fails and is offered again.
TEST_F(SetupSession, WithoutAChooserThePathIsTypedAndAFailureIsSaid)
{
    LibrarySetup setup(ZV_TOOLS_DIR "/zandervale-index", dir.file("library"));
    setup.choose();
    EXPECT_EQ(after(setup, Stage::Choosing), Stage::Typing);
    EXPECT_TRUE(setup.keyboard('\x1b'));
    EXPECT_EQ(setup.stage(), Stage::Offer);
    setup.choose();
    after(setup, Stage::Choosing);
    type(setup, "Nope\r");
    EXPECT_EQ(setup.stage(), Stage::Typing);
    EXPECT_TRUE(shows(setup, "There is no folder ~/Nope"));
    type(setup, "\b\b\b\bEmpty\r");
    EXPECT_EQ(setup.stage(), Stage::Indexing);
    EXPECT_EQ(after(setup, Stage::Indexing), Stage::Failed);
    // The indexer's own words for it.
    EXPECT_TRUE(shows(setup, "zandervale-index: No photos found under " + dir.file("Empty")));
    EXPECT_TRUE(shows(setup, "Choose your photo folder (C or click)"));
    EXPECT_FALSE(setup.keyboard('x'));
}
