#pragma once
#include "platform/DatagramSocket.h"
#include "platform/NetInterfaces.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
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
    // A datagram to the limited broadcast address leaves once through each
    // interface a broadcast may use (see SetInterfaceSource), all in the same
    // moment; anything else goes by the routing table.
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

    // The PC's interfaces. Without a source a broadcast goes by the routing
    // table only, through the interface of the default route.
    void SetInterfaceSource(std::unique_ptr<CNetInterfaceSource> pSource);
    bool HasInterfaceSource() const { return m_pInterfaces != nullptr; }
    // The interfaces a broadcast may leave through now (up, not loopback,
    // broadcast-capable); empty without a source.
    std::vector<SNetInterface> ListBroadcastInterfaces();
    // Restricts broadcasts to the interface of that name; empty: all of them.
    // A chosen interface that is gone when a broadcast leaves is passed over
    // for all of them.
    void SetInterfaceChoice(const std::string& strName);
    // Told of every change of the choice (the front end keeps it per user).
    void SetInterfaceChoiceSink(std::function<void(const std::string&)> fnSink) {
        m_fnChoiceSink = std::move(fnSink);
    }
    const std::string& GetInterfaceChoice() const { return m_strChoice; }
    // True once after a broadcast found the chosen interface gone; again only
    // after it came back and went again.
    bool TakeMissingChoiceNotice();
    // The interface the datagram ReceiveFrom returned last came in on: its
    // name, empty when unknown.
    std::string GetLastInterfaceName();

    // Receive notification: hands the datagram to the owner's dispatcher.
    void OnReceive() { m_fnOnReceive(); }

    std::string m_strFtpUser;
    std::string m_strFtpPassword;
    int32_t m_nPending = PENDING_NONE;

private:
    std::function<void()> m_fnOnReceive;
    // The interfaces of one broadcast, the choice applied.
    std::vector<SNetInterface> ResolveBroadcastInterfaces();
    void NoteInterfaceNames(const std::vector<SNetInterface>& vecAll);

    std::unique_ptr<CDatagramSocket> m_pSocket;
    std::deque<SDatagram> m_queueIn;
    bool m_bCreated = false;
    std::unique_ptr<CNetInterfaceSource> m_pInterfaces;
    std::string m_strChoice;
    std::function<void(const std::string&)> m_fnChoiceSink;
    bool m_bChoiceMissing = false;
    bool m_bMissingNotice = false;
    std::map<unsigned, std::string> m_mapInterfaceNames;
    unsigned m_nLastInterface = 0;
};
