#include "platform/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {
bool Convert(const char* pszTo, const char* pszFrom, const std::string& strIn,
             std::string& strOut) {
    iconv_t cd = iconv_open(pszTo, pszFrom);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::string strResult;
    strResult.resize(strIn.size() * 4 + 16);
    char* pIn = const_cast<char*>(strIn.data());
    size_t nInLeft = strIn.size();
    char* pOut = strResult.data();
    size_t nOutLeft = strResult.size();
    bool bOk = true;
    while (nInLeft > 0) {
        if (iconv(cd, &pIn, &nInLeft, &pOut, &nOutLeft) == static_cast<size_t>(-1)) {
            bOk = false;
            break;
        }
    }
    if (bOk && iconv(cd, nullptr, nullptr, &pOut, &nOutLeft) == static_cast<size_t>(-1)) {
        bOk = false;
    }
    iconv_close(cd);
    if (!bOk) {
        return false;
    }
    strResult.resize(strResult.size() - nOutLeft);
    strOut = std::move(strResult);
    return true;
}
} // namespace

bool Cp932ToUtf8(const std::string& strCp932, std::string& strUtf8) {
    return Convert("UTF-8", "CP932", strCp932, strUtf8);
}

bool Utf8ToCp932(const std::string& strUtf8, std::string& strCp932) {
    return Convert("CP932", "UTF-8", strUtf8, strCp932);
}

std::string Cp932ToUtf8Lossy(const std::string& strCp932) {
    std::string strOut;
    if (Cp932ToUtf8(strCp932, strOut)) {
        return strOut;
    }
    // Convert piecewise: one or two bytes at a time, bad ones replaced.
    strOut.clear();
    size_t i = 0;
    while (i < strCp932.size()) {
        std::string strPiece;
        auto by = static_cast<unsigned char>(strCp932[i]);
        size_t nLen = (IsCp932LeadByte(by) && i + 1 < strCp932.size()) ? 2 : 1;
        if (Cp932ToUtf8(strCp932.substr(i, nLen), strPiece)) {
            strOut += strPiece;
        } else {
            strOut += "\xEF\xBF\xBD";
        }
        i += nLen;
    }
    return strOut;
}

bool IsCp932LeadByte(unsigned char by) {
    return (by >= 0x81 && by <= 0x9F) || (by >= 0xE0 && by <= 0xFC);
}

namespace {
unsigned char FoldAscii(unsigned char by) {
    return (by >= 'a' && by <= 'z') ? static_cast<unsigned char>(by - 'a' + 'A') : by;
}
} // namespace

bool Cp932EqualNoCase(const std::string& strA, const std::string& strB) {
    if (strA.size() != strB.size()) {
        return false;
    }
    size_t i = 0;
    while (i < strA.size()) {
        auto byA = static_cast<unsigned char>(strA[i]);
        auto byB = static_cast<unsigned char>(strB[i]);
        if (IsCp932LeadByte(byA) && i + 1 < strA.size()) {
            if (byA != byB || strA[i + 1] != strB[i + 1]) {
                return false;
            }
            i += 2;
            continue;
        }
        if (FoldAscii(byA) != FoldAscii(byB)) {
            return false;
        }
        ++i;
    }
    return true;
}

std::string Utf16LeToCp932(const unsigned char* pData, size_t nChars) {
    std::string strOut;
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(nChars, '?');
    }
    // One UTF-16 unit gives at most two CP932 bytes, so the buffer never runs short.
    strOut.resize(nChars * 2 + 16);
    char* pIn = reinterpret_cast<char*>(const_cast<unsigned char*>(pData));
    size_t nInLeft = nChars * 2;
    char* pOut = strOut.data();
    size_t nOutLeft = strOut.size();
    while (nInLeft > 0) {
        if (iconv(cd, &pIn, &nInLeft, &pOut, &nOutLeft) != static_cast<size_t>(-1)) {
            continue;
        }
        if (errno != EILSEQ && errno != EINVAL) {
            break;
        }
        // Skip the character that failed: a whole surrogate pair when it is one.
        auto nUnit = static_cast<unsigned>(static_cast<unsigned char>(pIn[0]) |
                                           (static_cast<unsigned char>(pIn[1]) << 8));
        size_t nSkip = 2;
        if (nUnit >= 0xD800 && nUnit <= 0xDBFF && nInLeft >= 4) {
            auto nNext = static_cast<unsigned>(static_cast<unsigned char>(pIn[2]) |
                                               (static_cast<unsigned char>(pIn[3]) << 8));
            if (nNext >= 0xDC00 && nNext <= 0xDFFF) {
                nSkip = 4;
            }
        }
        nSkip = nSkip < nInLeft ? nSkip : nInLeft;
        pIn += nSkip;
        nInLeft -= nSkip;
        *pOut++ = '?';
        --nOutLeft;
    }
    iconv_close(cd);
    strOut.resize(strOut.size() - nOutLeft);
    return strOut;
}
