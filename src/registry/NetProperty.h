#pragma once
#include "params/NodeParam.h"
#include "registry/OXParam.h"

#include <cstdint>
#include <string>
#include <vector>

// A network record with its nodes in registration order.
class CNetProperty {
public:
    std::string m_strName;
    uint32_t m_dwBaseIp = NODE_UNSET_IP;
    uint8_t m_nIpIncrement = 1;
    uint32_t m_dwSubnetMask = 0xFFFFFF00u;
    uint32_t m_dwGateway = 0x02020202u;
    std::vector<COXParam> m_arrNodes;
    uint32_t m_nMenuId = 0; // command id of this network's menu entry; not stored

    // The node count is the array's size; the file stores it as a signed WORD.
    int16_t GetNodeCount() const { return static_cast<int16_t>(m_arrNodes.size()); }
};

inline constexpr size_t NET_MAX_NODES = 1024;
inline constexpr uint32_t NET_MENU_ID_BASE = 12345;
