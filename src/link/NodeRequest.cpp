#include "link/NodeRequest.h"

#include "link/NodeCodec.h"
#include "link/SettingsPayload.h"

#include <cstdio>
#include <cstring>

void WriteRequestHeader(uint8_t* pBuf, uint16_t wCode, const std::string& strMac, uint8_t byModel) {
    std::memset(pBuf, 0, NODE_REQUEST_BUFFER);
    pBuf[0] = NODE_SIGNATURE_0;
    pBuf[1] = NODE_SIGNATURE_1;
    pBuf[NODEOFS_CODE] = static_cast<uint8_t>(wCode >> 8);
    pBuf[NODEOFS_CODE + 1] = static_cast<uint8_t>(wCode & 0xFF);
    TextToMac(strMac, pBuf + NODEOFS_MAC);
    pBuf[NODEOFS_MODEL] = byModel;
}

SNodeRequest ComposeShortRequest(uint16_t wCode, const std::string& strMac, uint8_t byModel) {
    SNodeRequest req;
    WriteRequestHeader(req.abData.data(), wCode, strMac, byModel);
    req.nLen = NODELEN_SHORT;
    return req;
}

SNodeRequest ComposeModeRequest(const std::string& strMac, uint8_t byModel, int nMode) {
    SNodeRequest req;
    WriteRequestHeader(req.abData.data(), NODECMD_CHANGE_MODE, strMac, byModel);
    req.abData[NODEOFS_MODE] = static_cast<uint8_t>(nMode & 0xFF);
    req.nLen = NODELEN_MODE;
    return req;
}

SNodeRequest ComposeSetParamRequest(const std::string& strMac, uint8_t byModel,
                                    const NODEPARAM& param) {
    SNodeRequest req;
    WriteRequestHeader(req.abData.data(), NODECMD_SET_PARAM, strMac, byModel);
    NODEPARAM block = param;
    SwapParamBlock(block, SWAP_TO_NETWORK);
    std::memcpy(req.abData.data() + NODEOFS_PAYLOAD, &block, sizeof block);
    ComputeChecksum(req.abData.data());
    req.nLen = NODELEN_SET_PARAM;
    return req;
}

std::string SearchProbeMac(int nProbe) {
    char szMac[16];
    std::snprintf(szMac, sizeof szMac, "0000%02X00000F", nProbe & 0xFF);
    return szMac;
}
