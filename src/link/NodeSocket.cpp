#include "link/NodeSocket.h"

#include "link/NodeProtocol.h"

#include <cstring>

namespace {
// A flood must not grow the queue without bound: 1024 nodes x 16 replies fit.
constexpr size_t NODE_QUEUE_MAX = 65536;
} // namespace

CNodeSocket::CNodeSocket(std::function<void()> fnOnReceive,
                         std::unique_ptr<CDatagramSocket> pSocket)
    : m_fnOnReceive(std::move(fnOnReceive)), m_pSocket(std::move(pSocket)) {}

bool CNodeSocket::Create(uint16_t wPort) {
    m_bCreated = m_pSocket && m_pSocket->GetDescriptor() >= 0 && m_pSocket->Bind(wPort);
    return m_bCreated;
}

bool CNodeSocket::SetBroadcast() {
    return m_pSocket && m_pSocket->SetBroadcast(true);
}

int CNodeSocket::SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) {
    // An endpoint that could not be created at start never sends.
    if (!m_bCreated) {
        return -1;
    }
    return m_pSocket->SendTo(pData, nLen, dwIp, wPort);
}

int CNodeSocket::ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr, uint16_t& wPort) {
    if (!m_queueIn.empty()) {
        SQueued& queued = m_queueIn.front();
        size_t nCopy = queued.vecData.size() < nCapacity ? queued.vecData.size() : nCapacity;
        if (nCopy > 0) {
            std::memcpy(pBuf, queued.vecData.data(), nCopy);
        }
        strAddr = std::move(queued.strAddr);
        wPort = queued.wPort;
        m_queueIn.pop_front();
        return static_cast<int>(nCopy);
    }
    if (!m_bCreated) {
        return -1;
    }
    return m_pSocket->ReceiveFrom(pBuf, nCapacity, strAddr, wPort);
}

int CNodeSocket::GetDescriptor() const {
    return m_bCreated ? m_pSocket->GetDescriptor() : -1;
}

void CNodeSocket::Close() {
    if (m_pSocket) {
        m_pSocket->Close();
    }
    m_bCreated = false;
}

bool CNodeSocket::AbsorbPending() {
    if (!m_bCreated) {
        return false;
    }
    size_t nBefore = m_queueIn.size();
    uint8_t abBuf[NODE_RECEIVE_BUFFER];
    while (m_queueIn.size() < NODE_QUEUE_MAX) {
        std::string strAddr;
        uint16_t wPort = 0;
        int n = m_pSocket->ReceiveFrom(abBuf, sizeof abBuf, strAddr, wPort);
        if (n < 0) {
            break;
        }
        m_queueIn.push_back({std::vector<uint8_t>(abBuf, abBuf + n), std::move(strAddr), wPort});
    }
    return m_queueIn.size() > nBefore;
}
