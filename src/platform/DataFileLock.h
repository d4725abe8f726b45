#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

enum class EDataLock { Shared, Exclusive };

enum class EDataLockResult {
    Held,        // ours until the lock object goes
    Busy,        // another program held it for the whole wait
    Unavailable, // no lock file to be had (no such folder, not ours to write; for a
                 // reader: none yet, so no writer ever ran)
    Stopped,     // the wait was ended early
};

// Who holds the lock of a data file, as far as can be seen.
struct SDataLockHolder {
    pid_t pid = 0;          // 0: nobody, or not to be seen from here
    std::string strProgram; // the name it gave, else its process name; empty: not known
    bool bShared = false;   // a reader
};

// The one lock on a data file, held by whichever program may write the file
// (the manager for its whole run, mrvctl for one command); readers share it.
// It is a kernel lock (flock) on "<data file>.lock" beside the file the data
// file's links lead to, so that it dies with its holder however that ends and a
// stale lock never blocks. The holder of the exclusive lock writes its
// program's name and pid into the lock file for a refused program to name it.
class CDataFileLock {
public:
    CDataFileLock(const std::string& strDataPath, std::string strProgram);
    ~CDataFileLock();
    CDataFileLock(const CDataFileLock&) = delete;
    CDataFileLock& operator=(const CDataFileLock&) = delete;

    // Tries at once, then again until dwWaitMs have passed; fnStop (may be
    // empty) ends the wait early when it says so.
    EDataLockResult Acquire(EDataLock eKind, uint32_t dwWaitMs,
                            const std::function<bool()>& fnStop);
    bool IsHeld() const { return m_bHeld; }
    // errno of the failure when Unavailable.
    int GetError() const { return m_nError; }
    const std::string& GetLockPath() const { return m_strLockPath; }

    // Who holds the lock of that data file now.
    static SDataLockHolder FindHolder(const std::string& strDataPath);
    static std::string LockPathOf(const std::string& strDataPath);

private:
    bool TryOnce(EDataLock eKind);

    std::string m_strLockPath;
    std::string m_strProgram;
    int m_fd = -1;
    bool m_bWritable = false;
    bool m_bHeld = false;
    int m_nError = 0;
};
