#pragma once
#include <cstdint>
#include <string>

// The PC's host name resolved to its first IPv4 address (host order).
// False when the name cannot be resolved.
bool GetFirstHostAddress(uint32_t& dwIp);

// Name resolution of an address text: host-name lookup first, then dotted decimal.
bool ResolveAddress(const std::string& strAddr, uint32_t& dwIp);
