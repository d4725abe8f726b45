#pragma once
#include "platform/DatagramSocket.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Pending states: what the waiting operation expects of the next response.
inline constexpr int32_t PENDING_NONE = 0;
inline constexpr int32_t PENDING_SEARCH = 1;
inline constexpr int32_t PENDING_INITIALIZE = 2;
inline constexpr int32_t PENDING_GET_PARAM = 3;
inline constexpr int32_t PENDING_SET_PARAM = 4;
inline constexpr int32_t PENDING_CHANGE_MODE = 5;
inline constexpr int32_t PENDING_GET_VERSION = 6;
inline constexpr int32_t PENDING_GET_ACCOUNT = 10;
inline constexpr int32_t PENDING_ERROR = -1;

// The manager's one UDP endpoint, owned by the document for its whole life.
class CNodeSocket {
public:
    // fnOnReceive runs on every receive notification; the owner reads and
    // dispatches the datagram there.
    CNodeSocket(std::function<void()> fnOnReceive, std::unique_ptr<CDatagramSocket> pSocket);

    // Binds the local port. False when the port is taken (or no socket exists).
    bool Create(uint16_t wPort);
    bool SetBroadcast();
    int SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort);
    // Serves the datagrams taken off the socket earlier first, in arrival order.
    int ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr, uint16_t& wPort);
    // Takes every datagram waiting on the socket into the endpoint's own queue,
    // so a burst of replies cannot overflow the kernel's buffer while we pace.
    // False when nothing could be taken.
    bool AbsorbPending();
    bool HasQueued() const { return !m_queueIn.empty(); }
    int GetDescriptor() const;
    bool IsCreated() const { return m_bCreated; }
    void Close();

    // Receive notification: hands the datagram to the owner's dispatcher.
    void OnReceive() { m_fnOnReceive(); }

    std::string m_strFtpUser;
    std::string m_strFtpPassword;
    int32_t m_nPending = PENDING_NONE;

private:
    std::function<void()> m_fnOnReceive;
    struct SQueued {
        std::vector<uint8_t> vecData;
        std::string strAddr;
        uint16_t wPort;
    };
    std::unique_ptr<CDatagramSocket> m_pSocket;
    std::deque<SQueued> m_queueIn;
    bool m_bCreated = false;
};
