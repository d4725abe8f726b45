#pragma once
// mrvctl --verbose: every datagram as it leaves and arrives, one line each on
// the error stream. Only the header is shown (command, MAC, mode, result):
// payloads carry the node's account, which never appears.
#include "platform/DatagramSocket.h"

#include <cstdio>
#include <memory>
#include <string>

class CTracingDatagramSocket : public CDatagramSocket {
public:
    CTracingDatagramSocket(std::unique_ptr<CDatagramSocket> pInner, std::FILE* pOut)
        : m_pInner(std::move(pInner)), m_pOut(pOut) {}

    bool Bind(uint16_t wPort) override { return m_pInner->Bind(wPort); }
    bool SetBroadcast(bool bOn) override { return m_pInner->SetBroadcast(bOn); }
    int SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) override;
    int SendThrough(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort,
                    unsigned nIfIndex) override;
    int ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr, uint16_t& wPort) override;
    unsigned GetLastInterface() const override { return m_pInner->GetLastInterface(); }
    size_t ReceiveMany(std::deque<SDatagram>& queue, size_t nMax, size_t nCapacity) override;
    int GetDescriptor() const override { return m_pInner->GetDescriptor(); }
    void Close() override { m_pInner->Close(); }

private:
    void Trace(bool bOut, const void* pData, size_t nLen, const std::string& strAddr,
               uint16_t wPort);

    std::unique_ptr<CDatagramSocket> m_pInner;
    std::FILE* m_pOut;
};

// The line of one datagram: "udp -> 192.168.1.10:65533 0105 0080D4000001 mode 07 (12 bytes)".
std::string DescribeDatagram(bool bOut, const void* pData, size_t nLen, const std::string& strAddr,
                             uint16_t wPort);
