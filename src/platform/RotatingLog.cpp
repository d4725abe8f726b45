#include "platform/RotatingLog.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// mkdir -p of the folder of strPath, new folders 0700.
void MakeParentDirs(const std::string& strPath) {
    for (size_t nPos = strPath.find('/', 1); nPos != std::string::npos;
         nPos = strPath.find('/', nPos + 1)) {
        ::mkdir(strPath.substr(0, nPos).c_str(), 0700);
    }
}

// Each round that finds the file moved follows another writer's rotation, so
// rounds are progress; the bound only guards against the unforeseen.
constexpr int LOCK_ROUNDS = 1000;
} // namespace

CRotatingLog::CRotatingLog(std::string strPath, uint64_t nMaxBytes, int nKeep)
    : m_strPath(std::move(strPath)), m_nMaxBytes(nMaxBytes), m_nKeep(nKeep < 1 ? 1 : nKeep) {}

CRotatingLog::~CRotatingLog() {
    Close();
}

std::string RotatedLogName(const std::string& strPath, int n) {
    return strPath + "." + std::to_string(n);
}

int CRotatingLog::Open() {
    Close();
    const int nFlags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
    m_fd = ::open(m_strPath.c_str(), nFlags, 0600);
    if (m_fd < 0 && errno == ENOENT) {
        MakeParentDirs(m_strPath);
        m_fd = ::open(m_strPath.c_str(), nFlags, 0600);
    }
    if (m_fd < 0) {
        return errno;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        return EINVAL; // a device or a FIFO is no log
    }
    return 0;
}

void CRotatingLog::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void CRotatingLog::Rotate() {
    for (int n = m_nKeep; n > 1; --n) {
        ::rename(RotatedLogName(m_strPath, n - 1).c_str(), RotatedLogName(m_strPath, n).c_str());
    }
    ::rename(m_strPath.c_str(), RotatedLogName(m_strPath, 1).c_str());
}

int CRotatingLog::Append(const std::string& strLine) {
    // The descriptor must name the file at the path, locked: another program
    // may have rotated it away since our last line.
    struct stat stFd {};
    bool bLocked = false;
    for (int nRound = 0; nRound < LOCK_ROUNDS && !bLocked; ++nRound) {
        if (m_fd < 0) {
            if (int nErr = Open(); nErr != 0) {
                return nErr;
            }
        }
        if (::flock(m_fd, LOCK_EX) != 0) {
            int nErr = errno;
            Close();
            return nErr;
        }
        struct stat stPath {};
        if (::fstat(m_fd, &stFd) == 0 && ::lstat(m_strPath.c_str(), &stPath) == 0 &&
            stFd.st_dev == stPath.st_dev && stFd.st_ino == stPath.st_ino) {
            if (stFd.st_size > 0 &&
                static_cast<uint64_t>(stFd.st_size) + strLine.size() > m_nMaxBytes) {
                Rotate();
                Close(); // the lock goes with it; the new file is taken next round
                continue;
            }
            bLocked = true;
        } else {
            Close();
        }
    }
    if (!bLocked) {
        Close();
        return EAGAIN;
    }
    int nErr = 0;
    ssize_t nWritten = ::write(m_fd, strLine.data(), strLine.size());
    if (nWritten != static_cast<ssize_t>(strLine.size())) {
        nErr = nWritten < 0 ? errno : ENOSPC;
        // A torn line would spoil the next one too.
        if (nWritten > 0 && ::ftruncate(m_fd, stFd.st_size) != 0) {
            nErr = errno;
        }
    }
    ::flock(m_fd, LOCK_UN);
    if (nErr != 0) {
        Close(); // opened anew next time: the folder may be back
    }
    return nErr;
}

std::vector<std::string> ReadLogLines(const std::string& strPath, int nKeep) {
    std::vector<std::string> vecLines;
    for (int n = nKeep; n >= 0; --n) {
        std::ifstream in(n == 0 ? strPath : RotatedLogName(strPath, n), std::ios::binary);
        if (!in) {
            continue;
        }
        std::string strText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t nStart = 0;
        for (size_t nEnd; (nEnd = strText.find('\n', nStart)) != std::string::npos;
             nStart = nEnd + 1) {
            if (nEnd > nStart) {
                vecLines.push_back(strText.substr(nStart, nEnd - nStart));
            }
        }
    }
    return vecLines;
}
