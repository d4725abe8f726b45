#include "NodeResponder.h"

#include <cstdio>

namespace {
std::string MacText(const uint8_t* p) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%02X%02X%02X%02X%02X%02X", p[0], p[1], p[2], p[3], p[4], p[5]);
    return sz;
}

uint8_t HexByte(const std::string& str, size_t nAt) {
    return static_cast<uint8_t>(std::stoi(str.substr(nAt, 2), nullptr, 16));
}
} // namespace

CNodeResponder::CNodeResponder(CMemoryDatagramSocket& socket) : m_socket(socket) {
    m_socket.SetSendHook([this](const CMemoryDatagramSocket::SDatagram& dg) { Answer(dg); });
}

CNodeResponder::Bytes CNodeResponder::Reply(uint16_t wCode, const std::string& strMac,
                                            uint8_t byMode, uint8_t byResult) {
    Bytes vec = {0x76, 0x01, static_cast<uint8_t>(wCode >> 8), static_cast<uint8_t>(wCode & 0xFF)};
    for (size_t i = 0; i < 12; i += 2) {
        vec.push_back(HexByte(strMac, i));
    }
    vec.insert(vec.end(), {0x95, byMode, byResult});
    return vec;
}

std::vector<std::string> CNodeResponder::RequestMacs() const {
    std::vector<std::string> vec;
    for (const std::string& str : m_vecLog) {
        vec.push_back(str.substr(5));
    }
    return vec;
}

void CNodeResponder::Answer(const CMemoryDatagramSocket::SDatagram& dg) {
    if (dg.vecData.size() < 11 || dg.vecData[0] != 0x76 || dg.vecData[1] != 0x01) {
        return;
    }
    uint16_t wCode = static_cast<uint16_t>(dg.vecData[2] << 8 | dg.vecData[3]);
    std::string strMac = MacText(dg.vecData.data() + 4);
    char szLog[32];
    std::snprintf(szLog, sizeof szLog, "%04X %s", wCode, strMac.c_str());
    m_vecLog.push_back(szLog);
    if (m_fnOnRequest) {
        m_fnOnRequest(dg);
    }
    auto it = m_mapResult.find(strMac);
    int nResult = it == m_mapResult.end() ? 0 : it->second;
    if (nResult == SILENT || (wCode & 0xFF00) != 0x0100) {
        return;
    }
    if (m_fnDrop && m_fnDrop(strMac, wCode, dg.vecData.size() > 11 ? dg.vecData[11] : 0)) {
        return;
    }
    uint16_t wReply = static_cast<uint16_t>(0x0200 | (wCode & 0xFF));
    Bytes vec = Reply(wReply, strMac, 0x00, static_cast<uint8_t>(nResult));
    if (wReply == 0x0203) {
        Bytes vecBlock = m_mapBlock.count(strMac) ? m_mapBlock[strMac] : Bytes(717, 0);
        vec.insert(vec.end(), vecBlock.begin(), vecBlock.end());
    }
    if (wReply == 0x0208) {
        Bytes vecTable = m_mapVersion.count(strMac) ? m_mapVersion[strMac] : Bytes(219, 0);
        vec.insert(vec.end(), vecTable.begin(), vecTable.end());
    }
    m_socket.Inject(vec, "192.168.1.200", 65533);
}
