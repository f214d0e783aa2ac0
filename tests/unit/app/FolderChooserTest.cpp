// The folder chooser through the desktop portal. Its fallback to a chooser
// program, and saying there is none, are seen through LibrarySetupTest.
#include "app/FolderChooser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/FakePortal.h"

namespace {

FolderChooser::State answerOf(FolderChooser& chooser)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (chooser.state() == FolderChooser::State::Asking && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return chooser.state();
}

} // namespace

// The desktop's chooser through the portal: a folder whose name needs escaping in a URI, then a cancel.
TEST(FolderChooser, TakesThePortalsAnswerForAFolder)
{
    support::PrivateSessionBus bus;
    ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
    const std::string folder = "/home/someone/My Photos \xE2\x80\x93 2019";
    {
        support::FakePortal portal(bus, folder);
        FolderChooser chooser;
        EXPECT_EQ(chooser.state(), FolderChooser::State::Idle);
        chooser.ask("Choose your photo folder");
        EXPECT_EQ(answerOf(chooser), FolderChooser::State::Chosen);
        EXPECT_EQ(chooser.folder(), folder);
        EXPECT_TRUE(portal.directoryAsked());
    }
    support::FakePortal portal(bus, "");
    FolderChooser chooser;
    chooser.ask("Choose your photo folder");
    EXPECT_EQ(answerOf(chooser), FolderChooser::State::Cancelled);
    EXPECT_EQ(chooser.folder(), "");
    EXPECT_EQ(portal.requests(), 1);
}
