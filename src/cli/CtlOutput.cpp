#include "cli/CtlOutput.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <cmath>
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

CJson CJson::Real(double d, int nDecimals) {
    // JSON has no text for an infinity or NaN: such a value is null.
    if (!std::isfinite(d)) {
        return CJson();
    }
    CJson json(EKind::Real);
    // Every digit, however large the value.
    const int nLen = std::snprintf(nullptr, 0, "%.*f", nDecimals, d);
    json.m_strValue.resize(static_cast<size_t>(nLen) + 1);
    std::snprintf(json.m_strValue.data(), json.m_strValue.size(), "%.*f", nDecimals, d);
    json.m_strValue.resize(static_cast<size_t>(nLen));
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

namespace {
// Valid UTF-8 as it is; every other byte as U+FFFD.
std::string ValidUtf8(const std::string& str) {
    std::string strOut;
    for (size_t i = 0; i < str.size();) {
        uint32_t cp = 0;
        size_t nLen = Utf8Length(str, i, cp);
        strOut += nLen == 0 ? std::string("\xEF\xBF\xBD") : str.substr(i, nLen);
        i += nLen == 0 ? 1 : nLen;
    }
    return strOut;
}
} // namespace

CJson& CJson::operator[](const std::string& strKey) {
    m_eKind = EKind::Object;
    // Keys are held as they are written (bytes that are no UTF-8 as U+FFFD):
    // two keys written alike are one member, never a name given twice.
    const std::string strWritten = ValidUtf8(strKey);
    for (auto& [strName, value] : m_vecMembers) {
        if (strName == strWritten) {
            return value;
        }
    }
    m_vecMembers.emplace_back(strWritten, CJson());
    return m_vecMembers.back().second;
}

bool IsUtf8(const std::string& str) {
    for (size_t i = 0; i < str.size();) {
        uint32_t cp = 0;
        size_t nLen = Utf8Length(str, i, cp);
        if (nLen == 0) {
            return false;
        }
        i += nLen;
    }
    return true;
}

std::string TerminalText(const std::string& str, bool bKeepLineBreaks) {
    std::string strOut;
    char sz[8];
    for (size_t i = 0; i < str.size();) {
        uint32_t cp = 0;
        size_t nLen = Utf8Length(str, i, cp);
        if (nLen == 0 || cp < 0x20 || cp == 0x7F) {
            auto by = static_cast<unsigned char>(str[i]);
            if (by == '\n' && bKeepLineBreaks) {
                strOut += '\n';
            } else {
                std::snprintf(sz, sizeof sz, "\\x%02x", by);
                strOut += sz;
            }
            ++i;
        } else if (cp >= 0x80 && cp <= 0x9F) {
            std::snprintf(sz, sizeof sz, "\\u%04x", static_cast<unsigned>(cp));
            strOut += sz;
            i += nLen;
        } else {
            strOut += str.substr(i, nLen);
            i += nLen;
        }
    }
    return strOut;
}

std::string JsonEscape(const std::string& strText) {
    const std::string str = ValidUtf8(strText);
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
    case EKind::Real:
        strOut += m_strValue;
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

std::string FormatCtlText(const SCtlResult& resultAsIs) {
    // Texts from nodes and the data file go out with their control bytes shown.
    SCtlResult result = resultAsIs;
    for (std::vector<std::string>& vecRow : result.vecRows) {
        for (std::string& strCell : vecRow) {
            strCell = TerminalText(strCell);
        }
    }
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
        strOut += TerminalText(strLine) + "\n";
    }
    return strOut;
}
