#include "SimCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
void PutBe16(uint8_t* p, uint16_t w) {
    p[0] = uint8_t(w >> 8);
    p[1] = uint8_t(w);
}
void PutBe32(uint8_t* p, uint32_t dw) {
    p[0] = uint8_t(dw >> 24);
    p[1] = uint8_t(dw >> 16);
    p[2] = uint8_t(dw >> 8);
    p[3] = uint8_t(dw);
}
uint16_t GetBe16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}
uint32_t GetBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Fields of the record that travel big-endian: offset and width.
struct SWideField {
    size_t nOffset;
    size_t nWidth;
};
constexpr SWideField WIDE_FIELDS[] = {
    {offsetof(NODEPARAM, dwOwnIp), 4},   {offsetof(NODEPARAM, wOwnPort), 2},
    {offsetof(NODEPARAM, dwDestIp), 4},  {offsetof(NODEPARAM, wDestPort), 2},
    {offsetof(NODEPARAM, dwGateway), 4}, {offsetof(NODEPARAM, dwSubnetMask), 4},
    {offsetof(NODEPARAM, wMtu), 2},      {offsetof(NODEPARAM, wIdleTimer), 2},
};

void CopyText(uint8_t* pDst, size_t nWidth, const std::string& str) {
    std::memset(pDst, 0, nWidth);
    std::memcpy(pDst, str.data(), std::min(str.size(), nWidth - 1));
}
} // namespace

size_t SimRequiredLength(uint16_t wCode) {
    switch (wCode) {
    case NODECMD_SEARCH:
    case NODECMD_INITIALIZE:
    case NODECMD_GET_PARAM:
    case NODECMD_GET_VERSION:
        return NODELEN_SHORT;
    case NODECMD_CHANGE_MODE:
    case NODECMD_MODE_SPECIAL:
        return NODELEN_MODE;
    case NODECMD_SET_PARAM:
        return NODELEN_SET_PARAM;
    default:
        return 0;
    }
}

bool SimParseRequest(const uint8_t* pData, size_t nLength, SSimRequest& req) {
    if (nLength < NODELEN_SHORT || pData[0] != NODE_SIGNATURE_0 || pData[1] != NODE_SIGNATURE_1) {
        return false;
    }
    req.wCode = GetBe16(pData + NODEOFS_CODE);
    size_t nNeeded = SimRequiredLength(req.wCode);
    if (nNeeded == 0 || nLength < nNeeded) {
        return false;
    }
    std::memcpy(req.mac.data(), pData + NODEOFS_MAC, 6);
    req.byModel = pData[NODEOFS_MODEL];
    req.byMode = nLength > NODEOFS_MODE ? pData[NODEOFS_MODE] : 0;
    req.nLength = nLength;
    req.pData = pData;
    return true;
}

SimBytes SimComposeHeader(uint16_t wCode, const SimMac& mac, uint8_t byModel, uint8_t byMode,
                          uint8_t byResult) {
    SimBytes vec(NODE_HEADER_LEN, 0);
    vec[0] = NODE_SIGNATURE_0;
    vec[1] = NODE_SIGNATURE_1;
    PutBe16(vec.data() + NODEOFS_CODE, wCode);
    std::memcpy(vec.data() + NODEOFS_MAC, mac.data(), 6);
    vec[NODEOFS_MODEL] = byModel;
    vec[NODEOFS_MODE] = byMode;
    vec[NODEOFS_RESULT] = byResult;
    return vec;
}

void SimEncodeParam(const NODEPARAM& param, uint8_t* pBlock) {
    std::memcpy(pBlock, &param, NODEPARAM_SIZE);
    const auto* pHost = reinterpret_cast<const uint8_t*>(&param);
    for (const SWideField& f : WIDE_FIELDS) {
        if (f.nWidth == 4) {
            uint32_t dw;
            std::memcpy(&dw, pHost + f.nOffset, 4);
            PutBe32(pBlock + f.nOffset, dw);
        } else {
            uint16_t w;
            std::memcpy(&w, pHost + f.nOffset, 2);
            PutBe16(pBlock + f.nOffset, w);
        }
    }
}

void SimDecodeParam(const uint8_t* pBlock, NODEPARAM& param) {
    std::memcpy(&param, pBlock, NODEPARAM_SIZE);
    auto* pHost = reinterpret_cast<uint8_t*>(&param);
    for (const SWideField& f : WIDE_FIELDS) {
        if (f.nWidth == 4) {
            uint32_t dw = GetBe32(pBlock + f.nOffset);
            std::memcpy(pHost + f.nOffset, &dw, 4);
        } else {
            uint16_t w = GetBe16(pBlock + f.nOffset);
            std::memcpy(pHost + f.nOffset, &w, 2);
        }
    }
}

uint8_t SimParamChecksum(const uint8_t* pDatagram) {
    unsigned nSum = 0;
    for (size_t i = 0; i < NODEOFS_PAYLOAD + offsetof(NODEPARAM, byChecksum); ++i) {
        nSum += pDatagram[i];
    }
    return uint8_t(nSum);
}

void SimAppendVersion(SimBytes& vecReply, const SSimVersionInfo& info) {
    vecReply.resize(SIMLEN_VERSION_REPLY, 0);
    uint8_t* p = vecReply.data();
    CopyText(p + 14, SIM_VERSION_NAME, info.strBoard);
    p[28] = uint8_t(info.chKernelMajor);
    p[29] = uint8_t(info.chKernelMinor);
    p[30] = uint8_t(info.chBootMajor);
    p[31] = uint8_t(info.chBootMinor);
    for (size_t k = 0; k < info.vecApps.size() && k < SIM_VERSION_APPS; ++k) {
        const SSimAppVersion& app = info.vecApps[k];
        uint8_t* pEntry = p + 32 + 20 * k;
        CopyText(pEntry, SIM_VERSION_NAME, app.strName);
        pEntry[14] = uint8_t(app.chMajor);
        pEntry[15] = uint8_t(app.chMinor);
        PutBe16(pEntry + 16, app.wSectors);
        pEntry[18] = uint8_t(app.wSum);
        pEntry[19] = uint8_t(app.wSum >> 8);
    }
}

std::string SimMacToText(const SimMac& mac) {
    char sz[13];
    std::snprintf(sz, sizeof sz, "%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return sz;
}

bool SimTextToMac(const std::string& strText, SimMac& mac) {
    if (strText.size() != 12) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        unsigned nByte = 0;
        for (size_t j = 0; j < 2; ++j) {
            char c = strText[2 * i + j];
            int nDigit = (c >= '0' && c <= '9')   ? c - '0'
                         : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                         : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                  : -1;
            if (nDigit < 0) {
                return false;
            }
            nByte = nByte * 16 + unsigned(nDigit);
        }
        mac[i] = uint8_t(nByte);
    }
    return true;
}

std::string SimIpToText(uint32_t dwIp) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%u.%u.%u.%u", dwIp >> 24, (dwIp >> 16) & 0xFF, (dwIp >> 8) & 0xFF,
                  dwIp & 0xFF);
    return sz;
}

bool SimTextToIp(const std::string& strText, uint32_t& dwIp) {
    uint32_t dwValue = 0;
    size_t nPos = 0;
    for (int nOctet = 0; nOctet < 4; ++nOctet) {
        if (nOctet > 0) {
            if (nPos >= strText.size() || strText[nPos] != '.') {
                return false;
            }
            ++nPos;
        }
        size_t nStart = nPos;
        unsigned nValue = 0;
        while (nPos < strText.size() && strText[nPos] >= '0' && strText[nPos] <= '9' &&
               nPos - nStart < 3) {
            nValue = nValue * 10 + unsigned(strText[nPos] - '0');
            ++nPos;
        }
        if (nPos == nStart || nValue > 255) {
            return false;
        }
        dwValue = (dwValue << 8) | nValue;
    }
    if (nPos != strText.size()) {
        return false;
    }
    dwIp = dwValue;
    return true;
}
