#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One IPv4 address of one interface of the PC, as the system lists it.
// Addresses in host order.
struct SNetInterface {
    std::string strName;
    unsigned nIndex = 0;
    uint32_t dwAddr = 0;
    bool bUp = false; // administratively up and with a carrier
    bool bLoopback = false;
    bool bBroadcast = false; // can send broadcasts
};

// Where the PC's interfaces come from; tests script their own list.
class CNetInterfaceSource {
public:
    virtual ~CNetInterfaceSource() = default;
    virtual std::vector<SNetInterface> ListInterfaces() = 0;
};

// The system's list (getifaddrs), IPv4 entries only.
class CSystemInterfaceSource : public CNetInterfaceSource {
public:
    std::vector<SNetInterface> ListInterfaces() override;
};

// The interfaces a broadcast leaves through: up, not loopback, able to
// broadcast; an interface with several addresses counts once, in list order.
std::vector<SNetInterface> SelectBroadcastInterfaces(const std::vector<SNetInterface>& vecAll);
