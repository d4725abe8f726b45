#include "cli/CtlManifest.h"

#include "cli/CtlOutput.h"
#include "link/NodeResponse.h"
#include "ops/MotImage.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace {
std::string Say(const char* pszFormat, const std::string& str) {
    std::string strOut(str.size() + 256, '\0');
    int nLen = std::snprintf(strOut.data(), strOut.size(), pszFormat, str.c_str());
    strOut.resize(nLen > 0 ? static_cast<size_t>(nLen) : 0);
    return strOut;
}

std::string Say(const char* pszFormat, const std::string& strA, const std::string& strB) {
    std::string strOut(strA.size() + strB.size() + 256, '\0');
    int nLen = std::snprintf(strOut.data(), strOut.size(), pszFormat, strA.c_str(), strB.c_str());
    strOut.resize(nLen > 0 ? static_cast<size_t>(nLen) : 0);
    return strOut;
}

std::string Trim(const std::string& str) {
    size_t nFirst = str.find_first_not_of(" \t");
    if (nFirst == std::string::npos) {
        return {};
    }
    return str.substr(nFirst, str.find_last_not_of(" \t") - nFirst + 1);
}

struct SRecord {
    int nLine = 0;
    std::vector<std::string> vecFields;
};

// RFC 4180 records: fields split at commas, quoted fields with "" for a
// quote, records ended by CR LF or LF outside quotes. Unquoted fields lose
// their surrounding blanks. False when a quoted field runs to the end.
bool SplitRecords(const std::string& strText, std::vector<SRecord>& vecRecords) {
    SRecord record;
    std::string strField;
    bool bQuoted = false;    // inside quotes
    bool bWasQuoted = false; // the field had quotes: kept as it is
    int nLine = 1;
    record.nLine = 1;
    auto EndField = [&] {
        record.vecFields.push_back(bWasQuoted ? strField : Trim(strField));
        strField.clear();
        bWasQuoted = false;
    };
    auto EndRecord = [&] {
        EndField();
        vecRecords.push_back(std::move(record));
        record = SRecord();
        record.nLine = nLine;
    };
    for (size_t i = 0; i < strText.size(); ++i) {
        char c = strText[i];
        if (bQuoted) {
            if (c == '"' && i + 1 < strText.size() && strText[i + 1] == '"') {
                strField += '"';
                ++i;
            } else if (c == '"') {
                bQuoted = false;
            } else {
                if (c == '\n') {
                    ++nLine;
                }
                strField += c;
            }
            continue;
        }
        if (c == '"' && Trim(strField).empty()) {
            strField.clear();
            bQuoted = true;
            bWasQuoted = true;
        } else if (c == ',') {
            EndField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n') {
                ++i;
            }
            ++nLine;
            EndRecord();
        } else {
            strField += c;
        }
    }
    if (bQuoted) {
        return false;
    }
    if (!strField.empty() || !record.vecFields.empty() || bWasQuoted) {
        EndRecord();
    }
    return true;
}

// A node's MAC: 12 hex digits, optionally in pairs separated by ':' or '-';
// neither zero nor a group address. Upper-case digits; empty when none.
std::string NodeMac(const std::string& strText) {
    std::string strMac;
    for (char c : strText) {
        if (c != ':' && c != '-') {
            strMac += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    if (strMac.size() != 12 || strMac.find_first_not_of("0123456789ABCDEF") != std::string::npos ||
        strMac == "000000000000" || (std::stoi(strMac.substr(0, 2), nullptr, 16) & 1) != 0) {
        return {};
    }
    return strMac;
}

std::string WithDir(const std::string& strName, const std::string& strDir) {
    return strName.empty() || strName.front() == '/' ? strName : strDir + strName;
}

constexpr const char* COLUMNS[] = {"mac", "ip", "serial", "remarks", "params", "image"};
} // namespace

bool ManifestTextToUtf8(const std::string& strRaw, std::string& strUtf8) {
    std::string str = strRaw;
    if (str.rfind("\xEF\xBB\xBF", 0) == 0) {
        str.erase(0, 3);
    }
    if (IsUtf8(str)) {
        strUtf8 = std::move(str);
        return true;
    }
    return Cp932ToUtf8(str, strUtf8);
}

SManifest ParseManifest(const std::string& strUtf8, const std::string& strDir) {
    SManifest manifest;
    auto Problem = [&](int nLine, std::string strText) {
        manifest.vecProblems.push_back({nLine, std::move(strText)});
    };
    std::vector<SRecord> vecRecords;
    if (!SplitRecords(strUtf8, vecRecords)) {
        Problem(0, TXT_MANIFEST_OPEN_QUOTE);
    }
    // Rows with nothing in them (blank lines, a spreadsheet's empty rows) are no nodes.
    std::erase_if(vecRecords, [](const SRecord& record) {
        return std::all_of(record.vecFields.begin(), record.vecFields.end(),
                           [](const std::string& str) { return str.empty(); });
    });
    if (vecRecords.empty()) {
        Problem(0, TXT_MANIFEST_EMPTY);
        return manifest;
    }
    // The header: which column holds what.
    const SRecord& header = vecRecords.front();
    std::map<std::string, size_t> mapColumn;
    for (size_t i = 0; i < header.vecFields.size(); ++i) {
        std::string strName = header.vecFields[i];
        std::transform(strName.begin(), strName.end(), strName.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (std::find(std::begin(COLUMNS), std::end(COLUMNS), strName) == std::end(COLUMNS)) {
            Problem(header.nLine, Say(TXT_MANIFEST_UNKNOWN_COLUMN, header.vecFields[i]));
        } else if (!mapColumn.try_emplace(strName, i).second) {
            Problem(header.nLine, Say(TXT_MANIFEST_DOUBLE_COLUMN, strName));
        }
    }
    for (const char* pszNeeded : {"mac", "ip"}) {
        if (mapColumn.count(pszNeeded) == 0) {
            Problem(header.nLine, Say(TXT_MANIFEST_MISSING_COLUMN, pszNeeded));
        }
    }
    if (!manifest.vecProblems.empty()) {
        return manifest;
    }
    manifest.bSerialColumn = mapColumn.count("serial") != 0;
    manifest.bRemarksColumn = mapColumn.count("remarks") != 0;
    for (size_t nRecord = 1; nRecord < vecRecords.size(); ++nRecord) {
        const SRecord& record = vecRecords[nRecord];
        if (record.vecFields.size() != header.vecFields.size()) {
            char sz[128];
            std::snprintf(sz, sizeof sz, TXT_MANIFEST_FIELD_COUNT,
                          static_cast<int>(record.vecFields.size()),
                          static_cast<int>(header.vecFields.size()));
            Problem(record.nLine, sz);
            continue;
        }
        auto Field = [&](const char* pszName) {
            auto it = mapColumn.find(pszName);
            return it == mapColumn.end() ? std::string() : record.vecFields[it->second];
        };
        SManifestLine line;
        line.nLine = record.nLine;
        line.strMacText = Field("mac");
        line.strIpText = Field("ip");
        line.strSerial = Field("serial");
        line.strRemarks = Field("remarks");
        line.strParams = Field("params");
        line.strImage = Field("image");
        line.strParamsPath = WithDir(line.strParams, strDir);
        line.strImagePath = WithDir(line.strImage, strDir);
        line.strMac = NodeMac(line.strMacText);
        if (line.strMac.empty()) {
            Problem(line.nLine, Say(TXT_MANIFEST_BAD_MAC, line.strMacText));
        }
        uint32_t dwIp = 0;
        if (!ParseDottedStrict(line.strIpText, dwIp) ||
            line.strIpText.find_first_not_of("0123456789.") != std::string::npos) {
            Problem(line.nLine, Say(TXT_MANIFEST_BAD_IP, line.strIpText));
        } else {
            line.dwIp = dwIp;
        }
        std::string strCp932;
        if (!Utf8ToCp932(line.strSerial, strCp932)) {
            Problem(line.nLine, Say(TXT_MANIFEST_BAD_TEXT, "serial"));
        }
        if (!Utf8ToCp932(line.strRemarks, strCp932)) {
            Problem(line.nLine, Say(TXT_MANIFEST_BAD_TEXT, "remarks"));
        }
        manifest.vecLines.push_back(std::move(line));
    }
    if (manifest.vecLines.empty() && manifest.vecProblems.empty()) {
        Problem(0, TXT_MANIFEST_NO_NODES);
    }
    return manifest;
}

void CheckManifest(SManifest& manifest, const SPlantFacts& facts) {
    auto Problem = [&](int nLine, std::string strText) {
        manifest.vecProblems.push_back({nLine, std::move(strText)});
    };
    std::map<std::string, int> mapMacLine;
    std::map<uint32_t, int> mapIpLine;
    for (const SManifestLine& line : manifest.vecLines) {
        if (!line.strMac.empty()) {
            mapMacLine.try_emplace(line.strMac, line.nLine);
        }
    }
    const uint32_t dwHostMask = ~facts.dwMask;
    const uint32_t dwSubnet = facts.dwGateway & facts.dwMask;
    for (const SManifestLine& line : manifest.vecLines) {
        if (!line.strMac.empty() && mapMacLine[line.strMac] != line.nLine) {
            char sz[160];
            std::snprintf(sz, sizeof sz, TXT_MANIFEST_DOUBLE_MAC, line.strMac.c_str(),
                          mapMacLine[line.strMac]);
            Problem(line.nLine, sz);
        }
        NODEPARAM param{};
        uint32_t dwDest = facts.dwDefaultDest;
        if (!line.strParams.empty()) {
            std::string strWhy;
            if (!facts.fnLoadParams || !facts.fnLoadParams(line.strParamsPath, param, strWhy)) {
                Problem(line.nLine, strWhy);
            } else {
                dwDest = param.dwDestIp;
            }
        }
        if (!line.strImage.empty()) {
            std::string strWhy;
            if (facts.fnCheckImage && !facts.fnCheckImage(line.strImagePath, strWhy)) {
                Problem(line.nLine, Say(TXT_MANIFEST_BAD_IMAGE, line.strImage, strWhy));
            }
        }
        if (line.dwIp == 0) {
            continue; // its form was refused already
        }
        const uint32_t dwIp = line.dwIp;
        const std::string strIp = FormatIpHost(dwIp);
        auto [itIp, bNewIp] = mapIpLine.try_emplace(dwIp, line.nLine);
        if (!bNewIp) {
            char sz[160];
            std::snprintf(sz, sizeof sz, TXT_MANIFEST_DOUBLE_IP, strIp.c_str(), itIp->second);
            Problem(line.nLine, sz);
        }
        const uint32_t dwFirst = dwIp >> 24;
        if (dwFirst == 0 || dwFirst == 127 || dwFirst >= 224) {
            Problem(line.nLine, Say(TXT_MANIFEST_UNUSABLE_IP, strIp));
            continue;
        }
        if (dwIp == NODE_UNSET_IP) {
            Problem(line.nLine, Say(TXT_MANIFEST_UNSET_IP, strIp));
            continue;
        }
        if ((dwIp & facts.dwMask) != dwSubnet) {
            std::string strOut(256, '\0');
            int nLen =
                std::snprintf(strOut.data(), strOut.size(), TXT_MANIFEST_OUTSIDE, strIp.c_str(),
                              FormatIpHost(dwSubnet).c_str(), FormatIpHost(facts.dwMask).c_str());
            strOut.resize(static_cast<size_t>(std::max(nLen, 0)));
            Problem(line.nLine, strOut);
        } else if ((dwIp & dwHostMask) == 0 || (dwIp & dwHostMask) == dwHostMask) {
            Problem(line.nLine, Say(TXT_MANIFEST_HOST_PART, strIp));
        }
        if (facts.fnPcAddresses) {
            std::vector<uint32_t> vecPc = facts.fnPcAddresses(dwIp);
            if (std::find(vecPc.begin(), vecPc.end(), dwIp) != vecPc.end()) {
                Problem(line.nLine, Say(TXT_MANIFEST_PC, strIp));
            }
        }
        if (dwIp == dwDest) {
            Problem(line.nLine, Say(TXT_MANIFEST_DEST, strIp));
        }
        if (dwIp == facts.dwGateway) {
            Problem(line.nLine, Say(TXT_MANIFEST_GATEWAY, strIp));
        }
        for (const COXParam& node : facts.vecRegistered) {
            std::string strMac = NodeMac(node.m_strMac);
            if (HasAddress(node) && node.m_dwIp == dwIp && mapMacLine.count(strMac) == 0) {
                Problem(line.nLine, Say(TXT_MANIFEST_REGISTERED, strIp, node.m_strMac));
                break;
            }
        }
    }
    std::stable_sort(
        manifest.vecProblems.begin(), manifest.vecProblems.end(),
        [](const SManifestProblem& a, const SManifestProblem& b) { return a.nLine < b.nLine; });
}

namespace {
bool SameName(const std::string& strA, const std::string& strB) {
    return !strA.empty() && strA.size() == strB.size() &&
           std::equal(strA.begin(), strA.end(), strB.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) ==
                      std::toupper(static_cast<unsigned char>(b));
           });
}
} // namespace

bool IsImageListed(const std::string& strPath,
                   const std::vector<std::pair<std::string, std::string>>& vecApps) {
    const SImageIdentity image = ReadImageIdentity(strPath);
    const std::string strFileName = strPath.substr(strPath.find_last_of('/') + 1);
    const std::string strStem = strFileName.substr(0, strFileName.rfind('.'));
    const std::string strVersion =
        image.IsKnown() ? VersionText(image.nMajor, image.nMinor) : std::string();
    return std::any_of(vecApps.begin(), vecApps.end(), [&](const auto& app) {
        bool bName = SameName(app.first, image.strName) || SameName(app.first, strFileName) ||
                     SameName(app.first, strStem);
        return bName && (strVersion.empty() || app.second == strVersion);
    });
}
