#pragma once
// Programs that broadcast in tests must only ever run inside a test network
// namespace, never in the machine's own.
#include <string>
#include <sys/stat.h>

inline bool IsInsideOwnNetNamespace() {
    struct stat stSelf {};
    struct stat stInit {};
    if (stat("/proc/self/ns/net", &stSelf) != 0 || stat("/proc/1/ns/net", &stInit) != 0) {
        return false; // cannot tell: refuse
    }
    return stSelf.st_ino != stInit.st_ino;
}
