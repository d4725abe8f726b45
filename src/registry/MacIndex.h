#pragma once
#include "registry/NetProperty.h"

#include <cstdint>
#include <string>
#include <unordered_map>

// A MAC as node lookups compare it: single-byte letters folded, both bytes of
// a double-byte character kept (two MACs match exactly when their keys are equal).
std::string MacMatchKey(const std::string& strMac);

// The positions of one network's nodes by MAC, so that each of thousands of
// search replies finds its row without scanning the network. The index is
// tied to a registry revision and a node count: any change announced through
// the document's view update, or one that changes the count, makes it rebuild
// on the next lookup.
class CMacIndex {
public:
    // Position of the first node of net whose MAC matches strMac, or -1.
    int FindNode(const CNetProperty& net, uint32_t nRevision, const std::string& strMac);
    // Follows a change from nBefore to nAfter that either appended one node to
    // net or changed nodes without changing their MACs; anything else drops the index.
    void FollowChange(const CNetProperty& net, uint32_t nBefore, uint32_t nAfter);

private:
    bool IsBuiltFor(const CNetProperty& net, uint32_t nRevision, size_t nCount) const;
    void Rebuild(const CNetProperty& net, uint32_t nRevision);

    const CNetProperty* m_pNet = nullptr;
    uint32_t m_nRevision = 0;
    size_t m_nCount = 0;
    std::unordered_map<std::string, size_t> m_mapPosition;
};
