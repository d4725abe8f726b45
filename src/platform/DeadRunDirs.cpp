#include "platform/DeadRunDirs.h"

#include "platform/ProcessTable.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Our working folders hold a script and a listing; deeper is not ours.
constexpr int DEADRUN_MAX_DEPTH = 4;

// Empties the folder open as fdDir, never following a link. True when empty.
bool EmptyDir(int fdDir, int nDepth) {
    int fdList = ::dup(fdDir);
    DIR* pDir = fdList >= 0 ? ::fdopendir(fdList) : nullptr;
    if (pDir == nullptr) {
        if (fdList >= 0) {
            ::close(fdList);
        }
        return false;
    }
    bool bEmpty = true;
    while (const dirent* pEntry = ::readdir(pDir)) {
        std::string strName = pEntry->d_name;
        if (strName == "." || strName == "..") {
            continue;
        }
        struct stat st {};
        if (::fstatat(fdDir, strName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            bEmpty = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            int fdSub = nDepth < DEADRUN_MAX_DEPTH
                            ? ::openat(fdDir, strName.c_str(),
                                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                            : -1;
            bool bSubEmpty = fdSub >= 0 && EmptyDir(fdSub, nDepth + 1);
            if (fdSub >= 0) {
                ::close(fdSub);
            }
            bEmpty = bSubEmpty && ::unlinkat(fdDir, strName.c_str(), AT_REMOVEDIR) == 0 && bEmpty;
        } else {
            bEmpty = ::unlinkat(fdDir, strName.c_str(), 0) == 0 && bEmpty;
        }
    }
    ::closedir(pDir);
    return bEmpty;
}

// The pid in "<pid>-<rest>", or 0.
pid_t PidOf(const std::string& strRest) {
    size_t nDash = strRest.find('-');
    if (nDash == 0 || nDash == std::string::npos || nDash > 9 ||
        strRest.find_first_not_of("0123456789") != nDash) {
        return 0;
    }
    return static_cast<pid_t>(std::stol(strRest.substr(0, nDash)));
}
} // namespace

int RemoveDeadProcessDirs(const std::string& strParent, const std::string& strPrefix) {
    int fdParent = ::open(strParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdParent < 0) {
        return 0;
    }
    int fdList = ::dup(fdParent);
    DIR* pDir = fdList >= 0 ? ::fdopendir(fdList) : nullptr;
    if (pDir == nullptr) {
        if (fdList >= 0) {
            ::close(fdList);
        }
        ::close(fdParent);
        return 0;
    }
    int nRemoved = 0;
    while (const dirent* pEntry = ::readdir(pDir)) {
        std::string strName = pEntry->d_name;
        if (strName.compare(0, strPrefix.size(), strPrefix) != 0) {
            continue;
        }
        pid_t pid = PidOf(strName.substr(strPrefix.size()));
        if (pid <= 0 || IsOwnLiveProcess(pid)) {
            continue;
        }
        int fdDir =
            ::openat(fdParent, strName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fdDir < 0) {
            continue; // a link, or no folder
        }
        struct stat st {};
        bool bOurs = ::fstat(fdDir, &st) == 0 && st.st_uid == ::geteuid();
        bool bEmptied = bOurs && EmptyDir(fdDir, 1);
        ::close(fdDir);
        if (bEmptied && ::unlinkat(fdParent, strName.c_str(), AT_REMOVEDIR) == 0) {
            ++nRemoved;
        }
    }
    ::closedir(pDir);
    ::close(fdParent);
    return nRemoved;
}
