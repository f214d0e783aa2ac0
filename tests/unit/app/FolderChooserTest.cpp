#include "app/FolderChooser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/FakePortal.h"
#include "support/TempDir.h"

namespace {

FolderChooser::State answerOf(FolderChooser& chooser)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (chooser.state() == FolderChooser::State::Asking && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return chooser.state();
}

// PATH for one test, put back when it ends.
class SearchPath {
public:
    explicit SearchPath(const std::string& path) : saved(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        setenv("PATH", path.c_str(), 1);
    }
    ~SearchPath() { setenv("PATH", saved.c_str(), 1); }

private:
    std::string saved;
};

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

// Without a session bus: zenity where it is installed, else nothing to ask with.
TEST(FolderChooser, FallsBackToAChooserProgramAndElseSaysThereIsNone)
{
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    support::TempDir dir;
    ASSERT_EQ(mkdir(dir.file("bin").c_str(), 0755), 0);
    {
        SearchPath path(dir.file("empty"));
        FolderChooser chooser;
        chooser.ask("Choose your photo folder");
        EXPECT_EQ(answerOf(chooser), FolderChooser::State::Unavailable);
    }
    dir.write("bin/zenity", "#!/bin/sh\ncase \"$*\" in *--directory*) echo /srv/photos ;; *) exit 1 ;; esac\n");
    ASSERT_EQ(chmod(dir.file("bin/zenity").c_str(), 0755), 0);
    SearchPath path(dir.file("bin") + ":/bin:/usr/bin");
    FolderChooser chooser;
    chooser.ask("Choose your photo folder");
    EXPECT_EQ(answerOf(chooser), FolderChooser::State::Chosen);
    EXPECT_EQ(chooser.folder(), "/srv/photos");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}
