#pragma once
// The kinds of wait the close tests catch the manager in, shared by the test
// and the program it drives.
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

inline constexpr char MAC_FIRST[] = "0080D4500001";  // 192.168.1.51
inline constexpr char MAC_SECOND[] = "0080D4500002"; // 192.168.1.52, not registered at first
inline constexpr char MAC_SILENT[] = "0080D4500003"; // 192.168.1.53, never answers
inline constexpr char KEPT_REMARK[] = "UNSAVED";     // made in memory; only a save keeps it
inline const std::string IMAGE = "S0100000544553544150502056312E303297\r\n"
                                 "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                                 "S9030000FC\r\n";

enum class EWait {
    Idle,
    SearchProbes,     // the 16 probes, 50 ms apart
    SearchCollection, // the replies' collection window after them
    IpSearch,         // the pause after the probes to chosen addresses
    NoReply,          // a mode change nobody answers
    RestartPause,     // the 3000 ms a node takes to restart for a download
    FtpRun,           // the ftp client putting the file
    Batch,            // a batch download
    ProgressOpen,     // after a batch, its progress window still open
};
enum class EClose { Box, Exit, Term, Hup };

struct SCloseCase {
    const char* pszName;
    EWait eWait;
    EClose eClose;
    int nDelayMs;  // from the start of the wait to the close
    int nRemainMs; // the longest the command may run on after the close
};

// clang-format off
inline constexpr SCloseCase CASES[] = {
    {"probes-box",      EWait::SearchProbes,     EClose::Box,  300,  2000},
    {"probes-term",     EWait::SearchProbes,     EClose::Term, 300,  2000},
    {"collection-box",  EWait::SearchCollection, EClose::Box,  1300, 1000},
    {"ipsearch-box",    EWait::IpSearch,         EClose::Box,  300,  2300},
    {"noreply-box",     EWait::NoReply,          EClose::Box,  500,  4500},
    {"restart-box",     EWait::RestartPause,     EClose::Box,  1000, 2500},
    {"ftp-box",         EWait::FtpRun,           EClose::Box,  200,  4000},
    {"ftp-hup",         EWait::FtpRun,           EClose::Hup,  200,  4000},
    {"batch-box",       EWait::Batch,            EClose::Box,  500,  5000},
    {"batch-term",      EWait::Batch,            EClose::Term, 500,  5000},
    {"progress-exit",   EWait::ProgressOpen,     EClose::Exit, 200,  0},
    {"progress-box",    EWait::ProgressOpen,     EClose::Box,  200,  0},
    {"idle-term",       EWait::Idle,             EClose::Term, 200,  0},
};
// clang-format on

inline const SCloseCase* FindCase(const char* pszName) {
    for (const SCloseCase& c : CASES) {
        if (pszName != nullptr && std::strcmp(c.pszName, pszName) == 0) {
            return &c;
        }
    }
    return nullptr;
}

inline int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The manager's run with one case's command driven from inside (the case
// named by MRVT_CLOSE_CASE); argv[1] is the option that chose this role.
int RunDrivenManager(int argc, char** argv);
