#include "link/NodeSocket.h"

#include "registry/OrvixDoc.h"

CNodeSocket::CNodeSocket(COrvixDoc* pDoc, std::unique_ptr<CDatagramSocket> pSocket)
    : m_pDoc(pDoc), m_pSocket(std::move(pSocket)) {}

bool CNodeSocket::Create(uint16_t wPort) {
    m_bCreated = m_pSocket && m_pSocket->GetDescriptor() >= 0 && m_pSocket->Bind(wPort);
    return m_bCreated;
}

bool CNodeSocket::SetBroadcast() { return m_pSocket && m_pSocket->SetBroadcast(true); }

int CNodeSocket::SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) {
    // An endpoint that could not be created at start never sends.
    if (!m_bCreated) {
        return -1;
    }
    return m_pSocket->SendTo(pData, nLen, dwIp, wPort);
}

int CNodeSocket::ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr, uint16_t& wPort) {
    if (!m_bCreated) {
        return -1;
    }
    return m_pSocket->ReceiveFrom(pBuf, nCapacity, strAddr, wPort);
}

int CNodeSocket::GetDescriptor() const { return m_bCreated ? m_pSocket->GetDescriptor() : -1; }

void CNodeSocket::Close() {
    if (m_pSocket) {
        m_pSocket->Close();
    }
    m_bCreated = false;
}

void CNodeSocket::OnReceive() { m_pDoc->OnReceiveDatagram(); }
