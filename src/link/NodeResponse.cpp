#include "link/NodeResponse.h"

#include "link/NodeCodec.h"
#include "link/SettingsPayload.h"
#include "platform/HostAddress.h"

#include <cstdio>
#include <cstring>

namespace {
// Block offsets of the FTP account inside a 0x0203 datagram.
constexpr size_t RESPOFS_USER = 36;
constexpr size_t RESPOFS_PASSWORD = 52;
constexpr size_t ACCOUNT_FIELD = 16;

// The version reply's layout.
constexpr size_t VEROFS_BOARD_ID = 14;
constexpr size_t VEROFS_KERNEL = 28;
constexpr size_t VEROFS_BOOT = 30;
constexpr size_t VEROFS_TABLE = 32;
constexpr size_t VER_ENTRY_SIZE = 20;
constexpr size_t VER_TEXT_WIDTH = 14;

std::string VersionField(const uint8_t* p) {
    // A text that fills all 14 bytes has no terminator; it ends with the field.
    size_t n = 0;
    while (n < VER_TEXT_WIDTH && p[n] != 0) {
        ++n;
    }
    return std::string(reinterpret_cast<const char*>(p), n);
}

size_t MinimumLength(uint16_t wCode) {
    switch (wCode) {
    case RESP_GET_PARAM:
        return NODE_HEADER_LEN + NODEPARAM_SIZE;
    case RESP_GET_VERSION:
        return VER_MIN_LENGTH;
    default:
        return NODE_HEADER_LEN;
    }
}

std::string AccountText(const uint8_t* p) {
    size_t n = 0;
    while (n < ACCOUNT_FIELD - 1 && p[n] != 0) {
        ++n;
    }
    return std::string(reinterpret_cast<const char*>(p), n);
}
} // namespace

bool DecodeResponse(const uint8_t* pData, size_t nLen, const std::string& strSenderAddr,
                    uint16_t wSenderPort, SNodeResponse& resp) {
    uint32_t dwSenderIp = 0;
    if (!ResolveAddress(strSenderAddr, dwSenderIp) || wSenderPort != NODE_DEVICE_PORT) {
        return false;
    }
    if (nLen < 4 || pData[0] != NODE_SIGNATURE_0 || pData[1] != NODE_SIGNATURE_1) {
        return false;
    }
    uint16_t wCode = static_cast<uint16_t>((pData[NODEOFS_CODE] << 8) | pData[NODEOFS_CODE + 1]);
    if (wCode < RESP_SEARCH || wCode > RESP_GET_VERSION || nLen < MinimumLength(wCode)) {
        return false;
    }
    resp.wCode = wCode;
    resp.strMac = MacToText(pData + NODEOFS_MAC);
    resp.byModel = pData[NODEOFS_MODEL];
    resp.nModel = ModelIndexFromCode(resp.byModel);
    resp.byMode = pData[NODEOFS_MODE];
    resp.byResult = pData[NODEOFS_RESULT];
    resp.dwSenderIp = dwSenderIp;
    resp.pData = pData;
    resp.nLen = nLen;
    return true;
}

NODEPARAM DecodeParamBlock(const SNodeResponse& resp) {
    NODEPARAM param;
    std::memcpy(&param, resp.pData + NODEOFS_PAYLOAD, sizeof param);
    if (resp.nModel == MODEL_INDEX_MRV620) {
        SwapParamBlock(param, SWAP_TO_HOST);
    }
    return param;
}

SFtpAccount DecodeFtpAccount(const SNodeResponse& resp) {
    return {AccountText(resp.pData + RESPOFS_USER), AccountText(resp.pData + RESPOFS_PASSWORD)};
}

SVersionInfo DecodeVersionInfo(const uint8_t* pData, size_t nLen) {
    constexpr size_t nFull = VEROFS_TABLE + VER_ENTRY_SIZE * VER_MAX_APPS;
    std::vector<uint8_t> vec(nFull, 0);
    std::memcpy(vec.data(), pData, nLen < nFull ? nLen : nFull);
    const uint8_t* p = vec.data();
    SVersionInfo info;
    info.strBoard = VersionField(p + VEROFS_BOARD_ID);
    info.nKernelMajor = static_cast<int8_t>(p[VEROFS_KERNEL]);
    info.nKernelMinor = static_cast<int8_t>(p[VEROFS_KERNEL + 1]);
    info.nBootMajor = static_cast<int8_t>(p[VEROFS_BOOT]);
    info.nBootMinor = static_cast<int8_t>(p[VEROFS_BOOT + 1]);
    for (size_t k = 0; k < VER_MAX_APPS; ++k) {
        const uint8_t* pEntry = p + VEROFS_TABLE + VER_ENTRY_SIZE * k;
        if (pEntry[0] == 0) {
            break;
        }
        SVersionApp app;
        app.strName = VersionField(pEntry);
        app.nMajor = static_cast<int8_t>(pEntry[14]);
        app.nMinor = static_cast<int8_t>(pEntry[15]);
        app.nSectors = static_cast<unsigned>((pEntry[16] << 8) | pEntry[17]);
        app.nValue = static_cast<unsigned>(pEntry[18] | (pEntry[19] << 8));
        info.vecApps.push_back(app);
    }
    return info;
}

std::string VersionText(int nMajor, int nMinor) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%d.%02d", nMajor, nMinor);
    return sz;
}
