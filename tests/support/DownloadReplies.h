#pragma once
// What a node played on the in-memory socket sends during a download, byte
// for byte, and the listing line of an installed application.
#include "MemoryDatagramSocket.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The request code of a datagram the manager sent.
inline uint16_t RequestCode(const CMemoryDatagramSocket::SDatagram& dg) {
    return static_cast<uint16_t>((dg.vecData[2] << 8) | dg.vecData[3]);
}

// A reply of nLen bytes: the header with the result code, zeros after it.
inline std::vector<uint8_t> DownloadReply(uint16_t wCode, uint8_t byResult, size_t nLen) {
    std::vector<uint8_t> vec(nLen, 0);
    std::vector<uint8_t> head = {0x76,           0x01, uint8_t(wCode >> 8),
                                 uint8_t(wCode), 0x00, 0x80,
                                 0xC8,           0x00, 0x00,
                                 0x01,           0x95, 0x00,
                                 byResult};
    std::copy(head.begin(), head.end(), vec.begin());
    return vec;
}

// The get-parameters reply with the node's FTP account.
inline std::vector<uint8_t> AccountReply(const std::string& strUser,
                                         const std::string& strPassword) {
    std::vector<uint8_t> vec = DownloadReply(0x0203, 0, 730);
    std::copy(strUser.begin(), strUser.end(), vec.begin() + 36);
    std::copy(strPassword.begin(), strPassword.end(), vec.begin() + 52);
    return vec;
}

// A listing line of an installed application ("V1.02 APP.mot").
inline std::string AppLine(const std::string& strEntry, size_t nSize) {
    return "-rwxr-xr-x   1 user     user     " + std::to_string(nSize) + " Jan  1 00:00 " +
           strEntry + "\n";
}
