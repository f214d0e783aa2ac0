// When the viewer restarts itself for huge pages, and with what tunables.
#include <gtest/gtest.h>

#include <string>

#include "app/HugePages.h"

namespace {

TEST(HugePages, RestartsOnceOnlyWhenUnsetAndTheKernelGivesThemOnRequest)
{
    const char* const madvise = "always [madvise] never";
    struct Case { const char* what; const char* tunables; const char* modes; std::string restartWith; };
    const Case cases[] = {
        {"unset, madvise", nullptr, madvise, "glibc.malloc.hugetlb=1"},
        {"empty, madvise", "", madvise, "glibc.malloc.hugetlb=1"},
        {"the user's other tunables are kept", "glibc.malloc.check=3:glibc.malloc.tcache_count=0", madvise,
         "glibc.malloc.check=3:glibc.malloc.tcache_count=0:glibc.malloc.hugetlb=1"},
        {"after the restart", "glibc.malloc.hugetlb=1", madvise, ""},
        {"after the restart, with the user's", "glibc.malloc.check=3:glibc.malloc.hugetlb=1", madvise, ""},
        {"the user's 0", "glibc.malloc.hugetlb=0", madvise, ""},
        {"the user's 0 among others", "glibc.malloc.hugetlb=0:glibc.malloc.check=3", madvise, ""},
        {"always", nullptr, "[always] madvise never", ""},
        {"never", nullptr, "always madvise [never]", ""},
        {"no transparent huge pages at all", nullptr, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hugePagesRestartTunables(c.tunables, c.modes), c.restartWith) << c.what;
}

}  // namespace
