#pragma once
// One simulated node: its state and how it answers a request. No sockets here;
// the simulator hands requests in and sends the replies out.
#include "SRecord.h"
#include "SimCodec.h"
#include "SimFaults.h"
#include "SimFiles.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

inline constexpr unsigned SIM_DEFAULT_RESTART_MS = 2000;
inline constexpr unsigned SIM_PROBE_COUNT = 16;
inline constexpr size_t SIM_HISTORY_LIMIT = 4096;

struct SSimReply {
    SimBytes vecData;
    unsigned nDelayMs = 0;
};

struct SSimOutcome {
    bool bForMe = false;        // the request named this node (or was a search it answers)
    bool bStateChanged = false; // address, mode or restart changed
    std::vector<SSimReply> vecReplies;
};

// What a node in its application mode makes of a stored .mot: keep it as the
// file it was sent, or install it as an application under its own name (the
// image's "NAME Vm.nn" header) with its size in whole sectors.
enum class ESimStore { Keep, Install };

struct SSimFtpResult {
    int nCode = 0; // FTP reply code
    std::string strText;
    std::string Reply() const { return std::to_string(nCode) + " " + strText + "\r\n"; }
    bool Ok() const { return nCode < 400; }
};

class CSimNode {
public:
    explicit CSimNode(const SimMac& mac);

    SimMac m_mac{};
    uint8_t m_byModel = MODEL_CODE_MRV620;
    uint8_t m_byMode = NODEMODE_NORMAL0;
    NODEPARAM m_param{}; // dwOwnIp is the node's address
    unsigned m_nRestartMs = SIM_DEFAULT_RESTART_MS;
    unsigned m_nProbes = SIM_PROBE_COUNT; // how many of the 16 search probes it answers
    std::string m_strBoard = "MRV-620 REV.A";
    int m_nBootMajor = 1;
    int m_nBootMinor = 0;
    CSimFileStore m_files;
    SSimFaults m_faults;
    uint64_t m_nAwakeAt = 0; // deaf until then after a restart
    std::deque<std::string> m_deqHistory;
    ESimStore m_eStore = ESimStore::Keep;
    std::deque<std::string> m_deqFtpLog; // FTP command lines as received, without line ends

    uint32_t Ip() const { return m_param.dwOwnIp; }
    bool IsAwake(uint64_t nNow) const { return nNow >= m_nAwakeAt; }
    bool IsFtpMode() const {
        return m_byMode == NODEMODE_KERNEL_DOWNLOAD || m_byMode == NODEMODE_SETUP;
    }
    bool IsFtpUp(uint64_t nNow) const { return IsFtpMode() && IsAwake(nNow); }

    SSimOutcome Handle(const SSimRequest& req, bool bBroadcast, uint64_t nNow);

    // FTP account: the record's user name and password; an empty user name is
    // the account-less user "(none)", whose password may be anything. As on a
    // real server every USER is asked for its PASS, an empty one included.
    std::string AccountUser() const;
    std::string AccountPassword() const;
    bool CheckLogin(const std::string& strUser, const std::string& strPassword) const;

    // Whether an upload under this remote name may start, and what becomes of
    // it. A name with a directory in it is refused: the node has none.
    SSimFtpResult CheckStore(const std::string& strName) const;
    SSimFtpResult Store(const std::string& strName, const std::string& strData);
    SSimFtpResult Delete(const std::string& strName);
    void NoteFtpCommand(const std::string& strLine);

    SSimVersionInfo Version() const;

    // The whole state as lines ending in "\n", compared whole by tests.
    std::string Dump(uint64_t nNow) const;

    // One setting by name, shared by the configuration file and the control
    // channel: ip, mode, model, restart, probes, board, kernel, boot, user,
    // password, param.FIELD, app (NAME:M.mm[:SIZE]), sysfile / datafile
    // (NAME:SIZE), store (keep|install), fault.NAME.
    bool Set(const std::string& strKey, const std::string& strValue, std::string& strError);

private:
    SSimFtpResult Install(const std::string& strName, const SSRecordImage& image);
    void Note(const SSimRequest& req, bool bBroadcast, const std::string& strOutcome);
    SimBytes Header(uint16_t wRequest, uint8_t byResult) const;
};
