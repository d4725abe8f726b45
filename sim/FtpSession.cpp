#include "FtpSession.h"

#include <cstdio>
#include <vector>

namespace {
std::string Upper(std::string str) {
    for (char& c : str) {
        c = char(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    return str;
}

std::string Reply(int nCode, const std::string& strText) {
    return std::to_string(nCode) + " " + strText + "\r\n";
}

bool ReadDecimal(const std::string& str, unsigned nMax, unsigned& n) {
    if (str.empty() || str.size() > 5 || str.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    n = unsigned(std::stoul(str));
    return n <= nMax;
}
} // namespace

CSimFtpSession::CSimFtpSession(CSimNode& node, uint32_t dwPeerIp)
    : m_node(node), m_dwPeerIp(dwPeerIp) {}

std::string CSimFtpSession::Greeting() {
    return Reply(220, "MRV-620 FTP server ready.");
}

bool CSimFtpSession::ReadPort(const std::string& strArg) {
    unsigned an[6];
    size_t nStart = 0;
    for (int i = 0; i < 6; ++i) {
        size_t nComma = strArg.find(',', nStart);
        if ((i < 5) != (nComma != std::string::npos)) {
            return false;
        }
        std::string strPart = strArg.substr(nStart, nComma - nStart);
        if (!ReadDecimal(strPart, 255, an[i])) {
            return false;
        }
        nStart = nComma + 1;
    }
    m_dwActiveIp = (an[0] << 24) | (an[1] << 16) | (an[2] << 8) | an[3];
    m_wActivePort = uint16_t((an[4] << 8) | an[5]);
    return true;
}

bool CSimFtpSession::ReadEprt(const std::string& strArg, std::string& strReply) {
    // |1|a.b.c.d|port| with any delimiter character.
    if (strArg.size() < 7) {
        strReply = Reply(501, "Illegal EPRT command.");
        return false;
    }
    char cDelim = strArg[0];
    std::vector<std::string> vecParts;
    size_t nStart = 1;
    for (size_t i = 1; i < strArg.size(); ++i) {
        if (strArg[i] == cDelim) {
            vecParts.push_back(strArg.substr(nStart, i - nStart));
            nStart = i + 1;
        }
    }
    if (vecParts.size() != 3 || nStart != strArg.size()) {
        strReply = Reply(501, "Illegal EPRT command.");
        return false;
    }
    if (vecParts[0] != "1") {
        strReply = Reply(522, "Network protocol not supported, use (1).");
        return false;
    }
    uint32_t dwIp = 0;
    unsigned nPort = 0;
    if (!SimTextToIp(vecParts[1], dwIp) || !ReadDecimal(vecParts[2], 65535, nPort) || nPort == 0) {
        strReply = Reply(501, "Illegal EPRT command.");
        return false;
    }
    m_dwActiveIp = dwIp;
    m_wActivePort = uint16_t(nPort);
    return true;
}

SFtpStep CSimFtpSession::StartData(EFtpData eData, const std::string& strOpening,
                                   std::string strData) {
    SFtpStep step;
    if (!m_bActive && !m_bPassive) {
        step.strReply = Reply(425, "Use PORT or PASV first.");
        return step;
    }
    step.strReply = Reply(150, strOpening);
    step.eData = eData;
    step.strData = std::move(strData);
    return step;
}

SFtpStep CSimFtpSession::OnLine(const std::string& strLine) {
    SFtpStep step;
    size_t nSpace = strLine.find(' ');
    std::string strVerb = Upper(strLine.substr(0, nSpace));
    std::string strArg = nSpace == std::string::npos ? "" : strLine.substr(nSpace + 1);

    if (strVerb == "USER") {
        // Nothing is told before the password, whoever the user is.
        m_bLoggedIn = false;
        m_bUserGiven = true;
        m_strUser = strArg;
        step.strReply = Reply(331, "Password required for " + strArg + ".");
        return step;
    }
    if (strVerb == "PASS") {
        if (m_bLoggedIn) {
            step.strReply = Reply(230, "Already logged in.");
        } else if (!m_bUserGiven) {
            step.strReply = Reply(503, "Login with USER first.");
        } else if (m_node.CheckLogin(m_strUser, strArg)) {
            m_bLoggedIn = true;
            step.strReply = Reply(230, "User " + m_strUser + " logged in.");
        } else {
            m_bUserGiven = false;
            step.strReply = Reply(530, "Login incorrect.");
        }
        return step;
    }
    if (strVerb == "QUIT") {
        step.strReply = Reply(221, "Goodbye.");
        step.bClose = true;
        return step;
    }
    if (strVerb == "SYST") {
        step.strReply = Reply(215, "UNIX Type: L8");
        return step;
    }
    if (strVerb == "FEAT") {
        step.strReply = "211-Features:\r\n EPRT\r\n EPSV\r\n PASV\r\n SIZE\r\n211 End\r\n";
        return step;
    }
    if (strVerb == "NOOP") {
        step.strReply = Reply(200, "NOOP command successful.");
        return step;
    }
    if (strVerb == "OPTS") {
        step.strReply = Reply(501, "Option not understood.");
        return step;
    }
    if (!m_bLoggedIn) {
        step.strReply = Reply(530, "Please login with USER and PASS.");
        return step;
    }

    if (strVerb == "PWD" || strVerb == "XPWD") {
        step.strReply = Reply(257, "\"/\" is the current directory.");
    } else if (strVerb == "CWD" || strVerb == "XCWD") {
        step.strReply = (strArg == "/" || strArg == "." || strArg.empty())
                            ? Reply(250, "CWD command successful.")
                            : Reply(550, strArg + ": No such directory.");
    } else if (strVerb == "CDUP" || strVerb == "XCUP") {
        step.strReply = Reply(250, "CWD command successful.");
    } else if (strVerb == "TYPE") {
        std::string strType = Upper(strArg);
        if (strType == "A" || strType == "A N") {
            m_bBinary = false;
            step.strReply = Reply(200, "Type set to A.");
        } else if (strType == "I" || strType == "L 8") {
            m_bBinary = true;
            step.strReply = Reply(200, "Type set to I.");
        } else {
            step.strReply = Reply(504, "Type " + strArg + " not supported.");
        }
    } else if (strVerb == "MODE") {
        step.strReply =
            Upper(strArg) == "S" ? Reply(200, "Mode set to S.") : Reply(504, "Mode not supported.");
    } else if (strVerb == "STRU") {
        step.strReply = Upper(strArg) == "F" ? Reply(200, "Structure set to F.")
                                             : Reply(504, "Structure not supported.");
    } else if (strVerb == "PORT" || strVerb == "EPRT") {
        m_bPassive = false;
        m_bActive = false;
        bool bRead = false;
        if (strVerb == "PORT") {
            bRead = ReadPort(strArg);
            if (!bRead) {
                step.strReply = Reply(501, "Illegal PORT command.");
            }
        } else {
            bRead = ReadEprt(strArg, step.strReply);
        }
        if (bRead && m_dwActiveIp != m_dwPeerIp) {
            // Data goes only back to the client that asked, never to a third host.
            step.strReply = Reply(500, "Illegal " + strVerb + " command: not your address.");
        } else if (bRead && m_wActivePort < 1024) {
            step.strReply = Reply(500, "Illegal " + strVerb + " command: privileged port.");
        } else if (bRead) {
            m_bActive = true;
            step.strReply = Reply(200, strVerb + " command successful.");
        }
    } else if (strVerb == "PASV" || strVerb == "EPSV") {
        if (strVerb == "EPSV" && Upper(strArg) == "ALL") {
            step.strReply = Reply(200, "EPSV ALL command successful.");
        } else if (strVerb == "EPSV" && !strArg.empty() && strArg != "1") {
            step.strReply = Reply(522, "Network protocol not supported, use (1).");
        } else {
            m_bActive = false;
            m_bPassive = true;
            m_bExtendedPassive = strVerb == "EPSV";
            step.bOpenPassive = true;
        }
    } else if (strVerb == "LIST" || strVerb == "NLST") {
        // Leading options ("-l", "-a") are skipped; the rest of the line is a
        // name filter, so "LIST >" lists nothing, as on any real server.
        std::string strFilter = strArg;
        while (!strFilter.empty() && strFilter[0] == '-') {
            size_t nEnd = strFilter.find(' ');
            strFilter = nEnd == std::string::npos ? "" : strFilter.substr(nEnd + 1);
            strFilter.erase(0, strFilter.find_first_not_of(' ') == std::string::npos
                                   ? strFilter.size()
                                   : strFilter.find_first_not_of(' '));
        }
        std::string strText = strVerb == "LIST" ? m_node.m_files.FormatListing(strFilter)
                                                : m_node.m_files.FormatNames(strFilter);
        step =
            StartData(EFtpData::Send, "Opening ASCII mode data connection for file list.", strText);
    } else if (strVerb == "RETR") {
        const SSimFile* pFile = m_node.m_files.Find(strArg);
        if (pFile == nullptr) {
            step.strReply = Reply(550, strArg + ": No such file.");
        } else if (!pFile->bHasData) {
            step.strReply = Reply(550, strArg + ": Permission denied.");
        } else {
            step = StartData(EFtpData::Send,
                             "Opening BINARY mode data connection for " + pFile->strName + " (" +
                                 std::to_string(pFile->strData.size()) + " bytes).",
                             pFile->strData);
        }
    } else if (strVerb == "STOR") {
        SSimFtpResult check = m_node.CheckStore(strArg);
        if (!check.Ok()) {
            step.strReply = check.Reply();
        } else {
            m_strStoreName = strArg;
            step = StartData(EFtpData::Receive, check.strText, {});
        }
    } else if (strVerb == "DELE") {
        step.strReply = m_node.Delete(strArg).Reply();
    } else if (strVerb == "SIZE") {
        const SSimFile* pFile = m_node.m_files.Find(strArg);
        step.strReply = pFile != nullptr ? Reply(213, std::to_string(pFile->nSize))
                                         : Reply(550, strArg + ": No such file.");
    } else if (strVerb == "ABOR") {
        step.strReply = Reply(226, "ABOR command successful.");
    } else if (strVerb == "HELP") {
        step.strReply = Reply(214, "No help available.");
    } else {
        step.strReply = Reply(502, strVerb + " command not implemented.");
    }
    return step;
}

std::string CSimFtpSession::PassiveReply(uint32_t dwLocalIp, uint16_t wPort) const {
    char sz[96];
    if (m_bExtendedPassive) {
        std::snprintf(sz, sizeof sz, "229 Entering Extended Passive Mode (|||%u|).\r\n", wPort);
    } else {
        std::snprintf(sz, sizeof sz, "227 Entering Passive Mode (%u,%u,%u,%u,%u,%u).\r\n",
                      dwLocalIp >> 24, (dwLocalIp >> 16) & 0xFF, (dwLocalIp >> 8) & 0xFF,
                      dwLocalIp & 0xFF, unsigned(wPort >> 8), unsigned(wPort & 0xFF));
    }
    return sz;
}

std::string CSimFtpSession::OnSendDone(bool bOk) {
    m_bActive = false;
    m_bPassive = false;
    return bOk ? Reply(226, "Transfer complete.")
               : Reply(426, "Connection closed; transfer aborted.");
}

std::string CSimFtpSession::OnReceiveDone(bool bOk, const std::string& strData) {
    m_bActive = false;
    m_bPassive = false;
    if (!bOk) {
        return Reply(426, "Connection closed; transfer aborted.");
    }
    if (m_bBinary) {
        return m_node.Store(m_strStoreName, strData).Reply();
    }
    // Text mode: the network's CR LF line ends become the node's LF.
    std::string strText;
    strText.reserve(strData.size());
    for (size_t i = 0; i < strData.size(); ++i) {
        if (strData[i] == '\r' && i + 1 < strData.size() && strData[i + 1] == '\n') {
            continue;
        }
        strText += strData[i];
    }
    return m_node.Store(m_strStoreName, strText).Reply();
}
