#pragma once
#include <cstdint>
#include <string>

// A node record. Texts are CP932 bytes.
class COXParam {
public:
    int32_t m_nModel = 0;
    std::string m_strSerial;
    std::string m_strMac; // 12 hex digits, no separators
    uint32_t m_dwIp = 0;  // host order
    std::string m_strRemarks;
};

// False only for a model-0 node still on the unset address 192.168.200.254:
// such a node can only be reached by broadcast.
bool HasAddress(const COXParam& node);
