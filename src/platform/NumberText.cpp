#include "platform/NumberText.h"

#include <cctype>
#include <climits>

namespace {
bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}
} // namespace

int32_t ParseLeadingInt(const std::string& strText) {
    size_t i = 0;
    while (i < strText.size() && std::isspace(static_cast<unsigned char>(strText[i]))) {
        ++i;
    }
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == '+' || strText[i] == '-')) {
        bNegative = strText[i] == '-';
        ++i;
    }
    uint32_t dwValue = 0;
    for (; i < strText.size() && IsDigit(strText[i]); ++i) {
        dwValue = dwValue * 10u + static_cast<uint32_t>(strText[i] - '0');
    }
    if (bNegative) {
        dwValue = 0u - dwValue;
    }
    return static_cast<int32_t>(dwValue);
}

bool ExchangeInt(const std::string& strText, int32_t& nValue) {
    size_t i = 0;
    while (i < strText.size() && IsBlank(strText[i])) {
        ++i;
    }
    size_t nStart = i;
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == '+' || strText[i] == '-')) {
        bNegative = strText[i] == '-';
        ++i;
    }
    size_t nDigits = i;
    int64_t llValue = 0;
    for (; i < strText.size() && IsDigit(strText[i]); ++i) {
        if (llValue <= INT64_C(1) << 40) {
            llValue = llValue * 10 + (strText[i] - '0');
        }
    }
    if (i == nDigits) {
        return false;
    }
    // The framework takes a zero only when the text starts with '0' ("-0" is refused).
    if (llValue == 0 && strText[nStart] != '0') {
        return false;
    }
    while (i < strText.size() && IsBlank(strText[i])) {
        ++i;
    }
    if (i != strText.size()) {
        return false;
    }
    if (bNegative) {
        llValue = -llValue;
    }
    if (llValue > INT32_MAX) {
        llValue = INT32_MAX;
    } else if (llValue < INT32_MIN) {
        llValue = INT32_MIN;
    }
    nValue = static_cast<int32_t>(llValue);
    return true;
}

int HexDigitValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    return -1;
}
