#pragma once
// A small JSON reader for tests that check a program's machine-readable
// output: objects, arrays, strings (with \u escapes of the BMP), integers,
// true, false, null. A text that is not JSON reads as an invalid value.
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CJsonValue {
public:
    enum class EKind { Invalid, Null, Bool, Number, String, Array, Object };

    static CJsonValue Parse(const std::string& strText) {
        if (!IsUtf8(strText)) {
            return CJsonValue(); // a JSON text is UTF-8
        }
        size_t nPos = 0;
        CJsonValue value = ParseValue(strText, nPos);
        SkipBlanks(strText, nPos);
        return nPos == strText.size() ? value : CJsonValue();
    }

    EKind Kind() const { return m_eKind; }
    bool IsValid() const { return m_eKind != EKind::Invalid; }
    bool IsNull() const { return m_eKind == EKind::Null; }
    bool Bool() const { return m_bValue; }
    int64_t Int() const { return m_nValue; }
    // A number with a fraction, or a whole one.
    double Real() const { return m_dValue; }
    const std::string& Str() const { return m_strValue; }
    size_t Size() const {
        return m_eKind == EKind::Array ? m_vecItems.size() : m_mapMembers.size();
    }
    const CJsonValue& operator[](size_t n) const {
        return n < m_vecItems.size() ? m_vecItems[n] : Missing();
    }
    const CJsonValue& operator[](const std::string& strKey) const {
        auto it = m_mapMembers.find(strKey);
        return it == m_mapMembers.end() ? Missing() : it->second;
    }
    bool Has(const std::string& strKey) const { return m_mapMembers.count(strKey) != 0; }
    const std::vector<CJsonValue>& Items() const { return m_vecItems; }

    // Well-formed UTF-8: no stray continuation byte, no overlong form, no
    // surrogate, nothing beyond U+10FFFF.
    static bool IsUtf8(const std::string& str) {
        for (size_t i = 0; i < str.size();) {
            auto by = static_cast<unsigned char>(str[i]);
            size_t nLen = by < 0x80           ? 1
                          : (by >> 5) == 0x6  ? 2
                          : (by >> 4) == 0xE  ? 3
                          : (by >> 3) == 0x1E ? 4
                                              : 0;
            if (nLen == 0 || i + nLen > str.size()) {
                return false;
            }
            uint32_t cp = nLen == 1 ? by : by & (0xFF >> (nLen + 1));
            for (size_t k = 1; k < nLen; ++k) {
                auto byNext = static_cast<unsigned char>(str[i + k]);
                if ((byNext & 0xC0) != 0x80) {
                    return false;
                }
                cp = cp << 6 | (byNext & 0x3F);
            }
            const uint32_t arrMin[] = {0, 0, 0x80, 0x800, 0x10000};
            if (cp < arrMin[nLen] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                return false;
            }
            i += nLen;
        }
        return true;
    }

private:
    static const CJsonValue& Missing() {
        static const CJsonValue s_missing;
        return s_missing;
    }
    static void SkipBlanks(const std::string& str, size_t& nPos) {
        while (nPos < str.size() && std::isspace(static_cast<unsigned char>(str[nPos]))) {
            ++nPos;
        }
    }
    static bool ParseString(const std::string& str, size_t& nPos, std::string& strOut) {
        if (nPos >= str.size() || str[nPos] != '"') {
            return false;
        }
        ++nPos;
        while (nPos < str.size() && str[nPos] != '"') {
            char c = str[nPos++];
            if (c != '\\') {
                strOut += c;
                continue;
            }
            if (nPos >= str.size()) {
                return false;
            }
            char e = str[nPos++];
            switch (e) {
            case 'n':
                strOut += '\n';
                break;
            case 'r':
                strOut += '\r';
                break;
            case 't':
                strOut += '\t';
                break;
            case 'u': {
                if (nPos + 4 > str.size()) {
                    return false;
                }
                unsigned n = std::stoul(str.substr(nPos, 4), nullptr, 16);
                nPos += 4;
                if (n < 0x80) {
                    strOut += static_cast<char>(n);
                } else if (n < 0x800) {
                    strOut += static_cast<char>(0xC0 | (n >> 6));
                    strOut += static_cast<char>(0x80 | (n & 0x3F));
                } else {
                    strOut += static_cast<char>(0xE0 | (n >> 12));
                    strOut += static_cast<char>(0x80 | ((n >> 6) & 0x3F));
                    strOut += static_cast<char>(0x80 | (n & 0x3F));
                }
                break;
            }
            default:
                strOut += e;
            }
        }
        if (nPos >= str.size()) {
            return false;
        }
        ++nPos;
        return true;
    }
    static CJsonValue ParseValue(const std::string& str, size_t& nPos) {
        SkipBlanks(str, nPos);
        CJsonValue value;
        if (nPos >= str.size()) {
            return value;
        }
        char c = str[nPos];
        if (c == '{') {
            ++nPos;
            value.m_eKind = EKind::Object;
            SkipBlanks(str, nPos);
            if (nPos < str.size() && str[nPos] == '}') {
                ++nPos;
                return value;
            }
            while (true) {
                SkipBlanks(str, nPos);
                std::string strKey;
                if (!ParseString(str, nPos, strKey)) {
                    return CJsonValue();
                }
                SkipBlanks(str, nPos);
                if (nPos >= str.size() || str[nPos++] != ':') {
                    return CJsonValue();
                }
                CJsonValue member = ParseValue(str, nPos);
                if (!member.IsValid()) {
                    return CJsonValue();
                }
                value.m_mapMembers[strKey] = member;
                SkipBlanks(str, nPos);
                if (nPos < str.size() && str[nPos] == ',') {
                    ++nPos;
                    continue;
                }
                if (nPos < str.size() && str[nPos] == '}') {
                    ++nPos;
                    return value;
                }
                return CJsonValue();
            }
        }
        if (c == '[') {
            ++nPos;
            value.m_eKind = EKind::Array;
            SkipBlanks(str, nPos);
            if (nPos < str.size() && str[nPos] == ']') {
                ++nPos;
                return value;
            }
            while (true) {
                CJsonValue item = ParseValue(str, nPos);
                if (!item.IsValid()) {
                    return CJsonValue();
                }
                value.m_vecItems.push_back(item);
                SkipBlanks(str, nPos);
                if (nPos < str.size() && str[nPos] == ',') {
                    ++nPos;
                    continue;
                }
                if (nPos < str.size() && str[nPos] == ']') {
                    ++nPos;
                    return value;
                }
                return CJsonValue();
            }
        }
        if (c == '"') {
            value.m_eKind = EKind::String;
            return ParseString(str, nPos, value.m_strValue) ? value : CJsonValue();
        }
        for (const char* psz : {"true", "false", "null"}) {
            if (str.compare(nPos, std::string(psz).size(), psz) == 0) {
                nPos += std::string(psz).size();
                value.m_eKind = psz[0] == 'n' ? EKind::Null : EKind::Bool;
                value.m_bValue = psz[0] == 't';
                return value;
            }
        }
        size_t nStart = nPos;
        if (str[nPos] == '-') {
            ++nPos;
        }
        while (nPos < str.size() && std::isdigit(static_cast<unsigned char>(str[nPos]))) {
            ++nPos;
        }
        if (nPos == nStart || (nPos == nStart + 1 && str[nStart] == '-')) {
            return CJsonValue();
        }
        value.m_eKind = EKind::Number;
        value.m_nValue = std::stoll(str.substr(nStart, nPos - nStart));
        if (nPos + 1 < str.size() && str[nPos] == '.' &&
            std::isdigit(static_cast<unsigned char>(str[nPos + 1]))) {
            ++nPos;
            while (nPos < str.size() && std::isdigit(static_cast<unsigned char>(str[nPos]))) {
                ++nPos;
            }
        }
        value.m_dValue = std::stod(str.substr(nStart, nPos - nStart));
        return value;
    }

    EKind m_eKind = EKind::Invalid;
    bool m_bValue = false;
    int64_t m_nValue = 0;
    double m_dValue = 0;
    std::string m_strValue;
    std::vector<CJsonValue> m_vecItems;
    std::map<std::string, CJsonValue> m_mapMembers;
};
