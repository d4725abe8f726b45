#include "registry/MacIndex.h"

#include "platform/Cp932.h"

std::string MacMatchKey(const std::string& strMac) {
    std::string strKey = strMac;
    for (size_t i = 0; i < strKey.size(); ++i) {
        auto by = static_cast<unsigned char>(strKey[i]);
        if (IsCp932LeadByte(by) && i + 1 < strKey.size()) {
            ++i;
        } else if (by >= 'a' && by <= 'z') {
            strKey[i] = static_cast<char>(by - 'a' + 'A');
        }
    }
    return strKey;
}

int CMacIndex::FindNode(const CNetProperty& net, uint32_t nRevision, const std::string& strMac) {
    if (!IsBuiltFor(net, nRevision, net.m_arrNodes.size())) {
        Rebuild(net, nRevision);
    }
    std::string strKey = MacMatchKey(strMac);
    auto it = m_mapPosition.find(strKey);
    if (it == m_mapPosition.end()) {
        return -1;
    }
    if (!Cp932EqualNoCase(net.m_arrNodes[it->second].m_strMac, strMac)) {
        // A MAC was edited in place without a registry change: read the nodes again.
        Rebuild(net, nRevision);
        it = m_mapPosition.find(strKey);
        if (it == m_mapPosition.end()) {
            return -1;
        }
    }
    return static_cast<int>(it->second);
}

void CMacIndex::FollowChange(const CNetProperty& net, uint32_t nBefore, uint32_t nAfter) {
    size_t nCount = net.m_arrNodes.size();
    if (!IsBuiltFor(net, nBefore, m_nCount) || (nCount != m_nCount && nCount != m_nCount + 1)) {
        m_pNet = nullptr;
        return;
    }
    if (nCount == m_nCount + 1) {
        m_mapPosition.try_emplace(MacMatchKey(net.m_arrNodes.back().m_strMac), nCount - 1);
        m_nCount = nCount;
    }
    m_nRevision = nAfter;
}

bool CMacIndex::IsBuiltFor(const CNetProperty& net, uint32_t nRevision, size_t nCount) const {
    return m_pNet == &net && m_nRevision == nRevision && m_nCount == nCount &&
           net.m_arrNodes.size() >= nCount;
}

void CMacIndex::Rebuild(const CNetProperty& net, uint32_t nRevision) {
    m_mapPosition.clear();
    m_mapPosition.reserve(net.m_arrNodes.size());
    for (size_t i = 0; i < net.m_arrNodes.size(); ++i) {
        // The first node with a MAC wins, as a scan from the top would find it.
        m_mapPosition.try_emplace(MacMatchKey(net.m_arrNodes[i].m_strMac), i);
    }
    m_pNet = &net;
    m_nRevision = nRevision;
    m_nCount = net.m_arrNodes.size();
}
