#include "platform/NetInterfaces.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sstream>

std::vector<SNetInterface> CSystemInterfaceSource::ListInterfaces() {
    std::vector<SNetInterface> vecList;
    ifaddrs* pFirst = nullptr;
    if (getifaddrs(&pFirst) != 0) {
        return vecList;
    }
    for (const ifaddrs* p = pFirst; p != nullptr; p = p->ifa_next) {
        if (p->ifa_addr == nullptr || p->ifa_addr->sa_family != AF_INET || p->ifa_name == nullptr) {
            continue;
        }
        SNetInterface entry;
        entry.strName = p->ifa_name;
        entry.nIndex = if_nametoindex(p->ifa_name);
        entry.dwAddr = ntohl(reinterpret_cast<const sockaddr_in*>(p->ifa_addr)->sin_addr.s_addr);
        entry.bUp = (p->ifa_flags & IFF_UP) != 0 && (p->ifa_flags & IFF_RUNNING) != 0;
        entry.bLoopback = (p->ifa_flags & IFF_LOOPBACK) != 0;
        entry.bBroadcast = (p->ifa_flags & IFF_BROADCAST) != 0;
        vecList.push_back(std::move(entry));
    }
    freeifaddrs(pFirst);
    return vecList;
}

std::vector<SNetInterface> SelectBroadcastInterfaces(const std::vector<SNetInterface>& vecAll) {
    std::vector<SNetInterface> vecChosen;
    for (const SNetInterface& entry : vecAll) {
        if (!entry.bUp || entry.bLoopback || !entry.bBroadcast || entry.nIndex == 0) {
            continue;
        }
        bool bSeen = std::any_of(vecChosen.begin(), vecChosen.end(),
                                 [&](const SNetInterface& c) { return c.nIndex == entry.nIndex; });
        if (!bSeen) {
            vecChosen.push_back(entry);
        }
    }
    return vecChosen;
}

std::string RouteInterfaceFor(const std::string& strRouteTable, uint32_t dwIp) {
    constexpr unsigned ROUTE_UP = 0x0001; // RTF_UP
    std::istringstream in(strRouteTable);
    std::string strLine;
    std::getline(in, strLine); // the column titles
    std::string strBest;
    int nBestPrefix = -1;
    unsigned long nBestMetric = 0;
    while (std::getline(in, strLine)) {
        std::istringstream fields(strLine);
        std::string strName;
        unsigned long nDest = 0, nGateway = 0, nFlags = 0, nRefCnt = 0, nUse = 0, nMetric = 0;
        unsigned long nMask = 0;
        if (!(fields >> strName >> std::hex >> nDest >> nGateway >> nFlags >> std::dec >> nRefCnt >>
              nUse >> nMetric >> std::hex >> nMask) ||
            (nFlags & ROUTE_UP) == 0) {
            continue;
        }
        // The kernel prints each address as its in-memory (network-order) word.
        uint32_t dwDest = ntohl(static_cast<uint32_t>(nDest));
        uint32_t dwMask = ntohl(static_cast<uint32_t>(nMask));
        if ((dwIp & dwMask) != dwDest) {
            continue;
        }
        int nPrefix = __builtin_popcount(dwMask);
        if (nPrefix > nBestPrefix || (nPrefix == nBestPrefix && nMetric < nBestMetric)) {
            strBest = strName;
            nBestPrefix = nPrefix;
            nBestMetric = nMetric;
        }
    }
    return strBest;
}

std::vector<uint32_t> OrderPcAddresses(const std::vector<SNetInterface>& vecAll,
                                       const std::string& strFirstInterface) {
    std::vector<uint32_t> vecFirst;
    std::vector<uint32_t> vecRest;
    for (const SNetInterface& entry : vecAll) {
        if (!entry.bUp || entry.bLoopback) {
            continue;
        }
        std::vector<uint32_t>& vec = entry.strName == strFirstInterface ? vecFirst : vecRest;
        if (std::find(vec.begin(), vec.end(), entry.dwAddr) == vec.end()) {
            vec.push_back(entry.dwAddr);
        }
    }
    for (uint32_t dwAddr : vecRest) {
        if (std::find(vecFirst.begin(), vecFirst.end(), dwAddr) == vecFirst.end()) {
            vecFirst.push_back(dwAddr);
        }
    }
    return vecFirst;
}
