// The tunable is added to any the user set; a user's own choice of
// glibc.malloc.hugetlb, 0 included, is left alone and stops the restart.
#include "app/HugePages.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

void restartWithHugePages(char** argv)
{
    std::ifstream modes("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    std::getline(modes, line);
    const std::string value = hugePagesRestartTunables(std::getenv("GLIBC_TUNABLES"), line);
    if (value.empty() || setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0)
        return;
    // By its own path, not /proc/self/exe, so that the process keeps its name.
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return;
    self[length] = '\0';
    execv(self, argv);
}

std::string hugePagesRestartTunables(const char* tunables, const std::string& kernelModes)
{
    const char tunable[] = "glibc.malloc.hugetlb";
    // In "always" mode every large region gets huge pages anyway, and "never"
    // refuses them: only "madvise" needs asking.
    if ((tunables != nullptr && std::strstr(tunables, tunable) != nullptr) ||
        kernelModes.find("[madvise]") == std::string::npos)
        return "";
    const std::string value = std::string(tunable) + "=1";
    return tunables != nullptr && *tunables != '\0' ? std::string(tunables) + ":" + value : value;
}
