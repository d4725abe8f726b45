#include "link/NodeResponse.h"

#include "link/NodeCodec.h"
#include "link/SettingsPayload.h"
#include "platform/HostAddress.h"

#include <cstring>

namespace {
// Block offsets of the FTP account inside a 0x0203 datagram.
constexpr size_t RESPOFS_USER = 36;
constexpr size_t RESPOFS_PASSWORD = 52;
constexpr size_t ACCOUNT_FIELD = 16;

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
