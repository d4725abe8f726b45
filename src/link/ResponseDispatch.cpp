#include "link/NodeProtocol.h"
#include "registry/OrvixDoc.h"

void COrvixDoc::OnReceiveDatagram() {
    uint8_t abBuf[NODE_RECEIVE_BUFFER];
    std::string strAddr;
    uint16_t wPort = 0;
    // Not dispatched yet: the datagram is taken off the socket and dropped.
    m_pSocket->ReceiveFrom(abBuf, sizeof abBuf, strAddr, wPort);
}
