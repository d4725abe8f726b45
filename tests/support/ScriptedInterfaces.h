#pragma once
// The PC's interfaces as a test lists them; the test may change the list
// while the endpoint holds the source.
#include "platform/NetInterfaces.h"

#include <memory>
#include <vector>

class CScriptedInterfaces : public CNetInterfaceSource {
public:
    explicit CScriptedInterfaces(std::shared_ptr<std::vector<SNetInterface>> pList)
        : m_pList(std::move(pList)) {}
    std::vector<SNetInterface> ListInterfaces() override {
        ++m_nCalls;
        return *m_pList;
    }
    int m_nCalls = 0;

private:
    std::shared_ptr<std::vector<SNetInterface>> m_pList;
};

// An entry as getifaddrs would give it.
inline SNetInterface MakeInterface(const char* pszName, unsigned nIndex, uint32_t dwAddr,
                                   bool bUp = true, bool bLoopback = false,
                                   bool bBroadcast = true) {
    SNetInterface itf;
    itf.strName = pszName;
    itf.nIndex = nIndex;
    itf.dwAddr = dwAddr;
    itf.bUp = bUp;
    itf.bLoopback = bLoopback;
    itf.bBroadcast = bBroadcast;
    return itf;
}
