#include "library/LibraryWatch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "support/TempDir.h"

namespace {

// The indexer's way: a finished temporary file renamed over the library.
void replace(const support::TempDir& dir, const std::string& name)
{
    dir.write(".new", "<Zandervale/>");
    ASSERT_EQ(std::rename(dir.file(".new").c_str(), dir.file(name).c_str()), 0);
}

} // namespace

TEST(LibraryWatch, SeesEachRewriteOfItsFileOnceAndNothingElse)
{
    support::TempDir dir;
    dir.write("Zandervale.xml", "<Zandervale/>");
    LibraryWatch watch(dir.file("Zandervale.xml"));
    EXPECT_FALSE(watch.rewritten());
    replace(dir, "Zandervale.xml");
    replace(dir, "Zandervale.xml");   // a burst reads as one rewrite
    EXPECT_TRUE(watch.rewritten());
    EXPECT_FALSE(watch.rewritten());
    replace(dir, "t00001.jpg");
    dir.write("zandervale-index.log", "x");
    EXPECT_FALSE(watch.rewritten());
    dir.write("Zandervale.xml", "<Zandervale></Zandervale>");   // written in place and closed
    EXPECT_TRUE(watch.rewritten());
}

TEST(LibraryWatch, WaitsForAFolderThatIsNotThereYet)
{
    support::TempDir dir;
    LibraryWatch watch(dir.file("library/Zandervale.xml"));
    EXPECT_FALSE(watch.rewritten());
    ASSERT_EQ(mkdir(dir.file("library").c_str(), 0755), 0);
    EXPECT_FALSE(watch.rewritten());   // the folder alone is no library
    replace(dir, "library/Zandervale.xml");
    EXPECT_TRUE(watch.rewritten());
    EXPECT_FALSE(watch.rewritten());
}
