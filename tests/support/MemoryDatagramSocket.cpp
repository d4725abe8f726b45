#include "MemoryDatagramSocket.h"

#include <arpa/inet.h>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

CMemoryDatagramSocket::CMemoryDatagramSocket() {
    m_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CMemoryDatagramSocket::~CMemoryDatagramSocket() {
    Close();
}

bool CMemoryDatagramSocket::Bind(uint16_t wPort) {
    if (m_bFailBind || m_fd < 0) {
        return false;
    }
    m_bBound = true;
    m_wBoundPort = wPort;
    return true;
}

bool CMemoryDatagramSocket::SetBroadcast(bool bOn) {
    m_bBroadcast = bOn;
    return m_fd >= 0;
}

int CMemoryDatagramSocket::SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) {
    return SendThrough(pData, nLen, dwIp, wPort, 0);
}

int CMemoryDatagramSocket::SendThrough(const void* pData, size_t nLen, uint32_t dwIp,
                                       uint16_t wPort, unsigned nIfIndex) {
    if (m_bFailSend || !m_bBound || m_fd < 0) {
        return -1;
    }
    SDatagram dg;
    const auto* pBytes = static_cast<const uint8_t*>(pData);
    dg.vecData.assign(pBytes, pBytes + nLen);
    dg.dwIp = dwIp;
    dg.wPort = wPort;
    dg.nIfIndex = nIfIndex;
    m_vecSent.push_back(dg);
    if (m_hookSend) {
        m_hookSend(m_vecSent.back());
    }
    return static_cast<int>(nLen);
}

int CMemoryDatagramSocket::ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr,
                                       uint16_t& wPort) {
    if (m_queueIn.empty()) {
        return -1;
    }
    SDatagram dg = std::move(m_queueIn.front());
    m_queueIn.pop_front();
    UpdateReadable();
    size_t nCopy = dg.vecData.size() < nCapacity ? dg.vecData.size() : nCapacity;
    if (nCopy > 0) {
        std::memcpy(pBuf, dg.vecData.data(), nCopy);
    }
    strAddr = dg.strAddr;
    wPort = dg.wPort;
    m_nLastInterface = dg.nIfIndex;
    return static_cast<int>(nCopy);
}

void CMemoryDatagramSocket::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    m_bBound = false;
}

void CMemoryDatagramSocket::Inject(std::vector<uint8_t> vecData, const std::string& strAddr,
                                   uint16_t wPort, unsigned nIfIndex) {
    SDatagram dg;
    dg.vecData = std::move(vecData);
    dg.strAddr = strAddr;
    in_addr addr{};
    if (inet_pton(AF_INET, strAddr.c_str(), &addr) == 1) {
        dg.dwIp = ntohl(addr.s_addr);
    }
    dg.wPort = wPort;
    dg.nIfIndex = nIfIndex;
    m_queueIn.push_back(std::move(dg));
    UpdateReadable();
}

void CMemoryDatagramSocket::UpdateReadable() {
    if (m_fd < 0) {
        return;
    }
    // Drain, then raise again while datagrams wait: readable == queue not empty.
    uint64_t ullValue = 0;
    while (read(m_fd, &ullValue, sizeof ullValue) == sizeof ullValue) {
    }
    if (!m_queueIn.empty()) {
        ullValue = 1;
        [[maybe_unused]] ssize_t n = write(m_fd, &ullValue, sizeof ullValue);
    }
}
