#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The PC's own IPv4 addresses (host order): those of its up, non-loopback
// interfaces, the addresses of the interface the routing table sends dwTowards
// (a node's address) through first. Resolving the host name is no help on
// Linux: it gives a loopback address unless someone mapped the name by hand.
// Empty when the PC has no such interface.
std::vector<uint32_t> GetPcAddresses(uint32_t dwTowards);

// Name resolution of an address text: host-name lookup first, then dotted decimal.
bool ResolveAddress(const std::string& strAddr, uint32_t& dwIp);
