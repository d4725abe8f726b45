#include "registry/Archive.h"

#include "platform/Cp932.h"

#include <cstring>
#include <utility>

namespace {
constexpr uint16_t STRING_WIDE_MARK = 0xFFFE;
} // namespace

CArchiveWriter::CArchiveWriter(std::vector<std::string> vecClasses)
    : m_vecClasses(std::move(vecClasses)), m_vecClassNumbers(m_vecClasses.size(), 0) {}

void CArchiveWriter::WriteByte(uint8_t by) {
    m_vecData.push_back(by);
}

void CArchiveWriter::WriteWord(uint16_t w) {
    WriteByte(static_cast<uint8_t>(w & 0xFF));
    WriteByte(static_cast<uint8_t>(w >> 8));
}

void CArchiveWriter::WriteDword(uint32_t dw) {
    WriteWord(static_cast<uint16_t>(dw & 0xFFFF));
    WriteWord(static_cast<uint16_t>(dw >> 16));
}

void CArchiveWriter::WriteBytes(const void* pData, size_t nLen) {
    const auto* p = static_cast<const uint8_t*>(pData);
    m_vecData.insert(m_vecData.end(), p, p + nLen);
}

void CArchiveWriter::WriteString(const std::string& str) {
    size_t nLen = str.size();
    if (nLen < 0xFF) {
        WriteByte(static_cast<uint8_t>(nLen));
    } else if (nLen < STRING_WIDE_MARK) {
        WriteByte(0xFF);
        WriteWord(static_cast<uint16_t>(nLen));
    } else {
        // 0xFFFE would announce 16-bit characters, so it takes the long form too.
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDword(static_cast<uint32_t>(nLen));
    }
    WriteBytes(str.data(), nLen);
}

void CArchiveWriter::WriteCount(uint32_t nCount) {
    if (nCount < 0xFFFF) {
        WriteWord(static_cast<uint16_t>(nCount));
    } else {
        WriteWord(0xFFFF);
        WriteDword(nCount);
    }
}

void CArchiveWriter::WriteObjectTag(size_t nClass) {
    uint32_t& nClassNumber = m_vecClassNumbers.at(nClass);
    if (nClassNumber == 0) {
        const std::string& strName = m_vecClasses[nClass];
        WriteWord(ARCHIVE_NEW_CLASS_TAG);
        WriteWord(0); // schema
        WriteWord(static_cast<uint16_t>(strName.size()));
        WriteBytes(strName.data(), strName.size());
        nClassNumber = m_nNextNumber++;
    } else if (nClassNumber < ARCHIVE_BIG_OBJECT_TAG) {
        WriteWord(static_cast<uint16_t>(ARCHIVE_CLASS_TAG | nClassNumber));
    } else {
        WriteWord(ARCHIVE_BIG_OBJECT_TAG);
        WriteDword(ARCHIVE_BIG_CLASS_TAG | nClassNumber);
    }
    ++m_nNextNumber; // the object's own number; never referenced, as each object is written once
}

CArchiveReader::CArchiveReader(const uint8_t* pData, size_t nSize,
                               std::vector<std::string> vecClasses)
    : m_pData(pData), m_nSize(nSize), m_vecClasses(std::move(vecClasses)) {
    m_vecLoad.push_back({false, 0});
}

bool CArchiveReader::Fail() {
    m_bFailed = true;
    return false;
}

bool CArchiveReader::Need(size_t nLen) {
    if (m_bFailed) {
        return false;
    }
    if (nLen > GetRemaining()) {
        return Fail();
    }
    return true;
}

bool CArchiveReader::ReadByte(uint8_t& by) {
    if (!Need(1)) {
        return false;
    }
    by = m_pData[m_nPos++];
    return true;
}

bool CArchiveReader::ReadWord(uint16_t& w) {
    if (!Need(2)) {
        return false;
    }
    w = static_cast<uint16_t>(m_pData[m_nPos] | (m_pData[m_nPos + 1] << 8));
    m_nPos += 2;
    return true;
}

bool CArchiveReader::ReadDword(uint32_t& dw) {
    if (!Need(4)) {
        return false;
    }
    dw = static_cast<uint32_t>(m_pData[m_nPos]) |
         (static_cast<uint32_t>(m_pData[m_nPos + 1]) << 8) |
         (static_cast<uint32_t>(m_pData[m_nPos + 2]) << 16) |
         (static_cast<uint32_t>(m_pData[m_nPos + 3]) << 24);
    m_nPos += 4;
    return true;
}

bool CArchiveReader::ReadBytes(void* pData, size_t nLen) {
    if (!Need(nLen)) {
        return false;
    }
    if (nLen > 0) {
        std::memcpy(pData, m_pData + m_nPos, nLen);
    }
    m_nPos += nLen;
    return true;
}

bool CArchiveReader::ReadLength(uint32_t& nLen, bool& bWide) {
    bWide = false;
    uint8_t byLen = 0;
    if (!ReadByte(byLen)) {
        return false;
    }
    if (byLen < 0xFF) {
        nLen = byLen;
        return true;
    }
    uint16_t wLen = 0;
    if (!ReadWord(wLen)) {
        return false;
    }
    if (wLen == STRING_WIDE_MARK) {
        // 16-bit characters; the real length prefix follows.
        bWide = true;
        if (!ReadByte(byLen)) {
            return false;
        }
        if (byLen < 0xFF) {
            nLen = byLen;
            return true;
        }
        if (!ReadWord(wLen)) {
            return false;
        }
    }
    if (wLen < 0xFFFF) {
        nLen = wLen;
        return true;
    }
    uint32_t dwLen = 0;
    if (!ReadDword(dwLen)) {
        return false;
    }
    if (dwLen == 0xFFFFFFFFu) {
        return Fail(); // announces a 64-bit length: far beyond any file we take
    }
    nLen = dwLen;
    return true;
}

bool CArchiveReader::ReadString(std::string& str) {
    uint32_t nLen = 0;
    bool bWide = false;
    if (!ReadLength(nLen, bWide)) {
        return false;
    }
    size_t nBytes = static_cast<size_t>(nLen) * (bWide ? 2 : 1);
    if (!Need(nBytes)) {
        return false;
    }
    const uint8_t* p = m_pData + m_nPos;
    m_nPos += nBytes;
    if (bWide) {
        str = Utf16LeToCp932(p, nLen);
    } else {
        str.assign(reinterpret_cast<const char*>(p), nBytes);
    }
    return true;
}

bool CArchiveReader::ReadCount(uint32_t& nCount) {
    uint16_t wCount = 0;
    if (!ReadWord(wCount)) {
        return false;
    }
    if (wCount < 0xFFFF) {
        nCount = wCount;
        return true;
    }
    uint32_t dwCount = 0;
    if (!ReadDword(dwCount)) {
        return false;
    }
    if (dwCount == 0xFFFFFFFFu) {
        return Fail();
    }
    nCount = dwCount;
    return true;
}

bool CArchiveReader::ReadNewClass(size_t& nClass) {
    uint16_t wSchema = 0;
    uint16_t wNameLen = 0;
    if (!ReadWord(wSchema) || !ReadWord(wNameLen)) {
        return false;
    }
    if (wSchema != 0 || wNameLen >= ARCHIVE_MAX_CLASS_NAME || !Need(wNameLen)) {
        return Fail();
    }
    std::string strName(reinterpret_cast<const char*>(m_pData + m_nPos), wNameLen);
    m_nPos += wNameLen;
    for (size_t i = 0; i < m_vecClasses.size(); ++i) {
        if (m_vecClasses[i] == strName) {
            nClass = i;
            return true;
        }
    }
    return Fail();
}

bool CArchiveReader::ReadObjectTag(SObjectTag& tag) {
    uint16_t wTag = 0;
    if (!ReadWord(wTag)) {
        return false;
    }
    uint32_t dwTag = 0;
    if (wTag == ARCHIVE_BIG_OBJECT_TAG) {
        if (!ReadDword(dwTag)) {
            return false;
        }
    } else {
        dwTag = (static_cast<uint32_t>(wTag & ARCHIVE_CLASS_TAG) << 16) | (wTag & 0x7FFFu);
    }

    if ((dwTag & ARCHIVE_BIG_CLASS_TAG) == 0) {
        // A reference: 0 is no object, anything else must be an object already numbered.
        tag.nNumber = dwTag;
        if (dwTag == 0) {
            tag.eKind = EObjectTag::Null;
            return true;
        }
        if (dwTag >= m_vecLoad.size() || m_vecLoad[dwTag].bClass) {
            return Fail();
        }
        tag.eKind = EObjectTag::Reference;
        tag.nClass = m_vecLoad[dwTag].nClass;
        return true;
    }

    size_t nClass = 0;
    if (wTag == ARCHIVE_NEW_CLASS_TAG) {
        if (!ReadNewClass(nClass)) {
            return false;
        }
        m_vecLoad.push_back({true, nClass});
    } else {
        uint32_t nClassNumber = dwTag & ~ARCHIVE_BIG_CLASS_TAG;
        if (nClassNumber == 0 || nClassNumber >= m_vecLoad.size() ||
            !m_vecLoad[nClassNumber].bClass) {
            return Fail();
        }
        nClass = m_vecLoad[nClassNumber].nClass;
    }
    tag.eKind = EObjectTag::New;
    tag.nClass = nClass;
    tag.nNumber = static_cast<uint32_t>(m_vecLoad.size());
    m_vecLoad.push_back({false, nClass});
    return true;
}
