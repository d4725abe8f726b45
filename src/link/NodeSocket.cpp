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
    if (dwIp != NODE_BROADCAST_IP || m_pInterfaces == nullptr) {
        return m_pSocket->SendTo(pData, nLen, dwIp, wPort);
    }
    std::vector<SNetInterface> vecOut = ResolveBroadcastInterfaces();
    if (vecOut.empty()) {
        // No interface can broadcast: the routing table is all there is.
        return m_pSocket->SendTo(pData, nLen, dwIp, wPort);
    }
    // One interface that went down meanwhile must not cost the others their copy.
    int nResult = -1;
    for (const SNetInterface& itf : vecOut) {
        int n = m_pSocket->SendThrough(pData, nLen, dwIp, wPort, itf.nIndex);
        if (n >= 0) {
            nResult = n;
        }
    }
    return nResult;
}

void CNodeSocket::SetInterfaceSource(std::unique_ptr<CNetInterfaceSource> pSource) {
    m_pInterfaces = std::move(pSource);
    m_mapInterfaceNames.clear();
}

std::vector<SNetInterface> CNodeSocket::ListBroadcastInterfaces() {
    if (m_pInterfaces == nullptr) {
        return {};
    }
    std::vector<SNetInterface> vecAll = m_pInterfaces->ListInterfaces();
    NoteInterfaceNames(vecAll);
    return SelectBroadcastInterfaces(vecAll);
}

std::vector<SNetInterface> CNodeSocket::ResolveBroadcastInterfaces() {
    std::vector<SNetInterface> vecOut = ListBroadcastInterfaces();
    if (m_strChoice.empty()) {
        return vecOut;
    }
    for (const SNetInterface& itf : vecOut) {
        if (itf.strName == m_strChoice) {
            m_bChoiceMissing = false;
            return {itf};
        }
    }
    if (!m_bChoiceMissing) {
        m_bChoiceMissing = true;
        m_bMissingNotice = true;
    }
    return vecOut;
}

void CNodeSocket::SetInterfaceChoice(const std::string& strName) {
    if (strName == m_strChoice) {
        return;
    }
    m_strChoice = strName;
    m_bChoiceMissing = false;
    m_bMissingNotice = false;
    if (m_fnChoiceSink) {
        m_fnChoiceSink(m_strChoice);
    }
}

bool CNodeSocket::TakeMissingChoiceNotice() {
    bool bNotice = m_bMissingNotice;
    m_bMissingNotice = false;
    return bNotice;
}

void CNodeSocket::NoteInterfaceNames(const std::vector<SNetInterface>& vecAll) {
    for (const SNetInterface& itf : vecAll) {
        m_mapInterfaceNames[itf.nIndex] = itf.strName;
    }
}

std::string CNodeSocket::GetLastInterfaceName() {
    if (m_nLastInterface == 0) {
        return {};
    }
    auto it = m_mapInterfaceNames.find(m_nLastInterface);
    if (it == m_mapInterfaceNames.end() && m_pInterfaces != nullptr) {
        // Seen before any broadcast listed it: ask once, and remember even a miss.
        NoteInterfaceNames(m_pInterfaces->ListInterfaces());
        it = m_mapInterfaceNames.emplace(m_nLastInterface, std::string()).first;
    }
    return it != m_mapInterfaceNames.end() ? it->second : std::string();
}

int CNodeSocket::ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr, uint16_t& wPort) {
    if (!m_queueIn.empty()) {
        SDatagram& queued = m_queueIn.front();
        size_t nCopy = queued.vecData.size() < nCapacity ? queued.vecData.size() : nCapacity;
        if (nCopy > 0) {
            std::memcpy(pBuf, queued.vecData.data(), nCopy);
        }
        strAddr = std::move(queued.strAddr);
        wPort = queued.wPort;
        m_nLastInterface = queued.nIfIndex;
        m_queueIn.pop_front();
        return static_cast<int>(nCopy);
    }
    if (!m_bCreated) {
        return -1;
    }
    int n = m_pSocket->ReceiveFrom(pBuf, nCapacity, strAddr, wPort);
    m_nLastInterface = n >= 0 ? m_pSocket->GetLastInterface() : 0;
    return n;
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
    if (nBefore < NODE_QUEUE_MAX) {
        m_pSocket->ReceiveMany(m_queueIn, NODE_QUEUE_MAX - nBefore, NODE_RECEIVE_BUFFER);
    }
    return m_queueIn.size() > nBefore;
}
