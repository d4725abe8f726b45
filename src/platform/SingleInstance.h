#pragma once
#include <string>

// The folder for the single-instance lock and the local socket of one user's
// session: $XDG_RUNTIME_DIR when it names a folder of ours, else strFallbackDir
// (created as needed). With its trailing slash; empty when neither can be had.
std::string ChooseInstanceDir(const std::string& strFallbackDir);

// An exclusive lock on a file, held from construction to destruction. The lock
// belongs to the open file, so the kernel drops it when the process ends in
// any way (a crash or SIGKILL included) and no stale lock is ever left. The
// descriptor is not inherited by programs this process starts.
class CSingleInstanceLock {
public:
    explicit CSingleInstanceLock(const std::string& strPath);
    ~CSingleInstanceLock();
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    // This process holds the lock.
    bool IsOwner() const { return m_bOwner; }
    // Another process holds it (false when the file could not be opened at all).
    bool IsHeldElsewhere() const { return m_bHeldElsewhere; }
    // errno of a failure to open or lock; 0 otherwise.
    int GetError() const { return m_nError; }

private:
    int m_fd = -1;
    bool m_bOwner = false;
    bool m_bHeldElsewhere = false;
    int m_nError = 0;
};
