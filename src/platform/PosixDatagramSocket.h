#pragma once
#include "platform/DatagramSocket.h"

class CPosixDatagramSocket : public CDatagramSocket {
public:
    CPosixDatagramSocket();
    ~CPosixDatagramSocket() override;
    CPosixDatagramSocket(const CPosixDatagramSocket&) = delete;
    CPosixDatagramSocket& operator=(const CPosixDatagramSocket&) = delete;

    bool Bind(uint16_t wPort) override;
    bool SetBroadcast(bool bOn) override;
    int SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) override;
    int SendThrough(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort,
                    unsigned nIfIndex) override;
    int ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr, uint16_t& wPort) override;
    unsigned GetLastInterface() const override { return m_nLastInterface; }
    size_t ReceiveMany(std::deque<SDatagram>& queue, size_t nMax, size_t nCapacity) override;
    int GetDescriptor() const override { return m_fd; }
    void Close() override;

private:
    int m_fd = -1;
    unsigned m_nLastInterface = 0;
    std::vector<uint8_t> m_vecBatch;
};

// Whether a UDP socket could be bound to wPort (on every address) right now.
bool CanBindUdpPort(uint16_t wPort);
