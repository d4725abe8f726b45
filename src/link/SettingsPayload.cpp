// The parameter block on the wire.
#include "link/SettingsPayload.h"

#include "link/NodeProtocol.h"

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
