#include "SimConfig.h"
#include "SimText.h"

#include "SimParamFields.h"

#include <set>

namespace {
bool HasMac(const SimNodeList& nodes, const SimMac& mac) {
    for (const auto& pNode : nodes) {
        if (pNode->m_mac == mac) {
            return true;
        }
    }
    return false;
}
} // namespace

bool SimSplitSettings(const std::string& strText,
                      std::vector<std::pair<std::string, std::string>>& vec,
                      std::string& strError) {
    size_t i = 0;
    while (i < strText.size()) {
        while (i < strText.size() && (strText[i] == ' ' || strText[i] == '\t')) {
            ++i;
        }
        if (i >= strText.size() || strText[i] == '#') {
            break;
        }
        size_t nStart = i;
        while (i < strText.size() && strText[i] != '=' && strText[i] != ' ' && strText[i] != '\t') {
            ++i;
        }
        if (i >= strText.size() || strText[i] != '=' || i == nStart) {
            strError = "expected KEY=VALUE at \"" + strText.substr(nStart) + "\"";
            return false;
        }
        std::string strKey = strText.substr(nStart, i - nStart);
        ++i;
        std::string strValue;
        if (i < strText.size() && strText[i] == '"') {
            std::string strUnused;
            size_t nUsed = SimReadQuoted(strText, i, strUnused);
            if (nUsed == 0) {
                strError = "unterminated quote in " + strKey;
                return false;
            }
            strValue = strText.substr(i, nUsed);
            i += nUsed;
        } else {
            size_t nValueStart = i;
            while (i < strText.size() && strText[i] != ' ' && strText[i] != '\t') {
                ++i;
            }
            strValue = strText.substr(nValueStart, i - nValueStart);
        }
        vec.emplace_back(strKey, strValue);
    }
    return true;
}

bool SimLoadConfig(const std::string& strText, SimNodeList& nodes, std::string& strError) {
    std::vector<std::pair<std::string, std::string>> vecDefaults;
    size_t nLineNo = 0;
    for (const std::string& strLine : SimSplitLines(strText)) {
        ++nLineNo;
        size_t nFirst = strLine.find_first_not_of(" \t");
        if (nFirst == std::string::npos || strLine[nFirst] == '#') {
            continue;
        }
        size_t nWordEnd = strLine.find_first_of(" \t", nFirst);
        std::string strWord = strLine.substr(nFirst, nWordEnd - nFirst);
        std::vector<std::pair<std::string, std::string>> vecSettings;
        std::string strWhy;
        if (!SimSplitSettings(nWordEnd == std::string::npos ? "" : strLine.substr(nWordEnd),
                              vecSettings, strWhy)) {
            strError = "line " + std::to_string(nLineNo) + ": " + strWhy;
            return false;
        }
        if (strWord == "defaults") {
            for (const auto& setting : vecSettings) {
                if (setting.first == "mac" || setting.first == "ip") {
                    strError = "line " + std::to_string(nLineNo) + ": " + setting.first +
                               " belongs to a node";
                    return false;
                }
                vecDefaults.push_back(setting);
            }
            continue;
        }
        if (strWord != "node") {
            strError = "line " + std::to_string(nLineNo) + ": unknown statement " + strWord;
            return false;
        }
        SimMac mac{};
        bool bHaveMac = false;
        for (const auto& [strKey, strValue] : vecSettings) {
            if (strKey == "mac") {
                bHaveMac = SimTextToMac(strValue, mac);
            }
        }
        if (!bHaveMac) {
            strError = "line " + std::to_string(nLineNo) + ": a node needs mac=12 hex digits";
            return false;
        }
        if (HasMac(nodes, mac)) {
            strError =
                "line " + std::to_string(nLineNo) + ": MAC " + SimMacToText(mac) + " given twice";
            return false;
        }
        auto pNode = std::make_unique<CSimNode>(mac);
        for (const auto* pList : {&vecDefaults, &vecSettings}) {
            for (const auto& [strKey, strValue] : *pList) {
                if (strKey != "mac" && !pNode->Set(strKey, strValue, strWhy)) {
                    strError = "line " + std::to_string(nLineNo) + ": " + strWhy;
                    return false;
                }
            }
        }
        nodes.push_back(std::move(pNode));
    }
    return true;
}

bool SimGenerateNodes(size_t nCount, size_t nUnaddressed, uint32_t dwFirstIp,
                      const SimMac& macFirst, SimNodeList& nodes, std::string& strError) {
    if (nUnaddressed > nCount) {
        strError = "more unaddressed nodes than nodes";
        return false;
    }
    uint64_t nMac = 0;
    for (uint8_t by : macFirst) {
        nMac = (nMac << 8) | by;
    }
    uint32_t dwIp = dwFirstIp;
    for (size_t i = 0; i < nCount; ++i, ++nMac) {
        SimMac mac{};
        for (int j = 0; j < 6; ++j) {
            mac[size_t(j)] = uint8_t(nMac >> (8 * (5 - j)));
        }
        if (HasMac(nodes, mac)) {
            strError = "generated MAC " + SimMacToText(mac) + " is taken";
            return false;
        }
        auto pNode = std::make_unique<CSimNode>(mac);
        if (i < nCount - nUnaddressed) {
            while ((dwIp & 0xFF) == 0 || (dwIp & 0xFF) == 0xFF || dwIp == NODE_UNSET_IP) {
                ++dwIp;
            }
            pNode->m_param.dwOwnIp = dwIp++;
        }
        nodes.push_back(std::move(pNode));
    }
    return true;
}
