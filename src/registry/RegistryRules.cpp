#include "registry/RegistryRules.h"

#include "link/NodeProtocol.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "registry/RegistryControls.h"
#include "res/Texts.h"

namespace {
uint32_t FirstOctet(uint32_t dwIp) {
    return dwIp >> 24;
}

// Unparsable text parses as 255.255.255.255, so it fails here too.
bool IsBadMask(uint32_t dwMask) {
    return dwMask == IP_NONE || FirstOctet(dwMask) == 0;
}

// No address of a host: broadcast, "this" network, loopback, or the subnet's
// own network address.
bool IsBadHostAddress(uint32_t dwIp, uint32_t dwMask) {
    uint32_t dwFirst = FirstOctet(dwIp);
    return dwIp == IP_NONE || dwFirst == 0 || dwFirst == 127 || dwFirst == 255 ||
           (dwIp & ~dwMask) == 0;
}

// What the node dialog takes as a node's address.
bool IsBadNodeIp(uint32_t dwIp) {
    uint32_t dwFirst = FirstOctet(dwIp);
    return dwIp == IP_NONE || dwFirst == 0 || dwFirst == 127 || dwFirst == 255;
}

// Any number of nodes may wait on the unset address.
bool ClashesOnAddress(const COXParam& node, uint32_t dwIp, int nModel) {
    return node.m_dwIp == dwIp && nModel == MODEL_INDEX_MRV620 && dwIp != NODE_UNSET_IP;
}

SCheck Fail(std::string strMessage, int nFocusId) {
    return SCheck{std::move(strMessage), nFocusId};
}

std::string FormatSubnetOverlap(const std::string& strNameCp932) {
    std::string strText = TXT_BASE_IP_SUBNET_FORMAT;
    size_t nAt = strText.find("%s");
    strText.replace(nAt, 2, Cp932ToUtf8Lossy(strNameCp932));
    return strText;
}
} // namespace

SCheck CheckNewNetwork(const std::string& strName, const std::string& strMask,
                       const std::string& strGateway,
                       const std::vector<std::unique_ptr<CNetProperty>>& arrNets, uint32_t& dwMask,
                       uint32_t& dwGateway) {
    if (strName.empty()) {
        return Fail(TXT_NET_NAME_EMPTY, 0); // the focus stays where it is
    }
    uint32_t dwParsedMask = ParseIpHost(strMask);
    if (IsBadMask(dwParsedMask)) {
        return Fail(TXT_NET_MASK_BAD, IDC_NET_MASK);
    }
    // Contiguity of the mask is deliberately not required.
    uint32_t dwParsedGateway = ParseIpHost(strGateway);
    if (IsBadHostAddress(dwParsedGateway, dwParsedMask)) {
        return Fail(TXT_NET_GATEWAY_BAD, IDC_NET_GATEWAY);
    }
    for (const auto& pNet : arrNets) {
        if (pNet->m_strName == strName) { // case matters: "Lab" and "LAB" are two networks
            return Fail(TXT_NET_NAME_DUPLICATE, IDC_NET_NAME);
        }
    }
    dwMask = dwParsedMask;
    dwGateway = dwParsedGateway;
    return SCheck::Pass();
}

SCheck CheckBaseIp(const std::string& strBaseIp,
                   const std::vector<std::unique_ptr<CNetProperty>>& arrNets, int nCurNet,
                   uint32_t& dwBaseIp) {
    bool bHasCurrent = nCurNet >= 0 && static_cast<size_t>(nCurNet) < arrNets.size();
    // Without a current network (the command is disabled then) a new network's mask applies.
    uint32_t dwMask = bHasCurrent ? arrNets[static_cast<size_t>(nCurNet)]->m_dwSubnetMask
                                  : CNetProperty{}.m_dwSubnetMask;
    uint32_t dwParsed = ParseIpHost(strBaseIp);
    if (IsBadHostAddress(dwParsed, dwMask)) {
        return Fail(TXT_BASE_IP_BAD, IDC_AUTO_BASE_IP);
    }
    if (dwParsed == NODE_UNSET_IP) {
        return Fail(TXT_BASE_IP_UNSET, IDC_AUTO_BASE_IP);
    }
    for (size_t k = 0; k < arrNets.size(); ++k) {
        if (bHasCurrent && k == static_cast<size_t>(nCurNet)) {
            continue;
        }
        // The other network's own mask and base IP: one never assigned still
        // holds the unset address and so occupies its subnet.
        const CNetProperty& net = *arrNets[k];
        if ((dwParsed & net.m_dwSubnetMask) == (net.m_dwBaseIp & net.m_dwSubnetMask)) {
            return Fail(FormatSubnetOverlap(net.m_strName), IDC_AUTO_BASE_IP);
        }
    }
    dwBaseIp = dwParsed;
    return SCheck::Pass();
}

SCheck CheckNewNode(const std::string& strMac, const std::string& strIp, int nModel,
                    const std::vector<COXParam>& arrNodes, uint32_t& dwIp) {
    // Only the length: the field itself keeps to upper-cased input.
    if (strMac.size() != static_cast<size_t>(NODE_MAC_LIMIT)) {
        return Fail(TXT_NODE_MAC_LENGTH, IDC_NODE_MAC);
    }
    uint32_t dwParsed = ParseIpHost(strIp);
    if (IsBadNodeIp(dwParsed)) {
        return Fail(TXT_NODE_IP_BAD, IDC_NODE_IP);
    }
    // The first node that clashes in either way decides the message.
    for (const COXParam& node : arrNodes) {
        if (Cp932EqualNoCase(node.m_strMac, strMac)) {
            return Fail(TXT_NODE_MAC_USED, IDC_NODE_MAC);
        }
        if (ClashesOnAddress(node, dwParsed, nModel)) {
            return Fail(TXT_NODE_IP_USED, IDC_NODE_IP);
        }
    }
    dwIp = dwParsed;
    return SCheck::Pass();
}

SCheck CheckNodeAddress(const std::string& strIp, int nModel, const std::vector<COXParam>& arrNodes,
                        size_t nSelf, uint32_t& dwIp) {
    uint32_t dwParsed = ParseIpHost(strIp);
    if (IsBadNodeIp(dwParsed)) {
        return Fail(TXT_NODE_IP_BAD, IDC_NODE_IP);
    }
    for (size_t i = 0; i < arrNodes.size(); ++i) {
        if (i != nSelf && ClashesOnAddress(arrNodes[i], dwParsed, nModel)) {
            return Fail(TXT_NODE_IP_USED, IDC_NODE_IP);
        }
    }
    dwIp = dwParsed;
    return SCheck::Pass();
}
