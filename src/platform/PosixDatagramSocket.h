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
    int ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr, uint16_t& wPort) override;
    int GetDescriptor() const override { return m_fd; }
    void Close() override;

private:
    int m_fd = -1;
};
