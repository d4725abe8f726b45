#pragma once
#include <cstdint>
#include <string>

// Parses an address text the way inet_addr does (1.2.3.4, also short and hex
// forms) and returns it in host order; unparsable text gives 0xFFFFFFFF,
// the same as "255.255.255.255".
uint32_t ParseIpHost(const std::string& strText);
// "%d.%d.%d.%d" from the most significant byte down.
std::string FormatIpHost(uint32_t dwIp);

constexpr uint32_t IP_NONE = 0xFFFFFFFFu;
constexpr uint32_t IP_BROADCAST = 0xFFFFFFFFu;

// An address typed as text: the inet_addr forms, where "255.255.255.255" is the
// broadcast address and any unparsable text is false (never the broadcast).
bool ParseDottedAddress(const std::string& strText, uint32_t& dwIp);

// Only the plain four-part dotted form; false for anything else.
bool ParseDottedStrict(const std::string& strText, uint32_t& dwIp);
