#include "SimParamFields.h"

#include "SimCodec.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
enum class EKind { U8, U16, Ip, TrapIp, Text, Bytes };

struct SField {
    std::string strName;
    size_t nOffset;
    size_t nSize;
    EKind eKind;
};

std::vector<SField> MakeFields() {
    std::vector<SField> vec = {
        {"dwOwnIp", offsetof(NODEPARAM, dwOwnIp), 4, EKind::Ip},
        {"wOwnPort", offsetof(NODEPARAM, wOwnPort), 2, EKind::U16},
        {"dwDestIp", offsetof(NODEPARAM, dwDestIp), 4, EKind::Ip},
        {"wDestPort", offsetof(NODEPARAM, wDestPort), 2, EKind::U16},
        {"dwGateway", offsetof(NODEPARAM, dwGateway), 4, EKind::Ip},
        {"dwSubnetMask", offsetof(NODEPARAM, dwSubnetMask), 4, EKind::Ip},
        {"byConnectTimer", offsetof(NODEPARAM, byConnectTimer), 1, EKind::U8},
        {"byCommTrigger", offsetof(NODEPARAM, byCommTrigger), 1, EKind::U8},
        {"byNoCommTimer", offsetof(NODEPARAM, byNoCommTimer), 1, EKind::U8},
        {"szUserName", offsetof(NODEPARAM, szUserName), 16, EKind::Text},
        {"szPassword", offsetof(NODEPARAM, szPassword), 16, EKind::Text},
        {"byFileTermLen", offsetof(NODEPARAM, byFileTermLen), 1, EKind::U8},
        {"abFileTerm", offsetof(NODEPARAM, abFileTerm), 2, EKind::Bytes},
        {"byBootp", offsetof(NODEPARAM, byBootp), 1, EKind::U8},
        {"byDhcp", offsetof(NODEPARAM, byDhcp), 1, EKind::U8},
        {"byAutoNego", offsetof(NODEPARAM, byAutoNego), 1, EKind::U8},
        {"byKeepAlive", offsetof(NODEPARAM, byKeepAlive), 1, EKind::U8},
        {"wMtu", offsetof(NODEPARAM, wMtu), 2, EKind::U16},
        {"bySnmp", offsetof(NODEPARAM, bySnmp), 1, EKind::U8},
        {"byAuthTrap", offsetof(NODEPARAM, byAuthTrap), 1, EKind::U8},
        {"dwTrapIp", offsetof(NODEPARAM, dwTrapIp), 4, EKind::TrapIp},
        {"szObjectId", offsetof(NODEPARAM, szObjectId), 16, EKind::Text},
        {"szGetCommunity", offsetof(NODEPARAM, szGetCommunity), 16, EKind::Text},
        {"szSetCommunity", offsetof(NODEPARAM, szSetCommunity), 16, EKind::Text},
        {"szTrapCommunity", offsetof(NODEPARAM, szTrapCommunity), 16, EKind::Text},
        {"szContact", offsetof(NODEPARAM, szContact), 65, EKind::Text},
        {"szLocation", offsetof(NODEPARAM, szLocation), 65, EKind::Text},
        {"szSysName", offsetof(NODEPARAM, szSysName), 65, EKind::Text},
        {"byBaudRate", offsetof(NODEPARAM, byBaudRate), 1, EKind::U8},
        {"byDataBits", offsetof(NODEPARAM, byDataBits), 1, EKind::U8},
        {"byParity", offsetof(NODEPARAM, byParity), 1, EKind::U8},
        {"byStopBits", offsetof(NODEPARAM, byStopBits), 1, EKind::U8},
        {"byFlowControl", offsetof(NODEPARAM, byFlowControl), 1, EKind::U8},
        {"byRecordTermLen", offsetof(NODEPARAM, byRecordTermLen), 1, EKind::U8},
        {"abRecordTerm", offsetof(NODEPARAM, abRecordTerm), 2, EKind::Bytes},
        {"byConnNotify", offsetof(NODEPARAM, byConnNotify), 1, EKind::U8},
        {"byConnWatch", offsetof(NODEPARAM, byConnWatch), 1, EKind::U8},
        {"wIdleTimer", offsetof(NODEPARAM, wIdleTimer), 2, EKind::U16},
        {"abReserved1", offsetof(NODEPARAM, abReserved1), 12, EKind::Bytes},
    };
    for (int i = 0; i < 16; ++i) {
        vec.push_back({"szStartProgram" + std::to_string(i + 1),
                       offsetof(NODEPARAM, szStartProgram) + 13 * size_t(i), 13, EKind::Text});
    }
    vec.push_back({"szLanProtocol", offsetof(NODEPARAM, szLanProtocol), 13, EKind::Text});
    vec.push_back({"szRsProtocol", offsetof(NODEPARAM, szRsProtocol), 13, EKind::Text});
    for (int i = 0; i < 8; ++i) {
        vec.push_back({"szGeneralItem" + std::to_string(i + 1),
                       offsetof(NODEPARAM, szGeneralItem) + 16 * size_t(i), 16, EKind::Text});
    }
    vec.push_back({"byChecksum", offsetof(NODEPARAM, byChecksum), 1, EKind::U8});
    vec.push_back({"byReserved2", offsetof(NODEPARAM, byReserved2), 1, EKind::U8});
    return vec;
}

const std::vector<SField>& Fields() {
    static const std::vector<SField> s_vec = MakeFields();
    return s_vec;
}

std::string FormatField(const uint8_t* pRecord, const SField& f) {
    const uint8_t* p = pRecord + f.nOffset;
    char sz[32];
    switch (f.eKind) {
    case EKind::U8:
        return std::to_string(p[0]);
    case EKind::U16: {
        uint16_t w;
        std::memcpy(&w, p, 2);
        return std::to_string(w);
    }
    case EKind::Ip: {
        uint32_t dw;
        std::memcpy(&dw, p, 4);
        return SimIpToText(dw);
    }
    case EKind::TrapIp:
        std::snprintf(sz, sizeof sz, "%u.%u.%u.%u", p[0], p[1], p[2], p[3]);
        return sz;
    case EKind::Text: {
        // The whole field counts: bytes behind the terminator show as well.
        size_t nLen = f.nSize;
        while (nLen > 0 && p[nLen - 1] == 0) {
            --nLen;
        }
        return SimQuote(std::string(reinterpret_cast<const char*>(p), nLen));
    }
    case EKind::Bytes: {
        std::string str;
        for (size_t i = 0; i < f.nSize; ++i) {
            std::snprintf(sz, sizeof sz, "%02X", p[i]);
            str += sz;
        }
        return str;
    }
    }
    return {};
}

bool ParseUnsigned(const std::string& str, unsigned long nMax, unsigned long& nValue) {
    if (str.empty() || str.size() > 10) {
        return false;
    }
    nValue = 0;
    for (char c : str) {
        if (c < '0' || c > '9') {
            return false;
        }
        nValue = nValue * 10 + unsigned(c - '0');
    }
    return nValue <= nMax;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
} // namespace

NODEPARAM SimFactoryParam() {
    NODEPARAM param;
    std::memset(&param, 0, sizeof param);
    param.dwOwnIp = NODE_UNSET_IP;
    param.wOwnPort = 257;
    param.dwDestIp = 0x02020202u;
    param.wDestPort = 514;
    param.dwGateway = 0x02020202u;
    param.dwSubnetMask = 0xFFFFFF00u;
    param.byConnectTimer = 2;
    param.wMtu = 1500;
    std::strcpy(param.szObjectId, "48213");
    std::strcpy(param.szGetCommunity, "Kelpie");
    std::strcpy(param.szSetCommunity, "Kelpie");
    std::strcpy(param.szTrapCommunity, "Kelpie");
    param.byBaudRate = 3;
    param.byDataBits = 1;
    param.byRecordTermLen = 2;
    param.abRecordTerm[0] = 0x0D;
    param.abRecordTerm[1] = 0x0A;
    std::strcpy(param.szLanProtocol, "FtpSv");
    std::strcpy(param.szRsProtocol, "Serial");
    return param;
}

std::string SimFormatParamDiff(const NODEPARAM& param) {
    NODEPARAM factory = SimFactoryParam();
    const auto* pNow = reinterpret_cast<const uint8_t*>(&param);
    const auto* pFactory = reinterpret_cast<const uint8_t*>(&factory);
    std::string str;
    for (const SField& f : Fields()) {
        if (std::memcmp(pNow + f.nOffset, pFactory + f.nOffset, f.nSize) == 0) {
            continue;
        }
        if (!str.empty()) {
            str += ' ';
        }
        str += f.strName + "=" + FormatField(pNow, f);
    }
    return str;
}

bool SimSetParamField(NODEPARAM& param, const std::string& strName, const std::string& strValue) {
    auto* pRecord = reinterpret_cast<uint8_t*>(&param);
    for (const SField& f : Fields()) {
        if (f.strName != strName) {
            continue;
        }
        uint8_t* p = pRecord + f.nOffset;
        unsigned long nValue = 0;
        uint32_t dwIp = 0;
        switch (f.eKind) {
        case EKind::U8:
            if (!ParseUnsigned(strValue, 0xFF, nValue)) {
                return false;
            }
            p[0] = uint8_t(nValue);
            return true;
        case EKind::U16: {
            if (!ParseUnsigned(strValue, 0xFFFF, nValue)) {
                return false;
            }
            uint16_t w = uint16_t(nValue);
            std::memcpy(p, &w, 2);
            return true;
        }
        case EKind::Ip:
            if (!SimTextToIp(strValue, dwIp)) {
                return false;
            }
            std::memcpy(p, &dwIp, 4);
            return true;
        case EKind::TrapIp:
            if (!SimTextToIp(strValue, dwIp)) {
                return false;
            }
            p[0] = uint8_t(dwIp >> 24);
            p[1] = uint8_t(dwIp >> 16);
            p[2] = uint8_t(dwIp >> 8);
            p[3] = uint8_t(dwIp);
            return true;
        case EKind::Text: {
            std::string strText = strValue;
            if (!strValue.empty() && strValue[0] == '"') {
                if (SimReadQuoted(strValue, 0, strText) != strValue.size()) {
                    return false;
                }
            }
            if (strText.size() > f.nSize) {
                return false;
            }
            std::memset(p, 0, f.nSize);
            std::memcpy(p, strText.data(), strText.size());
            return true;
        }
        case EKind::Bytes:
            if (strValue.size() != 2 * f.nSize) {
                return false;
            }
            for (size_t i = 0; i < f.nSize; ++i) {
                int nHigh = HexDigit(strValue[2 * i]);
                int nLow = HexDigit(strValue[2 * i + 1]);
                if (nHigh < 0 || nLow < 0) {
                    return false;
                }
                p[i] = uint8_t(nHigh * 16 + nLow);
            }
            return true;
        }
    }
    return false;
}

std::string SimQuote(const std::string& str) {
    std::string strOut = "\"";
    for (char c : str) {
        auto by = uint8_t(c);
        if (c == '"' || c == '\\') {
            strOut += '\\';
            strOut += c;
        } else if (by < 0x20 || by >= 0x7F) {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\x%02X", by);
            strOut += sz;
        } else {
            strOut += c;
        }
    }
    return strOut + "\"";
}

size_t SimReadQuoted(const std::string& strIn, size_t nPos, std::string& strOut) {
    if (nPos >= strIn.size() || strIn[nPos] != '"') {
        return 0;
    }
    strOut.clear();
    size_t i = nPos + 1;
    while (i < strIn.size()) {
        char c = strIn[i];
        if (c == '"') {
            return i + 1 - nPos;
        }
        if (c != '\\') {
            strOut += c;
            ++i;
            continue;
        }
        if (i + 1 >= strIn.size()) {
            return 0;
        }
        char cNext = strIn[i + 1];
        if (cNext == '"' || cNext == '\\') {
            strOut += cNext;
            i += 2;
        } else if (cNext == 'x' && i + 3 < strIn.size() && HexDigit(strIn[i + 2]) >= 0 &&
                   HexDigit(strIn[i + 3]) >= 0) {
            strOut += char(HexDigit(strIn[i + 2]) * 16 + HexDigit(strIn[i + 3]));
            i += 4;
        } else {
            return 0;
        }
    }
    return 0;
}
