#include "platform/Utf8.h"

size_t Utf8Length(const std::string& str, size_t nAt, uint32_t& cp) {
    auto by = static_cast<unsigned char>(str[nAt]);
    size_t nLen = by < 0x80           ? 1
                  : (by >> 5) == 0x6  ? 2
                  : (by >> 4) == 0xE  ? 3
                  : (by >> 3) == 0x1E ? 4
                                      : 0;
    if (nLen == 0 || nAt + nLen > str.size()) {
        return 0;
    }
    cp = nLen == 1 ? by : by & (0xFFu >> (nLen + 1));
    for (size_t k = 1; k < nLen; ++k) {
        auto byNext = static_cast<unsigned char>(str[nAt + k]);
        if ((byNext & 0xC0) != 0x80) {
            return 0;
        }
        cp = cp << 6 | (byNext & 0x3F);
    }
    static constexpr uint32_t MIN[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < MIN[nLen] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return nLen;
}

void AppendUtf8(std::string& str, uint32_t cp) {
    if (cp < 0x80) {
        str += static_cast<char>(cp);
    } else if (cp < 0x800) {
        str += static_cast<char>(0xC0 | (cp >> 6));
        str += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        str += static_cast<char>(0xE0 | (cp >> 12));
        str += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        str += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        str += static_cast<char>(0xF0 | (cp >> 18));
        str += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        str += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        str += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
