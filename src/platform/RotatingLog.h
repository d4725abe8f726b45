#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A log file that grows by whole lines only. Each line goes out in one
// write(2) on a descriptor opened O_APPEND, under an exclusive lock of the
// file, so that lines of several programs writing at once never mix. Past
// nMaxBytes the file moves to PATH.1 (PATH.1 to PATH.2, and so on), keeping
// nKeep old files. The file is made 0600 (its folder 0700 when it is made
// too) and never through a symbolic link. A line that could not be written
// whole (a full disk) is taken back, so that the next line starts clean.
class CRotatingLog {
public:
    CRotatingLog(std::string strPath, uint64_t nMaxBytes, int nKeep);
    ~CRotatingLog();
    CRotatingLog(const CRotatingLog&) = delete;
    CRotatingLog& operator=(const CRotatingLog&) = delete;

    // strLine must end with its line feed. 0 when written; otherwise the
    // errno of the failure, and nothing of the line stays in the file.
    int Append(const std::string& strLine);
    const std::string& GetPath() const { return m_strPath; }

private:
    // Opens the file (and its folder) anew: 0 or an errno.
    int Open();
    void Close();
    // With the lock held: the old files move one place on.
    void Rotate();

    std::string m_strPath;
    uint64_t m_nMaxBytes;
    int m_nKeep;
    int m_fd = -1;
};

// The name of old file n (1 the newest) of a log.
std::string RotatedLogName(const std::string& strPath, int n);

// The lines of a log, oldest first: the old files from the oldest on, then
// the file itself; a last line without its line feed is left out. A file that
// is not there counts as empty.
std::vector<std::string> ReadLogLines(const std::string& strPath, int nKeep);
