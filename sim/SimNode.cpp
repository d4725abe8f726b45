#include "SimNode.h"

#include "SimParamFields.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
bool IsProbeMac(const SimMac& mac, unsigned nProbes) {
    return mac[0] == 0 && mac[1] == 0 && mac[2] < nProbes && mac[3] == 0 && mac[4] == 0 &&
           mac[5] == 0x0F;
}

bool IsZeroMac(const SimMac& mac) {
    for (uint8_t by : mac) {
        if (by != 0) {
            return false;
        }
    }
    return true;
}

bool IsValidMode(uint8_t byMode) {
    return byMode <= 3 || byMode == 6 || byMode == 7;
}

// An address a node can take as its own.
bool IsUsableOwnIp(uint32_t dwIp) {
    uint32_t dwFirst = dwIp >> 24;
    return dwIp != 0 && dwFirst != 0 && dwFirst != 127 && dwFirst < 224;
}

bool ReadVersion(const std::string& str, int& nMajor, int& nMinor) {
    // M.mm: one to three digits, a dot, exactly two digits.
    size_t nDot = str.find('.');
    if (nDot == std::string::npos || nDot == 0 || nDot > 3 || str.size() != nDot + 3 ||
        str.find_first_not_of("0123456789.") != std::string::npos ||
        str.find('.', nDot + 1) != std::string::npos) {
        return false;
    }
    int nA = std::stoi(str.substr(0, nDot));
    if (nA > 127) {
        return false;
    }
    nMajor = nA;
    nMinor = std::stoi(str.substr(nDot + 1));
    return true;
}

bool ReadNumber(const std::string& str, unsigned long nMax, unsigned long& n) {
    if (str.empty() || str.size() > 10 ||
        str.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    n = std::stoul(str);
    return n <= nMax;
}

std::string Unquote(const std::string& str) {
    std::string strOut;
    if (!str.empty() && str[0] == '"' && SimReadQuoted(str, 0, strOut) == str.size()) {
        return strOut;
    }
    return str;
}

std::string FormatVersion(int nMajor, int nMinor) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%d.%02d", nMajor, nMinor);
    return sz;
}
} // namespace

CSimNode::CSimNode(const SimMac& mac) : m_mac(mac), m_param(SimFactoryParam()) {
    SSimFile kernel;
    kernel.strName = "mrv620.krn";
    kernel.eKind = ESimFileKind::Kernel;
    kernel.nSize = 262144;
    kernel.nMajor = 2;
    kernel.nMinor = 10;
    m_files.Put(kernel);
    SSimFile boot;
    boot.strName = "boot.bin";
    boot.eKind = ESimFileKind::System;
    boot.nSize = 32768;
    m_files.Put(boot);
    SSimFile param;
    param.strName = "param.dat";
    param.eKind = ESimFileKind::System;
    param.nSize = NODEPARAM_SIZE;
    m_files.Put(param);
}

SimBytes CSimNode::Header(uint16_t wRequest, uint8_t byResult) const {
    return SimComposeHeader(uint16_t(wRequest + NODECMD_RESPONSE), m_mac, m_byModel, m_byMode,
                            byResult);
}

void CSimNode::Note(const SSimRequest& req, bool bBroadcast, const std::string& strOutcome) {
    char sz[64];
    if (req.wCode == NODECMD_CHANGE_MODE || req.wCode == NODECMD_MODE_SPECIAL) {
        std::snprintf(sz, sizeof sz, "%04X %s mode=%02X ", req.wCode, bBroadcast ? "bc" : "uc",
                      req.byMode);
    } else {
        std::snprintf(sz, sizeof sz, "%04X %s ", req.wCode, bBroadcast ? "bc" : "uc");
    }
    if (m_deqHistory.size() >= SIM_HISTORY_LIMIT) {
        m_deqHistory.pop_front();
    }
    m_deqHistory.push_back(sz + strOutcome);
}

SSimOutcome CSimNode::Handle(const SSimRequest& req, bool bBroadcast, uint64_t nNow) {
    SSimOutcome out;
    bool bSearch = req.wCode == NODECMD_SEARCH;
    bool bMine = req.mac == m_mac;
    if (!bMine && !(bSearch && (IsZeroMac(req.mac) || IsProbeMac(req.mac, m_nProbes)))) {
        return out;
    }
    out.bForMe = true;
    if (req.byModel != m_byModel) {
        Note(req, bBroadcast, "wrong-model");
        return out;
    }
    if (!IsAwake(nNow)) {
        Note(req, bBroadcast, "deaf");
        return out;
    }
    if (m_faults.bSilent) {
        Note(req, bBroadcast, "silent");
        return out;
    }
    if (m_faults.TakeDrop()) {
        Note(req, bBroadcast, "dropped");
        return out;
    }
    if (m_faults.setIgnore.count(req.wCode) != 0) {
        Note(req, bBroadcast, "ignored");
        return out;
    }

    const uint8_t* p = req.pData;
    size_t nExact = SimRequiredLength(req.wCode);
    bool bModeCmd = req.wCode == NODECMD_CHANGE_MODE || req.wCode == NODECMD_MODE_SPECIAL;
    // Bytes a request leaves zero: the result byte, and the mode byte outside mode commands.
    bool bDirty = (req.nLength > NODEOFS_RESULT && p[NODEOFS_RESULT] != 0) ||
                  (!bModeCmd && req.nLength > NODEOFS_MODE && p[NODEOFS_MODE] != 0);
    if (bSearch && (req.nLength != nExact || bDirty)) {
        Note(req, bBroadcast, "malformed");
        return out;
    }

    uint8_t byResult = SIMRESULT_OK;
    if (req.nLength != nExact) {
        byResult = SIMRESULT_BAD_LENGTH;
    } else if (bDirty) {
        byResult = SIMRESULT_BAD_VALUE;
    } else if (auto it = m_faults.mapResult.find(req.wCode); it != m_faults.mapResult.end()) {
        byResult = it->second;
    }

    SimBytes vecReply = Header(req.wCode, byResult);
    bool bAnswer = true;
    switch (req.wCode) {
    case NODECMD_SEARCH:
        break;
    case NODECMD_INITIALIZE:
        if (byResult == SIMRESULT_OK) {
            m_param = SimFactoryParam();
            out.bStateChanged = true;
        }
        break;
    case NODECMD_GET_PARAM: {
        vecReply.resize(SIMLEN_PARAM_REPLY, 0);
        NODEPARAM copy = m_param;
        copy.byChecksum = 0; // the checksum slot belongs to requests
        SimEncodeParam(copy, vecReply.data() + NODEOFS_PAYLOAD);
        break;
    }
    case NODECMD_SET_PARAM: {
        NODEPARAM received{};
        if (byResult == SIMRESULT_OK) {
            if (SimParamChecksum(p) != p[NODEOFS_PAYLOAD + offsetof(NODEPARAM, byChecksum)]) {
                byResult = SIMRESULT_BAD_CHECKSUM;
            } else {
                SimDecodeParam(p + NODEOFS_PAYLOAD, received);
                if (!IsUsableOwnIp(received.dwOwnIp)) {
                    byResult = SIMRESULT_BAD_VALUE;
                }
            }
        }
        vecReply[NODEOFS_RESULT] = byResult;
        if (byResult == SIMRESULT_OK) {
            received.byChecksum = 0;
            m_param = received;
            out.bStateChanged = true;
        }
        break;
    }
    case NODECMD_CHANGE_MODE:
        if (byResult == SIMRESULT_OK && !IsValidMode(req.byMode)) {
            byResult = SIMRESULT_BAD_MODE;
            vecReply[NODEOFS_RESULT] = byResult;
        }
        if (byResult == SIMRESULT_OK) {
            // The reply still reports the mode the node was in.
            m_byMode = req.byMode;
            if (m_byMode == NODEMODE_KERNEL_DOWNLOAD || m_byMode == NODEMODE_SETUP) {
                m_nAwakeAt = nNow + m_nRestartMs;
            }
            out.bStateChanged = true;
            if (m_byMode == NODEMODE_NORMAL0 && m_faults.bNoMode0Reply) {
                bAnswer = false;
            }
        }
        break;
    case NODECMD_MODE_SPECIAL:
        if (byResult == SIMRESULT_OK && req.byMode != NODE_MODE_SPECIAL_VALUE) {
            byResult = SIMRESULT_BAD_MODE;
            vecReply[NODEOFS_RESULT] = byResult;
        }
        break;
    case NODECMD_GET_VERSION:
        SimAppendVersion(vecReply, Version());
        break;
    default:
        return out;
    }

    if (!bAnswer) {
        Note(req, bBroadcast, "unanswered");
        return out;
    }
    unsigned nDelay = m_faults.nDelayMs;
    std::string strOutcome = "answered";
    if (auto it = m_faults.mapLate.find(req.wCode); it != m_faults.mapLate.end()) {
        nDelay = it->second;
        m_faults.mapLate.erase(it);
        strOutcome = "late";
    }
    if (byResult != SIMRESULT_OK) {
        char sz[32];
        std::snprintf(sz, sizeof sz, "refused=%02X", byResult);
        strOutcome = sz + std::string(strOutcome == "late" ? " late" : "");
    }
    Note(req, bBroadcast, strOutcome);
    for (unsigned i = 0; i <= m_faults.nDuplicates; ++i) {
        out.vecReplies.push_back({vecReply, nDelay});
    }
    return out;
}

SSimVersionInfo CSimNode::Version() const {
    SSimVersionInfo info;
    info.strBoard = m_strBoard;
    if (const SSimFile* pKernel = m_files.Kernel()) {
        info.chKernelMajor = int8_t(pKernel->nMajor);
        info.chKernelMinor = int8_t(pKernel->nMinor);
    }
    info.chBootMajor = int8_t(m_nBootMajor);
    info.chBootMinor = int8_t(m_nBootMinor);
    for (const SSimFile& file : m_files.Files()) {
        if (file.eKind != ESimFileKind::UserApp) {
            continue;
        }
        SSimAppVersion app;
        app.strName = file.strName;
        app.chMajor = int8_t(file.nMajor);
        app.chMinor = int8_t(file.nMinor);
        app.wSectors = uint16_t((file.nSize + SIM_SECTOR_BYTES - 1) / SIM_SECTOR_BYTES);
        app.wSum = file.wSum;
        info.vecApps.push_back(app);
    }
    return info;
}

std::string CSimNode::Dump(uint64_t nNow) const {
    char sz[64];
    std::string str = "node " + SimMacToText(m_mac) + "\n";
    std::snprintf(sz, sizeof sz, "model %02X\n", m_byModel);
    str += sz;
    str += "ip " + SimIpToText(Ip()) + "\n";
    str += "mode " + std::to_string(m_byMode) + "\n";
    str += std::string("run ") + (IsAwake(nNow) ? "up" : "restarting") + "\n";
    str += std::string("ftp ") + (IsFtpUp(nNow) ? "up" : "down") + "\n";
    if (AccountUser().empty()) {
        str += "account none\n";
    } else {
        str += "account " + SimQuote(AccountUser()) + " " + SimQuote(AccountPassword()) + "\n";
    }
    std::string strDiff = SimFormatParamDiff(m_param);
    str += "param " + (strDiff.empty() ? std::string("factory") : strDiff) + "\n";
    str += "board " + SimQuote(m_strBoard) + "\n";
    str += "boot " + FormatVersion(m_nBootMajor, m_nBootMinor) + "\n";
    str += std::string("store ") + (m_eStore == ESimStore::Install ? "install" : "keep") + "\n";
    for (const SSimFile& file : m_files.Files()) {
        str += std::string("file ") + SimFileKindName(file.eKind) + " " + SimQuote(file.strName) +
               " " + std::to_string(file.nSize);
        if (file.eKind != ESimFileKind::Data) {
            str += " " + FormatVersion(file.nMajor, file.nMinor);
        }
        if (file.eKind == ESimFileKind::UserApp) {
            std::snprintf(sz, sizeof sz, " sum=%04X", file.wSum);
            str += sz;
        }
        str += "\n";
    }
    str += "faults " + m_faults.Format() + "\n";
    return str;
}

bool CSimNode::Set(const std::string& strKey, const std::string& strValue, std::string& strError) {
    unsigned long n = 0;
    auto fail = [&](const std::string& strWhy) {
        strError = strWhy;
        return false;
    };
    if (strKey == "ip") {
        uint32_t dwIp = 0;
        if (!SimTextToIp(strValue, dwIp)) {
            return fail("bad address " + strValue);
        }
        m_param.dwOwnIp = dwIp;
        return true;
    }
    if (strKey == "mode") {
        if (!ReadNumber(strValue, 255, n) || !IsValidMode(uint8_t(n))) {
            return fail("bad mode " + strValue);
        }
        m_byMode = uint8_t(n);
        return true;
    }
    if (strKey == "model") {
        unsigned nModel = 0;
        char cEnd = 0;
        if (std::sscanf(strValue.c_str(), "%2x%c", &nModel, &cEnd) != 1) {
            return fail("bad model " + strValue);
        }
        m_byModel = uint8_t(nModel);
        return true;
    }
    if (strKey == "restart") {
        if (!ReadNumber(strValue, 600000, n)) {
            return fail("bad restart time " + strValue);
        }
        m_nRestartMs = unsigned(n);
        return true;
    }
    if (strKey == "probes") {
        if (!ReadNumber(strValue, SIM_PROBE_COUNT, n)) {
            return fail("bad probe count " + strValue);
        }
        m_nProbes = unsigned(n);
        return true;
    }
    if (strKey == "board") {
        std::string strBoard = Unquote(strValue);
        if (strBoard.size() > SIM_VERSION_NAME) {
            return fail("board identity longer than 14 bytes");
        }
        m_strBoard = strBoard;
        return true;
    }
    if (strKey == "kernel" || strKey == "boot") {
        int nMajor = 0, nMinor = 0;
        if (!ReadVersion(strValue, nMajor, nMinor)) {
            return fail("bad version " + strValue);
        }
        if (strKey == "boot") {
            m_nBootMajor = nMajor;
            m_nBootMinor = nMinor;
            return true;
        }
        std::vector<SSimFile> vec = m_files.Files();
        m_files = CSimFileStore();
        for (SSimFile& f : vec) {
            if (f.eKind == ESimFileKind::Kernel) {
                f.nMajor = nMajor;
                f.nMinor = nMinor;
            }
            m_files.Put(f);
        }
        return true;
    }
    if (strKey == "user" || strKey == "password") {
        return SimSetParamField(m_param, strKey == "user" ? "szUserName" : "szPassword",
                                strValue) ||
               fail("bad " + strKey);
    }
    if (strKey == "store") {
        if (strValue != "keep" && strValue != "install") {
            return fail("bad store " + strValue + " (keep or install)");
        }
        m_eStore = strValue == "install" ? ESimStore::Install : ESimStore::Keep;
        return true;
    }
    if (strKey.rfind("param.", 0) == 0) {
        return SimSetParamField(m_param, strKey.substr(6), strValue) ||
               fail("bad parameter " + strKey + "=" + strValue);
    }
    if (strKey.rfind("fault.", 0) == 0) {
        std::string strArgs = strValue;
        for (char& c : strArgs) {
            c = c == ':' ? ' ' : c;
        }
        return m_faults.Set(strKey.substr(6), strArgs, strError);
    }
    if (strKey == "app" || strKey == "sysfile" || strKey == "datafile") {
        // NAME:M.mm[:SIZE] for applications, NAME:SIZE for the others; quoted
        // when the name holds a blank, a quote or a backslash.
        const std::string strSpec = Unquote(strValue);
        std::vector<std::string> vecParts;
        size_t nStart = 0;
        while (true) {
            size_t nColon = strSpec.find(':', nStart);
            vecParts.push_back(strSpec.substr(nStart, nColon - nStart));
            if (nColon == std::string::npos) {
                break;
            }
            nStart = nColon + 1;
        }
        SSimFile file;
        file.strName = vecParts[0];
        bool bApp = strKey == "app";
        size_t nSizeIndex = bApp ? 2 : 1;
        if (file.strName.empty() || file.strName.size() > (bApp ? SIM_MAX_NAME : 64) ||
            vecParts.size() > nSizeIndex + 1 || (!bApp && vecParts.size() != 2)) {
            return fail("bad " + strKey + " " + strSpec);
        }
        if (bApp && (vecParts.size() < 2 || !ReadVersion(vecParts[1], file.nMajor, file.nMinor))) {
            return fail("bad application version in " + strSpec);
        }
        file.nSize = 1024;
        if (vecParts.size() > nSizeIndex) {
            if (!ReadNumber(vecParts[nSizeIndex], 64u << 20, n)) {
                return fail("bad size in " + strSpec);
            }
            file.nSize = n;
        }
        file.eKind = bApp                  ? ESimFileKind::UserApp
                     : strKey == "sysfile" ? ESimFileKind::System
                                           : ESimFileKind::Data;
        if (bApp && m_files.Find(file.strName) == nullptr &&
            m_files.CountKind(ESimFileKind::UserApp) >= SIM_MAX_APPS) {
            return fail("no room for another application");
        }
        m_files.Put(file);
        return true;
    }
    return fail("unknown setting " + strKey);
}
