#include "platform/Process.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace platform {

void useLargePages(char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
    constexpr const char* kTunable = "glibc.malloc.hugetlb";
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables && std::strstr(tunables, kTunable))
        return; // already on, or set otherwise by the user
    std::string value = tunables && *tunables ? std::string(tunables) + ':' : std::string();
    value += std::string(kTunable) + "=1";
    if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0)
        return;
    ::execv("/proc/self/exe", argv);
    // Not started again: run on without.
    if (tunables)
        ::setenv("GLIBC_TUNABLES", tunables, 1);
    else
        ::unsetenv("GLIBC_TUNABLES");
#else
    (void)argv;
#endif
}

} // namespace platform
