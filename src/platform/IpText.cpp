#include "platform/IpText.h"

#include <arpa/inet.h>
#include <cstdio>

uint32_t ParseIpHost(const std::string& strText) {
    return ntohl(inet_addr(strText.c_str()));
}

std::string FormatIpHost(uint32_t dwIp) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%u.%u.%u.%u", (dwIp >> 24) & 0xFFu, (dwIp >> 16) & 0xFFu,
                  (dwIp >> 8) & 0xFFu, dwIp & 0xFFu);
    return sz;
}

bool ParseDottedAddress(const std::string& strText, uint32_t& dwIp) {
    dwIp = ParseIpHost(strText);
    return dwIp != IP_NONE || strText == "255.255.255.255";
}

bool ParseDottedStrict(const std::string& strText, uint32_t& dwIp) {
    in_addr addr{};
    if (inet_pton(AF_INET, strText.c_str(), &addr) != 1) {
        return false;
    }
    dwIp = ntohl(addr.s_addr);
    return true;
}
