#pragma once
#include "platform/DatagramSocket.h"

#include <deque>
#include <functional>
#include <vector>

// In-memory endpoint for unit tests: records what is sent and delivers datagrams
// a test injects. Its descriptor (an eventfd) is readable while datagrams wait,
// so it works with the real poll pump.
class CMemoryDatagramSocket : public CDatagramSocket {
public:
    struct SDatagram {
        std::vector<uint8_t> vecData;
        uint32_t dwIp = 0;   // destination when sent, sender when injected
        std::string strAddr; // sender text when injected
        uint16_t wPort = 0;
        unsigned nIfIndex = 0; // interface chosen when sent (0: by route), arrival when injected
    };
    using SendHook = std::function<void(const SDatagram&)>;

    CMemoryDatagramSocket();
    ~CMemoryDatagramSocket() override;
    CMemoryDatagramSocket(const CMemoryDatagramSocket&) = delete;
    CMemoryDatagramSocket& operator=(const CMemoryDatagramSocket&) = delete;

    bool Bind(uint16_t wPort) override;
    bool SetBroadcast(bool bOn) override;
    int SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) override;
    int SendThrough(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort,
                    unsigned nIfIndex) override;
    int ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr, uint16_t& wPort) override;
    unsigned GetLastInterface() const override { return m_nLastInterface; }
    int GetDescriptor() const override { return m_fd; }
    void Close() override;

    // Test controls.
    void Inject(std::vector<uint8_t> vecData, const std::string& strAddr, uint16_t wPort,
                unsigned nIfIndex = 0);
    void SetFailBind(bool bFail) { m_bFailBind = bFail; }
    void SetFailSend(bool bFail) { m_bFailSend = bFail; }
    // Called after every successful send; may Inject replies.
    void SetSendHook(SendHook hook) { m_hookSend = std::move(hook); }

    const std::vector<SDatagram>& GetSent() const { return m_vecSent; }
    void ClearSent() { m_vecSent.clear(); }
    uint16_t GetBoundPort() const { return m_wBoundPort; }
    bool IsBroadcastOn() const { return m_bBroadcast; }
    size_t GetQueued() const { return m_queueIn.size(); }

private:
    void UpdateReadable();

    int m_fd = -1;
    bool m_bFailBind = false;
    bool m_bFailSend = false;
    bool m_bBroadcast = false;
    bool m_bBound = false;
    uint16_t m_wBoundPort = 0;
    unsigned m_nLastInterface = 0;
    std::vector<SDatagram> m_vecSent;
    std::deque<SDatagram> m_queueIn;
    SendHook m_hookSend;
};
