#include "platform/Profile.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr char LINE_END[] = "\r\n";

bool IsTrimmed(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\x1A';
}

std::string Trim(const std::string& str) {
    size_t nBegin = 0;
    size_t nEnd = str.size();
    while (nBegin < nEnd && IsTrimmed(str[nBegin])) {
        ++nBegin;
    }
    while (nEnd > nBegin && IsTrimmed(str[nEnd - 1])) {
        --nEnd;
    }
    return str.substr(nBegin, nEnd - nBegin);
}

char LowerAscii(char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool EqualNoCase(const std::string& strA, const std::string& strB) {
    if (strA.size() != strB.size()) {
        return false;
    }
    for (size_t i = 0; i < strA.size(); ++i) {
        if (LowerAscii(strA[i]) != LowerAscii(strB[i])) {
            return false;
        }
    }
    return true;
}

// At most nMax bytes, never half of a double-byte character.
std::string CutCp932(const std::string& str, size_t nMax) {
    size_t i = 0;
    while (i < str.size()) {
        size_t nChar =
            (IsCp932LeadByte(static_cast<unsigned char>(str[i])) && i + 1 < str.size()) ? 2 : 1;
        if (i + nChar > nMax) {
            break;
        }
        i += nChar;
    }
    return str.substr(0, i);
}

std::string StripQuotes(const std::string& str) {
    if (str.size() >= 2 && (str.front() == '"' || str.front() == '\'') &&
        str.back() == str.front()) {
        return str.substr(1, str.size() - 2);
    }
    return str;
}

// A value that the read would change (blanks around it trimmed, one pair of
// quotes removed) is written inside double quotes, which the read takes off.
std::string QuoteForRead(const std::string& str) {
    auto fnChanges = [](char ch) { return IsTrimmed(ch) || ch == '"' || ch == '\''; };
    if (!str.empty() && (fnChanges(str.front()) || fnChanges(str.back()))) {
        return "\"" + str + "\"";
    }
    return str;
}
} // namespace

bool CProfile::Load(const std::string& strPath) {
    m_strPath = strPath;
    m_vecLines.clear();
    m_bReadable = true;
    m_bDirty = false;

    int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_bReadable = (errno == ENOENT || errno == ENOTDIR);
        return m_bReadable;
    }
    std::string strData;
    char abBuf[8192];
    for (;;) {
        ssize_t n = ::read(fd, abBuf, sizeof abBuf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            m_bReadable = false;
            break;
        }
        if (n == 0) {
            break;
        }
        strData.append(abBuf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (!m_bReadable) {
        return false;
    }

    size_t nPos = 0;
    while (nPos < strData.size()) {
        size_t nNewline = strData.find('\n', nPos);
        SLine line;
        if (nNewline == std::string::npos) {
            line.strText = strData.substr(nPos);
            nPos = strData.size();
        } else {
            line.strText = strData.substr(nPos, nNewline - nPos);
            line.strEnd = "\n";
            if (!line.strText.empty() && line.strText.back() == '\r') {
                line.strText.pop_back();
                line.strEnd = LINE_END;
            }
            nPos = nNewline + 1;
        }
        Classify(line, m_vecLines.empty());
        m_vecLines.push_back(std::move(line));
    }
    return true;
}

void CProfile::Classify(SLine& line, bool bFirst) {
    std::string str = line.strText;
    if (bFirst && str.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        str.erase(0, 3);
    }
    str = Trim(str);
    line.eKind = EKind::Other;
    line.strName.clear();
    line.strValue.clear();
    line.bHasValue = false;
    if (str.empty() || str[0] == ';') {
        return;
    }
    if (str[0] == '[') {
        size_t nClose = str.rfind(']');
        size_t nLen = (nClose == std::string::npos || nClose == 0) ? std::string::npos : nClose - 1;
        line.eKind = EKind::Section;
        line.strName = Trim(str.substr(1, nLen));
        return;
    }
    line.eKind = EKind::Key;
    size_t nEqual = str.find('=');
    if (nEqual == std::string::npos) {
        line.strName = str; // a key without a value reads as missing
        return;
    }
    line.strName = Trim(str.substr(0, nEqual));
    line.strValue = Trim(str.substr(nEqual + 1));
    line.bHasValue = true;
}

int CProfile::FindSection(const std::string& strSection) const {
    for (size_t i = 0; i < m_vecLines.size(); ++i) {
        if (m_vecLines[i].eKind == EKind::Section &&
            EqualNoCase(m_vecLines[i].strName, strSection)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CProfile::FindKey(int nSection, const std::string& strKey) const {
    for (size_t i = static_cast<size_t>(nSection) + 1; i < m_vecLines.size(); ++i) {
        const SLine& line = m_vecLines[i];
        if (line.eKind == EKind::Section) {
            break;
        }
        if (line.eKind == EKind::Key && EqualNoCase(line.strName, strKey)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int32_t CProfile::GetInt(const std::string& strSection, const std::string& strKey,
                         int32_t nDefault) const {
    std::string strValue = GetString(strSection, strKey, "", 4096);
    if (strValue.empty()) {
        return nDefault;
    }
    size_t i = 0;
    bool bNegative = false;
    if (strValue[0] == '+' || strValue[0] == '-') {
        bNegative = strValue[0] == '-';
        ++i;
    }
    uint32_t dwValue = 0;
    for (; i < strValue.size() && strValue[i] >= '0' && strValue[i] <= '9'; ++i) {
        dwValue = dwValue * 10u + static_cast<uint32_t>(strValue[i] - '0');
    }
    return static_cast<int32_t>(bNegative ? 0u - dwValue : dwValue);
}

std::string CProfile::GetString(const std::string& strSection, const std::string& strKey,
                                const std::string& strDefault, size_t nSize) const {
    if (nSize == 0) {
        return {};
    }
    const std::string* pValue = &strDefault;
    std::string strStripped;
    int nSection = FindSection(strSection);
    int nKey = nSection < 0 ? -1 : FindKey(nSection, strKey);
    if (nKey >= 0 && m_vecLines[static_cast<size_t>(nKey)].bHasValue) {
        strStripped = StripQuotes(m_vecLines[static_cast<size_t>(nKey)].strValue);
        pValue = &strStripped;
    }
    return CutCp932(*pValue, nSize - 1);
}

void CProfile::InsertLine(size_t nAt, std::string strText) {
    if (nAt > 0 && m_vecLines[nAt - 1].strEnd.empty()) {
        m_vecLines[nAt - 1].strEnd = LINE_END; // the old last line gets its line end
    }
    SLine line;
    line.strText = std::move(strText);
    line.strEnd = LINE_END;
    Classify(line, nAt == 0);
    m_vecLines.insert(m_vecLines.begin() + static_cast<std::ptrdiff_t>(nAt), std::move(line));
    m_bDirty = true;
}

void CProfile::WriteString(const std::string& strSection, const std::string& strKey,
                           const std::string& strValue) {
    std::string strClean = QuoteForRead(strValue.substr(0, strValue.find_first_of("\r\n")));
    int nSection = FindSection(strSection);
    if (nSection < 0) {
        InsertLine(m_vecLines.size(), "[" + strSection + "]");
        InsertLine(m_vecLines.size(), strKey + "=" + strClean);
        return;
    }
    int nKey = FindKey(nSection, strKey);
    if (nKey >= 0) {
        SLine& line = m_vecLines[static_cast<size_t>(nKey)];
        std::string strText = line.strName + "=" + strClean;
        if (strText != line.strText) {
            line.strText = std::move(strText);
            Classify(line, nKey == 0);
            m_bDirty = true;
        }
        return;
    }
    // A new key goes after the section's last key, ahead of any blank lines or
    // comments that lead to the next section.
    size_t nAt = static_cast<size_t>(nSection) + 1;
    for (size_t i = nAt; i < m_vecLines.size() && m_vecLines[i].eKind != EKind::Section; ++i) {
        if (m_vecLines[i].eKind == EKind::Key) {
            nAt = i + 1;
        }
    }
    InsertLine(nAt, strKey + "=" + strClean);
}

std::string CProfile::GetText() const {
    std::string strText;
    for (const SLine& line : m_vecLines) {
        strText += line.strText;
        strText += line.strEnd;
    }
    return strText;
}

bool CProfile::Save() {
    if (!m_bReadable || m_strPath.empty()) {
        return false;
    }
    if (!m_bDirty) {
        return true;
    }
    std::string strError;
    if (WriteFileAtomic(m_strPath, GetText(), 0666, strError) != 0) {
        return false;
    }
    m_bDirty = false;
    return true;
}

int32_t ReadProfileInt(const std::string& strSection, const std::string& strKey, int32_t nDefault,
                       const std::string& strPath) {
    CProfile profile;
    profile.Load(strPath);
    return profile.GetInt(strSection, strKey, nDefault);
}

std::string ReadProfileString(const std::string& strSection, const std::string& strKey,
                              const std::string& strDefault, size_t nSize,
                              const std::string& strPath) {
    CProfile profile;
    profile.Load(strPath);
    return profile.GetString(strSection, strKey, strDefault, nSize);
}

bool WriteProfileString(const std::string& strSection, const std::string& strKey,
                        const std::string& strValue, const std::string& strPath) {
    CProfile profile;
    profile.Load(strPath);
    profile.WriteString(strSection, strKey, strValue);
    return profile.Save();
}
