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

// The interface the main routing table sends dwIp through, from the table as
// /proc/net/route shows it: the usable route with the longest prefix, then the
// lowest metric. Empty when no route matches.
std::string RouteInterfaceFor(const std::string& strRouteTable, uint32_t dwIp);

// The PC's own addresses: those of the up, non-loopback interfaces, each once,
// the ones of strFirstInterface first, otherwise in list order.
std::vector<uint32_t> OrderPcAddresses(const std::vector<SNetInterface>& vecAll,
                                       const std::string& strFirstInterface);
