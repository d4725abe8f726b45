#include "platform/HostAddress.h"

#include "platform/NetInterfaces.h"

#include <arpa/inet.h>
#include <fstream>
#include <iterator>
#include <netdb.h>
#include <netinet/in.h>

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

std::vector<uint32_t> GetPcAddresses(uint32_t dwTowards) {
    CSystemInterfaceSource source;
    std::ifstream in("/proc/net/route");
    std::string strTable((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return OrderPcAddresses(source.ListInterfaces(), RouteInterfaceFor(strTable, dwTowards));
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
