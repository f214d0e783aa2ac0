// The tunable is added to any the user set; a user's own choice of
// glibc.malloc.hugetlb, 0 included, is left alone and stops the restart.
#include "app/HugePages.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

const char tunable[] = "glibc.malloc.hugetlb";

// In "always" mode every large region gets huge pages anyway, and "never"
// refuses them: only "madvise" needs asking.
bool hugePagesOnRequest()
{
    std::ifstream mode("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(mode, text);
    return text.find("[madvise]") != std::string::npos;
}

}  // namespace

void restartWithHugePages(char** argv)
{
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if ((tunables != nullptr && std::strstr(tunables, tunable) != nullptr) || !hugePagesOnRequest())
        return;
    std::string value = std::string(tunable) + "=1";
    if (tunables != nullptr && *tunables != '\0')
        value = std::string(tunables) + ":" + value;
    if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0)
        return;
    // By its own path, not /proc/self/exe, so that the process keeps its name.
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return;
    self[length] = '\0';
    execv(self, argv);
}
