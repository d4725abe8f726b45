#include "params/ParamFields.h"

#include "platform/NumberText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void SetTextField(char* pField, size_t nWidth, const std::string& strText) {
    if (nWidth == 0) {
        return;
    }
    std::memset(pField, 0, nWidth);
    std::memcpy(pField, strText.data(), std::min(strText.size(), nWidth - 1));
}

std::string GetTextField(const char* pField, size_t nWidth) {
    return std::string(pField, strnlen(pField, nWidth));
}

std::string FormatTerminator(uint8_t byLen, const uint8_t* pBytes) {
    std::string strText;
    for (size_t i = 0; i < std::min<size_t>(byLen, TERMINATOR_BYTES); ++i) {
        char sz[3];
        std::snprintf(sz, sizeof sz, "%02X", pBytes[i]);
        strText += sz;
    }
    return strText;
}

void ParseTerminator(const std::string& strText, uint8_t& byLen, uint8_t* pBytes) {
    byLen = 0;
    pBytes[0] = 0;
    pBytes[1] = 0;
    size_t nDigits = std::min(strText.size(), TERMINATOR_DIGITS);
    byLen = static_cast<uint8_t>(nDigits / 2);
    for (size_t i = 0; i < byLen; ++i) {
        int nHigh = HexDigitValue(strText[2 * i]);
        if (nHigh < 0) {
            continue;
        }
        int nLow = HexDigitValue(strText[2 * i + 1]);
        pBytes[i] = static_cast<uint8_t>(nLow < 0 ? nHigh : nHigh * 16 + nLow);
    }
}

void StoreTerminator(const std::string& strText, uint8_t& byLen, uint8_t* pBytes) {
    uint8_t abTyped[TERMINATOR_BYTES] = {};
    ParseTerminator(strText, byLen, abTyped);
    std::copy(abTyped, abTyped + byLen, pBytes);
}

int32_t LittleEndianValue(const uint8_t* pBytes) {
    uint32_t dw = uint32_t{pBytes[0]} | uint32_t{pBytes[1]} << 8 | uint32_t{pBytes[2]} << 16 |
                  uint32_t{pBytes[3]} << 24;
    return static_cast<int32_t>(dw);
}

void StoreLittleEndian(int32_t nValue, uint8_t* pBytes) {
    uint32_t dw = static_cast<uint32_t>(nValue);
    for (int i = 0; i < 4; ++i) {
        pBytes[i] = static_cast<uint8_t>(dw >> (8 * i));
    }
}
