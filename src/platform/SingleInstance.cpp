#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string WithSlash(std::string strDir) {
    if (!strDir.empty() && strDir.back() != '/') {
        strDir += '/';
    }
    return strDir;
}

// A folder that we own and nobody else may write into.
bool IsPrivateDir(const std::string& strDir) {
    struct stat st {};
    return ::stat(strDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// mkdir -p with private new folders; true when the folder exists afterwards.
bool MakeDirs(const std::string& strDir) {
    for (size_t nPos = 1; nPos <= strDir.size(); ++nPos) {
        if (nPos == strDir.size() || strDir[nPos] == '/') {
            std::string strPart = strDir.substr(0, nPos);
            if (::mkdir(strPart.c_str(), 0700) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    struct stat st {};
    return ::stat(strDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

std::string ChooseInstanceDir(const std::string& strFallbackDir) {
    const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR");
    if (pszRuntime != nullptr && pszRuntime[0] == '/' && IsPrivateDir(pszRuntime)) {
        return WithSlash(pszRuntime);
    }
    if (strFallbackDir.empty() || !MakeDirs(strFallbackDir)) {
        return {};
    }
    return WithSlash(strFallbackDir);
}

CSingleInstanceLock::CSingleInstanceLock(const std::string& strPath) {
    m_fd = ::open(strPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_nError = errno;
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_bOwner = true;
        return;
    }
    m_nError = errno;
    m_bHeldElsewhere = m_nError == EWOULDBLOCK;
    ::close(m_fd);
    m_fd = -1;
}

CSingleInstanceLock::~CSingleInstanceLock() {
    if (m_fd >= 0) {
        ::close(m_fd); // drops the lock; the file stays for the next start
    }
}
