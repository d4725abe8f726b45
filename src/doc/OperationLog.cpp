#include "doc/OperationLog.h"

#include "platform/Utf8.h"

#include <cstdio>
#include <ctime>
#include <pwd.h>
#include <unistd.h>

namespace {
// The keys of a line, in the order they are written.
struct SField {
    const char* pszKey;
    std::string SOperationEntry::*pMember;
};
constexpr SField FIELDS[] = {
    {"time", &SOperationEntry::strTime},
    {"program", &SOperationEntry::strProgram},
    {"user", &SOperationEntry::strUser},
    {"network", &SOperationEntry::strNetwork},
    {"mac", &SOperationEntry::strMac},
    {"ip", &SOperationEntry::strIp},
    {"operation", &SOperationEntry::strOperation},
    {"outcome", &SOperationEntry::strOutcome},
    {"message", &SOperationEntry::strMessage},
};

// A JSON string: control characters escaped, bytes that are no UTF-8 as U+FFFD.
void AppendJsonString(std::string& strOut, const std::string& str) {
    strOut += '"';
    for (size_t i = 0; i < str.size();) {
        auto by = static_cast<unsigned char>(str[i]);
        uint32_t cp = 0;
        size_t nLen = Utf8Length(str, i, cp);
        if (nLen == 0) {
            strOut += "\\ufffd";
            ++i;
            continue;
        }
        if (by == '"' || by == '\\') {
            strOut += '\\';
            strOut += static_cast<char>(by);
        } else if (by < 0x20 || by == 0x7F) {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\u%04x", by);
            strOut += sz;
        } else {
            strOut.append(str, i, nLen);
        }
        i += nLen;
    }
    strOut += '"';
}

// Reads a JSON string at str[nAt] (the opening quote); false when it is none.
bool ReadJsonString(const std::string& str, size_t& nAt, std::string& strValue) {
    if (nAt >= str.size() || str[nAt] != '"') {
        return false;
    }
    strValue.clear();
    for (++nAt; nAt < str.size(); ++nAt) {
        char c = str[nAt];
        if (c == '"') {
            ++nAt;
            return true;
        }
        if (c != '\\') {
            strValue += c;
            continue;
        }
        if (++nAt >= str.size()) {
            return false;
        }
        switch (str[nAt]) {
        case 'n':
            strValue += '\n';
            break;
        case 'r':
            strValue += '\r';
            break;
        case 't':
            strValue += '\t';
            break;
        case 'b':
            strValue += '\b';
            break;
        case 'f':
            strValue += '\f';
            break;
        case 'u': {
            auto Hex4 = [&](size_t nFrom, uint32_t& cp) {
                if (nFrom + 4 > str.size()) {
                    return false;
                }
                cp = 0;
                for (size_t k = nFrom; k < nFrom + 4; ++k) {
                    char h = str[k];
                    int n = h >= '0' && h <= '9'   ? h - '0'
                            : h >= 'a' && h <= 'f' ? h - 'a' + 10
                            : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                   : -1;
                    if (n < 0) {
                        return false;
                    }
                    cp = cp << 4 | static_cast<uint32_t>(n);
                }
                return true;
            };
            uint32_t cp = 0;
            if (!Hex4(nAt + 1, cp)) {
                return false;
            }
            nAt += 4;
            uint32_t cpLow = 0;
            if (cp >= 0xD800 && cp < 0xDC00 && nAt + 2 < str.size() && str[nAt + 1] == '\\' &&
                str[nAt + 2] == 'u' && Hex4(nAt + 3, cpLow) && cpLow >= 0xDC00 && cpLow < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (cpLow - 0xDC00);
                nAt += 6;
            } else if (cp >= 0xD800 && cp < 0xE000) {
                cp = 0xFFFD;
            }
            AppendUtf8(strValue, cp);
            break;
        }
        default: // \" \\ \/
            strValue += str[nAt];
            break;
        }
    }
    return false;
}

void SkipBlanks(const std::string& str, size_t& nAt) {
    while (nAt < str.size() &&
           (str[nAt] == ' ' || str[nAt] == '\t' || str[nAt] == '\r' || str[nAt] == '\n')) {
        ++nAt;
    }
}

// Digits at str[nAt], at most nMax of them, at least nMin.
bool ReadNumber(const std::string& str, size_t& nAt, size_t nMin, size_t nMax, int& nValue) {
    size_t nStart = nAt;
    nValue = 0;
    while (nAt < str.size() && nAt - nStart < nMax && str[nAt] >= '0' && str[nAt] <= '9') {
        nValue = nValue * 10 + (str[nAt++] - '0');
    }
    return nAt - nStart >= nMin;
}

std::string UserName() {
    const passwd* pPw = ::getpwuid(::geteuid());
    return pPw != nullptr && pPw->pw_name != nullptr ? pPw->pw_name : std::to_string(::geteuid());
}
} // namespace

std::string FormatOperationLine(const SOperationEntry& entry) {
    std::string str = "{";
    for (const SField& field : FIELDS) {
        if (str.size() > 1) {
            str += ',';
        }
        AppendJsonString(str, field.pszKey);
        str += ':';
        AppendJsonString(str, entry.*field.pMember);
    }
    return str + "}\n";
}

bool ParseOperationLine(const std::string& strLine, SOperationEntry& entry) {
    entry = SOperationEntry();
    size_t nAt = 0;
    SkipBlanks(strLine, nAt);
    if (nAt >= strLine.size() || strLine[nAt++] != '{') {
        return false;
    }
    bool bFirst = true;
    while (true) {
        SkipBlanks(strLine, nAt);
        if (nAt < strLine.size() && strLine[nAt] == '}' && bFirst) {
            ++nAt;
            break;
        }
        std::string strKey;
        std::string strValue;
        if (!ReadJsonString(strLine, nAt, strKey)) {
            return false;
        }
        SkipBlanks(strLine, nAt);
        if (nAt >= strLine.size() || strLine[nAt++] != ':') {
            return false;
        }
        SkipBlanks(strLine, nAt);
        if (nAt < strLine.size() && strLine[nAt] == '"') {
            if (!ReadJsonString(strLine, nAt, strValue)) {
                return false;
            }
        } else {
            // A number, true, false or null of a later version: taken as text.
            size_t nEnd = strLine.find_first_of(",}", nAt);
            if (nEnd == std::string::npos) {
                return false;
            }
            strValue = strLine.substr(nAt, nEnd - nAt);
            nAt = nEnd;
        }
        for (const SField& field : FIELDS) {
            if (strKey == field.pszKey) {
                entry.*field.pMember = strValue;
            }
        }
        bFirst = false;
        SkipBlanks(strLine, nAt);
        if (nAt < strLine.size() && strLine[nAt] == ',') {
            ++nAt;
            continue;
        }
        if (nAt < strLine.size() && strLine[nAt] == '}') {
            ++nAt;
            break;
        }
        return false;
    }
    SkipBlanks(strLine, nAt);
    return nAt == strLine.size() && !entry.strOperation.empty() &&
           ParseLogTime(entry.strTime, entry.nTime);
}

std::vector<SOperationEntry> ReadOperationLog(const std::string& strPath) {
    std::vector<SOperationEntry> vec;
    for (const std::string& strLine : ReadLogLines(strPath, OPLOG_KEEP)) {
        SOperationEntry entry;
        if (ParseOperationLine(strLine, entry)) {
            vec.push_back(std::move(entry));
        }
    }
    return vec;
}

std::string FormatLogTime(int64_t nTime) {
    auto t = static_cast<time_t>(nTime);
    tm tmLocal{};
    localtime_r(&t, &tmLocal);
    char sz[64];
    size_t nLen = std::strftime(sz, sizeof sz, "%Y-%m-%dT%H:%M:%S", &tmLocal);
    long nOffset = tmLocal.tm_gmtoff;
    char cSign = nOffset < 0 ? '-' : '+';
    nOffset = nOffset < 0 ? -nOffset : nOffset;
    std::snprintf(sz + nLen, sizeof sz - nLen, "%c%02ld:%02ld", cSign, nOffset / 3600,
                  (nOffset / 60) % 60);
    return sz;
}

bool ParseLogTime(const std::string& strText, int64_t& nTime) {
    tm tmTime{};
    size_t nAt = 0;
    int nYear = 0;
    int nMonth = 0;
    int nDay = 0;
    auto Expect = [&](char c) { return nAt < strText.size() && strText[nAt++] == c; };
    if (!ReadNumber(strText, nAt, 4, 4, nYear) || !Expect('-') ||
        !ReadNumber(strText, nAt, 2, 2, nMonth) || !Expect('-') ||
        !ReadNumber(strText, nAt, 2, 2, nDay) || nMonth < 1 || nMonth > 12 || nDay < 1 ||
        nDay > 31) {
        return false;
    }
    int nHour = 0;
    int nMinute = 0;
    int nSecond = 0;
    if (nAt < strText.size() && (strText[nAt] == 'T' || strText[nAt] == ' ')) {
        ++nAt;
        if (!ReadNumber(strText, nAt, 2, 2, nHour) || !Expect(':') ||
            !ReadNumber(strText, nAt, 2, 2, nMinute) || nHour > 23 || nMinute > 59) {
            return false;
        }
        if (nAt < strText.size() && strText[nAt] == ':' &&
            (!Expect(':') || !ReadNumber(strText, nAt, 2, 2, nSecond) || nSecond > 60)) {
            return false;
        }
    }
    tmTime.tm_year = nYear - 1900;
    tmTime.tm_mon = nMonth - 1;
    tmTime.tm_mday = nDay;
    tmTime.tm_hour = nHour;
    tmTime.tm_min = nMinute;
    tmTime.tm_sec = nSecond;
    if (nAt == strText.size()) {
        tmTime.tm_isdst = -1;
        time_t t = std::mktime(&tmTime);
        nTime = static_cast<int64_t>(t);
        return t != static_cast<time_t>(-1);
    }
    long nOffset = 0;
    if (strText[nAt] == 'Z' && nAt + 1 == strText.size()) {
        nOffset = 0;
    } else if (strText[nAt] == '+' || strText[nAt] == '-') {
        long nSign = strText[nAt++] == '-' ? -1 : 1;
        int nOffHours = 0;
        int nOffMinutes = 0;
        if (!ReadNumber(strText, nAt, 2, 2, nOffHours)) {
            return false;
        }
        if (nAt < strText.size() && strText[nAt] == ':') {
            ++nAt;
        }
        if (!ReadNumber(strText, nAt, 2, 2, nOffMinutes) || nAt != strText.size() ||
            nOffHours > 23 || nOffMinutes > 59) {
            return false;
        }
        nOffset = nSign * (nOffHours * 3600L + nOffMinutes * 60L);
    } else {
        return false;
    }
    nTime = static_cast<int64_t>(timegm(&tmTime)) - nOffset;
    return true;
}

COperationLog::COperationLog(std::string strProgram, const std::string& strPath, uint64_t nMaxBytes,
                             int nKeep)
    : m_strProgram(std::move(strProgram)), m_strUser(UserName()),
      m_file(strPath, nMaxBytes, nKeep) {}

int COperationLog::Write(SOperationEntry& entry) {
    if (entry.nTime == 0) {
        entry.nTime = static_cast<int64_t>(std::time(nullptr));
    }
    entry.strTime = FormatLogTime(entry.nTime);
    entry.strProgram = m_strProgram;
    entry.strUser = m_strUser;
    return m_file.Append(FormatOperationLine(entry));
}

bool COperationLog::TakeNotice() {
    if (m_bNoticeGiven) {
        return false;
    }
    m_bNoticeGiven = true;
    return true;
}
