#include "cli/CtlOutput.h"

#include <algorithm>
#include <cstdio>

CJson CJson::Str(std::string str) {
    CJson json(EKind::String);
    json.m_strValue = std::move(str);
    return json;
}

CJson CJson::Int(int64_t n) {
    CJson json(EKind::Int);
    json.m_nValue = n;
    return json;
}

CJson CJson::Bool(bool b) {
    CJson json(EKind::Bool);
    json.m_bValue = b;
    return json;
}

CJson& CJson::Set(const std::string& strKey, CJson value) {
    (*this)[strKey] = std::move(value);
    return *this;
}

CJson& CJson::Push(CJson value) {
    m_eKind = EKind::Array;
    m_vecItems.push_back(std::move(value));
    return m_vecItems.back();
}

CJson& CJson::operator[](const std::string& strKey) {
    m_eKind = EKind::Object;
    for (auto& [strName, value] : m_vecMembers) {
        if (strName == strKey) {
            return value;
        }
    }
    m_vecMembers.emplace_back(strKey, CJson());
    return m_vecMembers.back().second;
}

std::string JsonEscape(const std::string& str) {
    std::string strOut;
    for (char c : str) {
        auto by = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            strOut += "\\\"";
            break;
        case '\\':
            strOut += "\\\\";
            break;
        case '\n':
            strOut += "\\n";
            break;
        case '\r':
            strOut += "\\r";
            break;
        case '\t':
            strOut += "\\t";
            break;
        default:
            if (by < 0x20 || by == 0x7F) {
                char sz[8];
                std::snprintf(sz, sizeof sz, "\\u%04x", by);
                strOut += sz;
            } else {
                strOut += c;
            }
        }
    }
    return strOut;
}

void CJson::DumpTo(std::string& strOut) const {
    switch (m_eKind) {
    case EKind::Null:
        strOut += "null";
        break;
    case EKind::Bool:
        strOut += m_bValue ? "true" : "false";
        break;
    case EKind::Int:
        strOut += std::to_string(m_nValue);
        break;
    case EKind::String:
        strOut += '"' + JsonEscape(m_strValue) + '"';
        break;
    case EKind::Array:
        strOut += '[';
        for (size_t i = 0; i < m_vecItems.size(); ++i) {
            strOut += i == 0 ? "" : ",";
            m_vecItems[i].DumpTo(strOut);
        }
        strOut += ']';
        break;
    case EKind::Object:
        strOut += '{';
        for (size_t i = 0; i < m_vecMembers.size(); ++i) {
            strOut += (i == 0 ? "\"" : ",\"") + JsonEscape(m_vecMembers[i].first) + "\":";
            m_vecMembers[i].second.DumpTo(strOut);
        }
        strOut += '}';
        break;
    }
}

std::string CJson::Dump() const {
    std::string str;
    DumpTo(str);
    return str;
}

namespace {
// Characters of a UTF-8 text: every byte that does not continue one.
size_t Width(const std::string& str) {
    return static_cast<size_t>(std::count_if(str.begin(), str.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}
} // namespace

std::string FormatCtlText(const SCtlResult& result) {
    std::string strOut;
    if (!result.vecHeader.empty()) {
        std::vector<size_t> vecWidths(result.vecHeader.size(), 0);
        auto Measure = [&](const std::vector<std::string>& vecRow) {
            for (size_t i = 0; i < vecRow.size() && i < vecWidths.size(); ++i) {
                vecWidths[i] = std::max(vecWidths[i], Width(vecRow[i]));
            }
        };
        Measure(result.vecHeader);
        for (const auto& vecRow : result.vecRows) {
            Measure(vecRow);
        }
        auto Line = [&](const std::vector<std::string>& vecRow) {
            std::string strLine;
            for (size_t i = 0; i < vecRow.size() && i < vecWidths.size(); ++i) {
                strLine += vecRow[i];
                if (i + 1 < vecRow.size()) {
                    strLine += std::string(vecWidths[i] - Width(vecRow[i]) + 2, ' ');
                }
            }
            strOut += strLine + "\n";
        };
        Line(result.vecHeader);
        for (const auto& vecRow : result.vecRows) {
            Line(vecRow);
        }
    }
    for (const std::string& strLine : result.vecLines) {
        strOut += strLine + "\n";
    }
    return strOut;
}
