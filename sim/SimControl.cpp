#include "SimControl.h"

#include <cstdio>
#include <sstream>

namespace {
inline constexpr uint64_t WAIT_DEFAULT_MS = 10000;

std::string NextWord(const std::string& str, size_t& nPos) {
    while (nPos < str.size() && str[nPos] == ' ') {
        ++nPos;
    }
    size_t nStart = nPos;
    while (nPos < str.size() && str[nPos] != ' ') {
        ++nPos;
    }
    return str.substr(nStart, nPos - nStart);
}

std::string Rest(const std::string& str, size_t nPos) {
    while (nPos < str.size() && str[nPos] == ' ') {
        ++nPos;
    }
    return str.substr(nPos);
}

std::string Upper(std::string str) {
    for (char& c : str) {
        c = char(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    return str;
}

// A received line on one line of the reply: a backslash, control bytes and
// bytes above 0x7E escaped as \\ and \xNN, every other byte as it came.
std::string EscapeLine(const std::string& str) {
    std::string strOut;
    for (char c : str) {
        auto by = uint8_t(c);
        if (c == '\\') {
            strOut += "\\\\";
        } else if (by < 0x20 || by >= 0x7F) {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\x%02X", by);
            strOut += sz;
        } else {
            strOut += c;
        }
    }
    return strOut;
}

bool ReadCount(const std::string& str, uint64_t& n) {
    if (str.empty() || str.size() > 9 || str.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    n = std::stoull(str);
    return true;
}
} // namespace

CSimControl::CSimControl(SimNodeList& nodes, std::function<void(CSimNode&, uint32_t)> fnChanged)
    : m_nodes(nodes), m_fnChanged(std::move(fnChanged)) {}

bool CSimControl::Select(const std::string& strSel, std::vector<CSimNode*>& vecNodes,
                         std::string& strError) const {
    vecNodes.clear();
    if (strSel == "*") {
        for (const auto& pNode : m_nodes) {
            vecNodes.push_back(pNode.get());
        }
    } else if (!strSel.empty() && strSel[0] == '#') {
        uint64_t n = 0;
        if (ReadCount(strSel.substr(1), n) && n < m_nodes.size()) {
            vecNodes.push_back(m_nodes[n].get());
        }
    } else {
        SimMac mac{};
        if (SimTextToMac(strSel, mac)) {
            for (const auto& pNode : m_nodes) {
                if (pNode->m_mac == mac) {
                    vecNodes.push_back(pNode.get());
                }
            }
        }
    }
    if (vecNodes.empty()) {
        strError = "no node " + strSel;
        return false;
    }
    return true;
}

SSimControlReply CSimControl::Execute(const std::string& strLine, uint64_t nNow) {
    SSimControlReply reply;
    size_t nPos = 0;
    std::string strVerb = Upper(NextWord(strLine, nPos));
    std::string strError;
    std::vector<CSimNode*> vecNodes;
    auto err = [&reply](const std::string& strWhy) {
        reply.strText += "ERR " + strWhy + "\n";
        return reply;
    };

    if (strVerb == "PING") {
        reply.strText = "OK\n";
        return reply;
    }
    if (strVerb == "SHUTDOWN") {
        reply.strText = "OK\n";
        reply.bShutdown = true;
        return reply;
    }
    if (strVerb == "LIST") {
        for (size_t i = 0; i < m_nodes.size(); ++i) {
            const CSimNode& node = *m_nodes[i];
            reply.strText += std::to_string(i) + " " + SimMacToText(node.m_mac) + " " +
                             SimIpToText(node.Ip()) + " " + std::to_string(node.m_byMode) + " " +
                             (node.IsAwake(nNow) ? "up" : "restarting") + "\n";
        }
        reply.strText += "OK\n";
        return reply;
    }
    if (strVerb.empty()) {
        return err("empty request");
    }
    std::string strSel = NextWord(strLine, nPos);
    if (strVerb != "STATE" && strVerb != "HISTORY" && strVerb != "FTPLOG" && strVerb != "FAULT" &&
        strVerb != "SET" && strVerb != "WAIT") {
        return err("unknown request " + strVerb);
    }
    if (!Select(strSel, vecNodes, strError)) {
        return err(strError);
    }

    if (strVerb == "STATE") {
        if (!Rest(strLine, nPos).empty()) {
            return err("STATE takes one node");
        }
        for (CSimNode* pNode : vecNodes) {
            reply.strText += pNode->Dump(nNow);
        }
    } else if (strVerb == "HISTORY" || strVerb == "FTPLOG") {
        std::string strArg = Upper(Rest(strLine, nPos));
        if (strArg != "CLEAR" && !strArg.empty()) {
            return err(strVerb + " takes CLEAR or nothing");
        }
        for (CSimNode* pNode : vecNodes) {
            auto& deq = strVerb == "HISTORY" ? pNode->m_deqHistory : pNode->m_deqFtpLog;
            if (strArg == "CLEAR") {
                deq.clear();
                continue;
            }
            for (const std::string& strEntry : deq) {
                reply.strText += (strVerb == "HISTORY" ? strEntry : EscapeLine(strEntry)) + "\n";
            }
        }
    } else if (strVerb == "FAULT") {
        std::string strName = NextWord(strLine, nPos);
        std::string strValue = Rest(strLine, nPos);
        for (CSimNode* pNode : vecNodes) {
            if (!pNode->m_faults.Set(strName, strValue, strError)) {
                return err(strError);
            }
        }
    } else if (strVerb == "SET") {
        std::string strKey = NextWord(strLine, nPos);
        std::string strValue = Rest(strLine, nPos);
        for (CSimNode* pNode : vecNodes) {
            uint32_t dwOldIp = pNode->Ip();
            if (!pNode->Set(strKey, strValue, strError)) {
                return err(strError);
            }
            m_fnChanged(*pNode, dwOldIp);
        }
    } else { // WAIT
        if (vecNodes.size() != 1) {
            return err("WAIT takes one node");
        }
        reply.wait.pNode = vecNodes[0];
        uint64_t nTimeout = WAIT_DEFAULT_MS;
        for (std::string strCond = NextWord(strLine, nPos); !strCond.empty();
             strCond = NextWord(strLine, nPos)) {
            size_t nEq = strCond.find('=');
            if (nEq == std::string::npos) {
                return err("bad condition " + strCond);
            }
            std::string strKey = strCond.substr(0, nEq);
            std::string strValue = strCond.substr(nEq + 1);
            uint64_t n = 0;
            if (strKey == "timeout") {
                if (!ReadCount(strValue, nTimeout)) {
                    return err("bad timeout " + strValue);
                }
                continue;
            }
            if (strKey != "mode" && strKey != "ip" && strKey != "run" && strKey != "ftp" &&
                strKey != "file" && strKey != "nofile" &&
                !(strKey == "seen" && ReadCount(strValue, n))) {
                return err("bad condition " + strCond);
            }
            reply.wait.vecConds.emplace_back(strKey, strValue);
        }
        reply.wait.nDeadline = nNow + nTimeout;
        reply.bWait = true;
        return reply;
    }
    reply.strText += "OK\n";
    return reply;
}

bool CSimControl::WaitHolds(const SSimWait& wait, uint64_t nNow) {
    const CSimNode& node = *wait.pNode;
    for (const auto& [strKey, strValue] : wait.vecConds) {
        bool bHolds = false;
        if (strKey == "mode") {
            bHolds = std::to_string(node.m_byMode) == strValue;
        } else if (strKey == "ip") {
            bHolds = SimIpToText(node.Ip()) == strValue;
        } else if (strKey == "run") {
            bHolds = (node.IsAwake(nNow) ? "up" : "restarting") == strValue;
        } else if (strKey == "ftp") {
            bHolds = (node.IsFtpUp(nNow) ? "up" : "down") == strValue;
        } else if (strKey == "seen") {
            bHolds = node.m_deqHistory.size() >= std::stoull(strValue);
        } else if (strKey == "file") {
            bHolds = node.m_files.Find(strValue) != nullptr;
        } else if (strKey == "nofile") {
            bHolds = node.m_files.Find(strValue) == nullptr;
        }
        if (!bHolds) {
            return false;
        }
    }
    return true;
}
