#include "platform/HostAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {
bool LookUpFirstIpv4(const char* pszName, uint32_t& dwIp) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* pResult = nullptr;
    if (getaddrinfo(pszName, nullptr, &hints, &pResult) != 0 || pResult == nullptr) {
        return false;
    }
    const auto* pSin = reinterpret_cast<const sockaddr_in*>(pResult->ai_addr);
    dwIp = ntohl(pSin->sin_addr.s_addr);
    freeaddrinfo(pResult);
    return true;
}
} // namespace

bool GetFirstHostAddress(uint32_t& dwIp) {
    char szName[256] = {};
    if (gethostname(szName, sizeof szName - 1) != 0) {
        return false;
    }
    return LookUpFirstIpv4(szName, dwIp);
}

bool ResolveAddress(const std::string& strAddr, uint32_t& dwIp) {
    // A dotted-decimal text is its own answer; asking a resolver for it is only slower.
    in_addr addr{};
    if (inet_pton(AF_INET, strAddr.c_str(), &addr) == 1) {
        dwIp = ntohl(addr.s_addr);
        return true;
    }
    return LookUpFirstIpv4(strAddr.c_str(), dwIp);
}
