// The parameter block on the wire and the set-parameters senders.
#include "link/SettingsPayload.h"

#include "link/NodeCodec.h"
#include "link/NodeProtocol.h"
#include "registry/OrvixDoc.h"

#include <arpa/inet.h>
#include <cstring>

static_assert(NODE_HEADER_LEN + NODEPARAM_SIZE == NODELEN_SET_PARAM);
static_assert(NODEOFS_CHECKSUM == NODEOFS_PAYLOAD + offsetof(NODEPARAM, byChecksum));

void SwapParamBlock(NODEPARAM& p, int nDirection) {
    auto Long = [nDirection](uint32_t dw) {
        return nDirection == SWAP_TO_HOST ? ntohl(dw) : htonl(dw);
    };
    auto Short = [nDirection](uint16_t w) {
        return nDirection == SWAP_TO_HOST ? ntohs(w) : htons(w);
    };
    p.dwOwnIp = Long(p.dwOwnIp);
    p.wOwnPort = Short(p.wOwnPort);
    p.dwDestIp = Long(p.dwDestIp);
    p.wDestPort = Short(p.wDestPort);
    p.dwGateway = Long(p.dwGateway);
    p.dwSubnetMask = Long(p.dwSubnetMask);
    p.wMtu = Short(p.wMtu);
    p.wIdleTimer = Short(p.wIdleTimer);
}

void ComputeChecksum(uint8_t* pDatagram) {
    uint32_t dwSum = 0;
    for (size_t i = 0; i < NODEOFS_CHECKSUM; ++i) {
        dwSum += pDatagram[i];
    }
    pDatagram[NODEOFS_CHECKSUM] = static_cast<uint8_t>(dwSum & 0xFFu);
}

void COrvixDoc::SendSetParam(const NODEPARAM& param, const COXParam& node, uint32_t dwDest) {
    uint8_t abBuf[NODE_REQUEST_BUFFER] = {};
    abBuf[0] = NODE_SIGNATURE_0;
    abBuf[1] = NODE_SIGNATURE_1;
    abBuf[NODEOFS_CODE] = static_cast<uint8_t>(NODECMD_SET_PARAM >> 8);
    abBuf[NODEOFS_CODE + 1] = static_cast<uint8_t>(NODECMD_SET_PARAM & 0xFF);
    TextToMac(node.m_strMac, abBuf + NODEOFS_MAC);
    abBuf[NODEOFS_MODEL] = ModelCodeFromIndex(node.m_nModel);

    NODEPARAM block = param;
    SwapParamBlock(block, SWAP_TO_NETWORK);
    std::memcpy(abBuf + NODEOFS_PAYLOAD, &block, sizeof block);
    ComputeChecksum(abBuf);

    // A node without an address yet is reached by broadcast; the MAC names it.
    uint32_t dwIp = dwDest == NODE_UNSET_IP ? NODE_BROADCAST_IP : dwDest;
    SendRequest(abBuf, NODELEN_SET_PARAM, dwIp);
}

void COrvixDoc::SendSetParamToNode(const NODEPARAM& param, int nIndex, uint32_t dwDest) {
    const COXParam* pNode = GetNode(nIndex);
    if (pNode != nullptr) {
        SendSetParam(param, *pNode, dwDest);
    }
}
