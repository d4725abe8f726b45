#pragma once
// A document as the unit tests build it: the in-memory socket, the test clock
// with its virtual-time pump, mrvctl's UI (it answers every dialog it was
// told about and records every message), the data file where the target says.
#include "MemoryDatagramSocket.h"
#include "TestClock.h"
#include "VirtualTimePump.h"
#include "cli/CtlUi.h"
#include "doc/OrvixDoc.h"

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

struct SFuzzDoc {
    // bMoveAside: the manager's handling of an unreadable data file, else mrvctl's.
    explicit SFuzzDoc(const std::string& strDataPath = "", bool bMoveAside = true) : pump(clock) {
        std::memset(&defParam, 0, sizeof defParam);
        auto p = std::make_unique<CMemoryDatagramSocket>();
        pSocket = p.get();
        SDocEnv env{ui, pump, clock, settings, defParam, strDataPath};
        env.bMoveUnreadableAside = bMoveAside;
        pDoc = std::make_unique<COrvixDoc>(env, std::move(p));
    }

    CCtlUi ui;
    CTestClock clock;
    CVirtualTimePump pump;
    SAppSettings settings;
    NODEPARAM defParam;
    CMemoryDatagramSocket* pSocket = nullptr;
    std::unique_ptr<COrvixDoc> pDoc;
};

// Everything the data file holds, for comparing two registries.
using RegistryNode = std::tuple<int, std::string, std::string, uint32_t, std::string>;
struct SRegistrySnapshot {
    int nCurNet = -1;
    std::vector<std::string> vecIpAddr;
    std::vector<std::string> vecSearchTarget;
    std::vector<
        std::tuple<std::string, uint32_t, int, uint32_t, uint32_t, std::vector<RegistryNode>>>
        vecNets;
    bool operator==(const SRegistrySnapshot&) const = default;
};

inline SRegistrySnapshot SnapshotRegistry(const COrvixDoc& doc) {
    SRegistrySnapshot snap;
    snap.nCurNet = doc.m_nCurNet;
    for (const CIpSearchList& entry : doc.m_listIpAddr) {
        snap.vecIpAddr.push_back(entry.m_strIp);
    }
    for (const CIpSearchList& entry : doc.m_listSearchTarget) {
        snap.vecSearchTarget.push_back(entry.m_strIp);
    }
    for (const auto& pNet : doc.m_arrNets) {
        std::vector<RegistryNode> vecNodes;
        for (const COXParam& node : pNet->m_arrNodes) {
            vecNodes.emplace_back(node.m_nModel, node.m_strSerial, node.m_strMac, node.m_dwIp,
                                  node.m_strRemarks);
        }
        snap.vecNets.emplace_back(pNet->m_strName, pNet->m_dwBaseIp, pNet->m_nIpIncrement,
                                  pNet->m_dwSubnetMask, pNet->m_dwGateway, std::move(vecNodes));
    }
    return snap;
}
