#include "link/NodeCodec.h"

#include "link/NodeProtocol.h"
#include "platform/NumberText.h"

#include <cstring>

std::string MacToText(const uint8_t* pMac) {
    // Every reply goes through here: no format parsing per byte.
    static constexpr char s_szHex[] = "0123456789ABCDEF";
    std::string strMac(12, '0');
    for (size_t i = 0; i < 6; ++i) {
        strMac[2 * i] = s_szHex[pMac[i] >> 4];
        strMac[2 * i + 1] = s_szHex[pMac[i] & 0x0F];
    }
    return strMac;
}

void TextToMac(const std::string& strMac, uint8_t* pMac) {
    std::memset(pMac, 0, 6);
    size_t nPos = 0;
    for (int i = 0; i < 6; ++i) {
        int nValue = 0;
        int nDigits = 0;
        while (nDigits < 2 && nPos < strMac.size() && HexDigitValue(strMac[nPos]) >= 0) {
            nValue = nValue * 16 + HexDigitValue(strMac[nPos]);
            ++nPos;
            ++nDigits;
        }
        if (nDigits == 0) {
            return; // like a scan that stops at the first character it cannot read
        }
        pMac[i] = static_cast<uint8_t>(nValue);
    }
}

uint8_t ModelCodeFromIndex(int nModel) {
    return nModel == MODEL_INDEX_MRV620 ? MODEL_CODE_MRV620 : 0x00;
}

int ModelIndexFromCode(uint8_t /*byCode*/) {
    // One model: responses are never refused for their model code.
    return MODEL_INDEX_MRV620;
}
