#pragma once
// The operation log: one JSON line per change to a node or to the registry,
// from the window and from mrvctl alike, in a per-user file. Writing it never
// stops an operation; what could not be written is said once per run.
#include "platform/RotatingLog.h"

#include <cstdint>
#include <string>
#include <vector>

// The log file in the per-user folder, whichever copy of the programs runs.
inline constexpr char OPLOG_FILE_NAME[] = "operations.log";
// Rotated past this size, keeping this many old files.
inline constexpr uint64_t OPLOG_MAX_BYTES = 1024 * 1024;
inline constexpr int OPLOG_KEEP = 3;

// Operations, as the log names them.
inline constexpr char OPLOG_NETWORK_ADD[] = "network-add";
inline constexpr char OPLOG_NETWORK_DELETE[] = "network-delete";
inline constexpr char OPLOG_NODE_ADD[] = "node-add";
inline constexpr char OPLOG_NODE_EDIT[] = "node-edit";       // serial number, remarks
inline constexpr char OPLOG_NODE_ADDRESS[] = "node-address"; // the registry's address only
inline constexpr char OPLOG_NODE_DELETE[] = "node-delete";
inline constexpr char OPLOG_SEARCH_ADD[] = "search-add";
inline constexpr char OPLOG_SEARCH_ADDRESS[] = "search-address"; // found on another address
inline constexpr char OPLOG_SEARCH_DROP[] = "search-drop";       // gone after a refresh search
inline constexpr char OPLOG_AUTOSET[] = "autoset";
inline constexpr char OPLOG_SETTINGS[] = "settings";
inline constexpr char OPLOG_MODE[] = "mode";
inline constexpr char OPLOG_INIT[] = "init";
inline constexpr char OPLOG_DOWNLOAD_APP[] = "download-app";
inline constexpr char OPLOG_DOWNLOAD_KERNEL[] = "download-kernel";
inline constexpr char OPLOG_APP_DELETE[] = "app-delete";
inline constexpr char OPLOG_COMMISSION[] = "commission";

// Outcomes.
inline constexpr char OPLOG_OK[] = "ok";
inline constexpr char OPLOG_FAILED[] = "failed";
inline constexpr char OPLOG_MISMATCH[] = "mismatch";
inline constexpr char OPLOG_STOPPED[] = "stopped";

// One line of the log. Texts are UTF-8.
struct SOperationEntry {
    int64_t nTime = 0;      // seconds since the epoch
    std::string strTime;    // as written: local time with its offset
    std::string strProgram; // mrvmgr or mrvctl
    std::string strUser;
    std::string strNetwork;
    std::string strMac; // empty for a network's operation
    std::string strIp;
    std::string strOperation;
    std::string strOutcome;
    std::string strMessage;
};

// The entry as one line of JSON, with its line feed.
std::string FormatOperationLine(const SOperationEntry& entry);
// A line of the log back into an entry; false for a line that is none.
bool ParseOperationLine(const std::string& strLine, SOperationEntry& entry);
// Every entry of the log at strPath (its old files too), oldest first.
std::vector<SOperationEntry> ReadOperationLog(const std::string& strPath);

// "2025-03-01T09:30:00+09:00": local time with its offset from UTC.
std::string FormatLogTime(int64_t nTime);
// A time as the log and --since write it: YYYY-MM-DD, optionally with
// [T| ]HH:MM[:SS] and Z or an offset (+09:00, +0900); local time without one.
bool ParseLogTime(const std::string& strText, int64_t& nTime);

// The log of one program's run.
class COperationLog {
public:
    // The user is the one the program runs as.
    COperationLog(std::string strProgram, const std::string& strPath,
                  uint64_t nMaxBytes = OPLOG_MAX_BYTES, int nKeep = OPLOG_KEEP);

    // Completes the entry with time, program and user and writes it: 0, or
    // the errno of the failure.
    int Write(SOperationEntry& entry);
    const std::string& GetPath() const { return m_file.GetPath(); }
    // True the first time a failure is to be said: one notice per run.
    bool TakeNotice();

private:
    std::string m_strProgram;
    std::string m_strUser;
    CRotatingLog m_file;
    bool m_bNoticeGiven = false;
};
