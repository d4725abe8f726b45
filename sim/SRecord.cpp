#include "SRecord.h"
#include "SimText.h"

#include <regex>
#include <vector>

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Address width in bytes of each record type; 0 marks a type that is not allowed.
size_t AddressBytes(char cType) {
    switch (cType) {
    case '0':
    case '1':
    case '5':
    case '9':
        return 2;
    case '2':
    case '6':
    case '8':
        return 3;
    case '3':
    case '7':
        return 4;
    default:
        return 0;
    }
}

void FindVersion(SSRecordImage& image) {
    // "V1.02", "v2.10" or a bare "1.02" that is not part of a longer number.
    static const std::regex s_re("(?:^|[^0-9.])[Vv]?([0-9]{1,3})\\.([0-9]{2})(?![0-9])");
    std::smatch m;
    std::string strPadded = " " + image.strHeader;
    if (std::regex_search(strPadded, m, s_re)) {
        int nMajor = std::stoi(m[1].str());
        if (nMajor <= 127) {
            image.nMajor = nMajor;
            image.nMinor = std::stoi(m[2].str());
        }
    }
}
} // namespace

SSRecordImage SRecordParse(const std::string& strText) {
    SSRecordImage image;
    size_t nLineNo = 0;
    unsigned nSum16 = 0;
    auto fail = [&](const std::string& strWhy) {
        image.bValid = false;
        image.strError = "line " + std::to_string(nLineNo) + ": " + strWhy;
        return image;
    };
    for (const std::string& strLine : SimSplitLines(strText)) {
        ++nLineNo;
        if (strLine.empty()) {
            continue;
        }
        if (strLine.size() < 4 || strLine[0] != 'S') {
            return fail("not an S-record");
        }
        char cType = strLine[1];
        size_t nAddress = AddressBytes(cType);
        if (nAddress == 0) {
            return fail("unknown record type");
        }
        if ((strLine.size() - 2) % 2 != 0) {
            return fail("odd number of digits");
        }
        std::vector<uint8_t> vecBytes;
        for (size_t i = 2; i < strLine.size(); i += 2) {
            int nHigh = HexValue(strLine[i]);
            int nLow = HexValue(strLine[i + 1]);
            if (nHigh < 0 || nLow < 0) {
                return fail("not hexadecimal");
            }
            vecBytes.push_back(uint8_t(nHigh * 16 + nLow));
        }
        size_t nCount = vecBytes[0];
        if (nCount != vecBytes.size() - 1) {
            return fail("byte count does not match");
        }
        if (nCount < nAddress + 1) {
            return fail("record too short");
        }
        unsigned nSum = 0;
        for (size_t i = 0; i + 1 < vecBytes.size(); ++i) {
            nSum += vecBytes[i];
        }
        if (uint8_t(~nSum) != vecBytes.back()) {
            return fail("checksum error");
        }
        size_t nDataStart = 1 + nAddress;
        size_t nDataEnd = vecBytes.size() - 1;
        if (cType == '0') {
            image.strHeader.assign(vecBytes.begin() + long(nDataStart),
                                   vecBytes.begin() + long(nDataEnd));
            while (!image.strHeader.empty() && image.strHeader.back() == '\0') {
                image.strHeader.pop_back();
            }
        } else if (cType >= '1' && cType <= '3') {
            for (size_t i = nDataStart; i < nDataEnd; ++i) {
                nSum16 += vecBytes[i];
            }
            image.nDataBytes += nDataEnd - nDataStart;
        }
    }
    if (image.nDataBytes == 0) {
        ++nLineNo;
        return fail("no data records");
    }
    image.bValid = true;
    image.wSum = uint16_t(nSum16);
    FindVersion(image);
    return image;
}
