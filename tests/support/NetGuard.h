#pragma once
// Programs that broadcast in tests must only ever run inside a test network
// namespace, never in the machine's own.
#include <cstdlib>
#include <string>
#include <sys/stat.h>

// True inside a network namespace other than that of PID 1, or, where that
// cannot be read, other than the one scripts/testnet names in MRVT_HOST_NETNS.
inline bool IsInsideOwnNetNamespace() {
    struct stat stSelf {};
    if (stat("/proc/self/ns/net", &stSelf) != 0) {
        return false;
    }
    struct stat stInit {};
    if (stat("/proc/1/ns/net", &stInit) == 0) {
        return stSelf.st_ino != stInit.st_ino;
    }
    const char* pszHost = std::getenv("MRVT_HOST_NETNS");
    return pszHost != nullptr && *pszHost != '\0' && std::to_string(stSelf.st_ino) != pszHost;
}
