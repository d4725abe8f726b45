#include "platform/NetInterfaces.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

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
