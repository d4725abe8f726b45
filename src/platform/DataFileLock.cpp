#include "platform/DataFileLock.h"

#include "platform/AtomicFile.h"
#include "platform/ProcessTable.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
constexpr char DATALOCK_SUFFIX[] = ".lock";
// Between two tries while waiting: short against a command's length.
constexpr uint32_t DATALOCK_RETRY_MS = 50;

std::string ReadSmallFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::string str(256, '\0');
    in.read(str.data(), static_cast<std::streamsize>(str.size()));
    str.resize(static_cast<size_t>(in.gcount()));
    return str;
}

std::string ReadSmallFileWhole(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void SleepMs(uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    ::nanosleep(&ts, nullptr); // a signal only shortens one round
}

uint64_t MonotonicMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}
} // namespace

std::string CDataFileLock::LockPathOf(const std::string& strDataPath) {
    // Beside the file itself, so that every path to it meets the same lock.
    std::string strTarget;
    if (ResolveWriteTarget(strDataPath, strTarget) != 0) {
        strTarget = strDataPath;
    }
    return strTarget + DATALOCK_SUFFIX;
}

CDataFileLock::CDataFileLock(const std::string& strDataPath, std::string strProgram)
    : m_strLockPath(LockPathOf(strDataPath)), m_strProgram(std::move(strProgram)) {}

CDataFileLock::~CDataFileLock() {
    if (m_fd >= 0) {
        ::close(m_fd); // drops the lock; the file stays for the next holder
    }
}

bool CDataFileLock::TryOnce(EDataLock eKind) {
    if (m_fd < 0) {
        // The lock needs no write permission; the name written for others does.
        // A reader creates nothing: without a lock file no writer ever ran.
        const int nCreate = eKind == EDataLock::Exclusive ? O_CREAT : 0;
        m_fd = ::open(m_strLockPath.c_str(), O_RDWR | nCreate | O_CLOEXEC | O_NOFOLLOW, 0666);
        m_bWritable = m_fd >= 0;
        if (m_fd < 0 && errno == EACCES) {
            m_fd = ::open(m_strLockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        }
        if (m_fd < 0) {
            m_nError = errno;
            return false;
        }
    }
    if (::flock(m_fd, (eKind == EDataLock::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        m_nError = errno;
        return false;
    }
    m_bHeld = true;
    m_nError = 0;
    if (eKind == EDataLock::Exclusive && m_bWritable) {
        std::string strMe = m_strProgram + " " + std::to_string(::getpid()) + "\n";
        if (::ftruncate(m_fd, 0) != 0 ||
            ::pwrite(m_fd, strMe.data(), strMe.size(), 0) != static_cast<ssize_t>(strMe.size())) {
            // only the name for a refused program is missing
        }
    }
    return true;
}

EDataLockResult CDataFileLock::Acquire(EDataLock eKind, uint32_t dwWaitMs,
                                       const std::function<bool()>& fnStop) {
    const uint64_t qwDeadline = MonotonicMs() + dwWaitMs;
    for (;;) {
        if (TryOnce(eKind)) {
            return EDataLockResult::Held;
        }
        if (m_nError != EWOULDBLOCK && m_nError != EINTR) {
            return EDataLockResult::Unavailable;
        }
        if (fnStop && fnStop()) {
            return EDataLockResult::Stopped;
        }
        uint64_t qwNow = MonotonicMs();
        if (qwNow >= qwDeadline) {
            return EDataLockResult::Busy;
        }
        SleepMs(static_cast<uint32_t>(std::min<uint64_t>(DATALOCK_RETRY_MS, qwDeadline - qwNow)));
    }
}

SDataLockHolder CDataFileLock::FindHolder(const std::string& strDataPath) {
    SDataLockHolder holder;
    const std::string strLockPath = LockPathOf(strDataPath);
    struct stat st {};
    if (::stat(strLockPath.c_str(), &st) != 0) {
        return holder;
    }
    // The kernel's table of locks: "1: FLOCK  ADVISORY  WRITE 1234 fe:00:5678 0 EOF";
    // a waiter's line has "->" after the number.
    char szFile[64];
    std::snprintf(szFile, sizeof szFile, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    std::istringstream in(ReadSmallFileWhole("/proc/locks"));
    std::string strLine;
    while (std::getline(in, strLine)) {
        std::istringstream line(strLine);
        std::string strNumber, strKind, strAdvisory, strAccess, strPid, strFileId;
        line >> strNumber >> strKind;
        if (strKind == "->") {
            continue;
        }
        line >> strAdvisory >> strAccess >> strPid >> strFileId;
        if (strKind != "FLOCK" || strFileId != szFile) {
            continue;
        }
        holder.pid = static_cast<pid_t>(std::atoi(strPid.c_str()));
        holder.bShared = strAccess == "READ";
        break;
    }
    if (holder.pid <= 0) {
        holder.pid = 0;
        return holder;
    }
    // The name it wrote of itself counts while the pid is its own.
    std::istringstream written(ReadSmallFile(strLockPath));
    std::string strProgram;
    pid_t pidWritten = 0;
    if (!holder.bShared && (written >> strProgram >> pidWritten) && pidWritten == holder.pid) {
        holder.strProgram = strProgram;
    } else {
        holder.strProgram = GetProcessName(holder.pid);
    }
    return holder;
}
