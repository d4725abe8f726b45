#pragma once
// The command side of one FTP control connection to a node. It decides every
// reply; the server only moves bytes over the control and data connections.
#include "SimNode.h"

#include <cstdint>
#include <string>

enum class EFtpData { None, Send, Receive };

struct SFtpStep {
    std::string strReply; // to send at once; may hold several lines
    EFtpData eData = EFtpData::None;
    std::string strData;       // what a Send transfers
    bool bOpenPassive = false; // open a passive listener, then call PassiveReply
    bool bClose = false;       // close the control connection after the reply
};

inline constexpr size_t FTP_MAX_UPLOAD = 16u << 20;

class CSimFtpSession {
public:
    CSimFtpSession(CSimNode& node, uint32_t dwPeerIp);

    static std::string Greeting();
    // One command line without its line end.
    SFtpStep OnLine(const std::string& strLine);
    // After bOpenPassive: the reply naming the listener's port.
    std::string PassiveReply(uint32_t dwLocalIp, uint16_t wPort) const;
    // A data transfer that a step started has ended.
    std::string OnSendDone(bool bOk);
    std::string OnReceiveDone(bool bOk, const std::string& strData);

    CSimNode& Node() const { return m_node; }
    bool IsPassive() const { return m_bPassive; }
    bool HasActiveTarget() const { return m_bActive; }
    uint32_t ActiveIp() const { return m_dwActiveIp; }
    uint16_t ActivePort() const { return m_wActivePort; }
    bool IsLoggedIn() const { return m_bLoggedIn; }

private:
    SFtpStep StartData(EFtpData eData, const std::string& strOpening, std::string strData);
    bool ReadPort(const std::string& strArg);
    bool ReadEprt(const std::string& strArg, std::string& strReply);

    CSimNode& m_node;
    uint32_t m_dwPeerIp;
    std::string m_strUser;
    bool m_bUserGiven = false;
    bool m_bLoggedIn = false;
    bool m_bBinary = false;
    bool m_bActive = false; // a PORT/EPRT target is set
    bool m_bPassive = false;
    bool m_bExtendedPassive = false;
    uint32_t m_dwActiveIp = 0;
    uint16_t m_wActivePort = 0;
    std::string m_strStoreName;
};
