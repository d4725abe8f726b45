#include "doc/OrvixDoc.h"

#include "link/NodeProtocol.h"
#include "platform/Cp932.h"
#include "platform/FtpSession.h"
#include "platform/MessagePump.h"
#include "platform/StopRequest.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <unordered_map>

COrvixDoc::COrvixDoc(const SDocEnv& env, std::unique_ptr<CDatagramSocket> pSocket)
    : m_env(env), m_timers(env.clock), m_exchanges(m_timers) {
    if (!m_env.strDataPath.empty() && DocumentFileExists(m_env.strDataPath)) {
        LoadDocument();
    }
    m_pSocket = std::make_unique<CNodeSocket>([this] { OnReceiveDatagram(); }, std::move(pSocket));
    if (!m_pSocket->Create(NODE_LOCAL_PORT)) {
        m_env.ui.ShowMessage(TXT_PORT_IN_USE);
    }
    // Refused or not, the program runs on.
    m_pSocket->SetBroadcast();
    if (m_pSocket->IsCreated()) {
        m_env.pump.Watch(m_pSocket->GetDescriptor(), [this] { m_pSocket->OnReceive(); });
    }
}

COrvixDoc::~COrvixDoc() {
    if (!m_env.strDataPath.empty() && m_bSaveOnClose) {
        SaveDocument();
    }
    if (m_pSocket->IsCreated()) {
        m_env.pump.Unwatch(m_pSocket->GetDescriptor());
    }
    m_pSocket->Close();
}

bool COrvixDoc::IsStopRequested() const {
    return m_env.pStop != nullptr && m_env.pStop->IsRequested();
}

int COrvixDoc::GetStopReason() const {
    return m_env.pStop != nullptr ? m_env.pStop->GetReason() : 0;
}

CNetProperty* COrvixDoc::CurrentNetwork() {
    return (m_nCurNet >= 0 && m_nCurNet < GetNetCount()) ? m_arrNets[m_nCurNet].get() : nullptr;
}

void COrvixDoc::UpdateAllViews() {
    ++m_nRegistryRevision;
    for (size_t i = 0; i < m_arrNets.size(); ++i) {
        m_arrNets[i]->m_nMenuId = NET_MENU_ID_BASE + static_cast<uint32_t>(i);
    }
    m_pCurNet = CurrentNetwork();
    if (m_nViewHold > 0) {
        m_bViewUpdateMissed = true;
        return;
    }
    m_env.ui.UpdateAllViews();
}

void COrvixDoc::HoldViewUpdates() {
    ++m_nViewHold;
}

void COrvixDoc::ReleaseViewUpdates() {
    if (m_nViewHold > 0 && --m_nViewHold == 0 && m_bViewUpdateMissed) {
        m_bViewUpdateMissed = false;
        m_env.ui.UpdateAllViews();
    }
}

void COrvixDoc::AddNetwork(const std::string& strName, uint32_t dwMask, uint32_t dwGateway) {
    auto pNet = std::make_unique<CNetProperty>();
    pNet->m_strName = strName;
    pNet->m_dwSubnetMask = dwMask;
    pNet->m_dwGateway = dwGateway;
    m_arrNets.push_back(std::move(pNet));
    m_nCurNet = static_cast<int16_t>(GetNetCount() - 1);
    UpdateAllViews();
}

void COrvixDoc::DeleteCurrentNetwork() {
    if (m_nCurNet < 0 || m_nCurNet >= GetNetCount()) {
        return;
    }
    m_arrNets.erase(m_arrNets.begin() + m_nCurNet);
    m_nCurNet = m_arrNets.empty() ? -1 : 0;
    UpdateAllViews();
}

void COrvixDoc::SelectNetwork(uint32_t nCommandId) {
    for (size_t i = 0; i < m_arrNets.size(); ++i) {
        if (m_arrNets[i]->m_nMenuId == nCommandId) {
            m_nCurNet = static_cast<int16_t>(i);
            break;
        }
    }
    UpdateAllViews();
}

COXParam* COrvixDoc::GetNode(int nIndex) {
    m_pCurNet = CurrentNetwork();
    if (m_pCurNet == nullptr || nIndex < 0 ||
        static_cast<size_t>(nIndex) >= m_pCurNet->m_arrNodes.size()) {
        return nullptr;
    }
    return &m_pCurNet->m_arrNodes[static_cast<size_t>(nIndex)];
}

bool COrvixDoc::AddOrUpdateNode(int nModel, uint32_t dwIp, const std::string& strMac,
                                bool bWithDetails, const std::string& strSerial,
                                const std::string& strRemarks) {
    CNetProperty* pNet = CurrentNetwork();
    if (pNet == nullptr) {
        return false;
    }
    bool bStored = true;
    uint32_t nBefore = m_nRegistryRevision;
    int nMatch = m_macIndex.FindNode(*pNet, nBefore, strMac);
    COXParam* pMatch = nMatch >= 0 ? &pNet->m_arrNodes[static_cast<size_t>(nMatch)] : nullptr;
    if (pMatch != nullptr) {
        pMatch->m_nModel = nModel;
        pMatch->m_dwIp = dwIp;
        pMatch->m_strMac = strMac;
    } else if (pNet->m_arrNodes.size() < NET_MAX_NODES) {
        COXParam node;
        node.m_nModel = nModel;
        node.m_dwIp = dwIp;
        node.m_strMac = strMac;
        if (bWithDetails) {
            node.m_strSerial = strSerial;
            node.m_strRemarks = strRemarks;
        }
        pNet->m_arrNodes.push_back(std::move(node));
    } else {
        bStored = false; // the list has one row per node and no room for a 1025th
    }
    UpdateAllViews();
    m_macIndex.FollowChange(*pNet, nBefore, m_nRegistryRevision);
    return bStored;
}

void COrvixDoc::DeleteNode(int nIndex) {
    if (GetNode(nIndex) == nullptr) {
        return;
    }
    m_pCurNet->m_arrNodes.erase(m_pCurNet->m_arrNodes.begin() + nIndex);
    UpdateAllViews();
}

void COrvixDoc::UpdateNodeDetails(int nIndex, const std::string& strSerial,
                                  const std::string& strRemarks) {
    COXParam* pNode = GetNode(nIndex);
    if (pNode == nullptr) {
        return;
    }
    pNode->m_strSerial = strSerial;
    pNode->m_strRemarks = strRemarks;
    UpdateAllViews();
}

void COrvixDoc::SetAssignmentBase(uint32_t dwBaseIp, int nIncrement) {
    CNetProperty* pNet = CurrentNetwork();
    if (pNet == nullptr) {
        return;
    }
    CNetProperty& net = *pNet;
    net.m_dwBaseIp = dwBaseIp;
    net.m_nIpIncrement = static_cast<uint8_t>(nIncrement & 0xFF);
    UpdateAllViews();
}

void COrvixDoc::ClearCurrentNodes() {
    CNetProperty* pNet = CurrentNetwork();
    if (pNet == nullptr) {
        return;
    }
    pNet->m_arrNodes.clear();
    UpdateAllViews();
}

void COrvixDoc::ReplaceCurrentNodes(const std::vector<COXParam>& vecNodes) {
    CNetProperty* pNet = CurrentNetwork();
    if (pNet == nullptr) {
        return;
    }
    std::vector<COXParam> arrNodes;
    arrNodes.reserve(vecNodes.size() < NET_MAX_NODES ? vecNodes.size() : NET_MAX_NODES);
    std::unordered_map<std::string, size_t> mapByMac;
    for (const COXParam& node : vecNodes) {
        auto [it, bNew] = mapByMac.try_emplace(MacMatchKey(node.m_strMac), arrNodes.size());
        if (!bNew) {
            COXParam& match = arrNodes[it->second];
            match.m_nModel = node.m_nModel;
            match.m_dwIp = node.m_dwIp;
            match.m_strMac = node.m_strMac;
        } else if (arrNodes.size() < NET_MAX_NODES) {
            arrNodes.push_back(node);
        } else {
            mapByMac.erase(it);
        }
    }
    pNet->m_arrNodes = std::move(arrNodes);
    UpdateAllViews();
}
