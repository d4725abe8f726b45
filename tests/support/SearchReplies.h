#pragma once
// Search replies of numbered test nodes: MAC 0080C8 followed by the node's
// number in three bytes, model code 0x95, result 0.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::vector<uint8_t> SearchReply(uint32_t nNode) {
    const auto byHigh = uint8_t(nNode >> 16), byMid = uint8_t(nNode >> 8), byLow = uint8_t(nNode);
    return {0x76, 0x01, 0x02, 0x01, 0x00, 0x80, 0xC8, byHigh, byMid, byLow, 0x95, 0x00, 0x00};
}

inline std::string NodeMac(uint32_t nNode) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0080C8%06X", nNode);
    return sz;
}
