#include "SimFaults.h"

#include <cstdio>
#include <sstream>

namespace {
bool ReadOnOff(const std::string& str, bool& b) {
    if (str == "on" || str == "1" || str == "yes") {
        b = true;
        return true;
    }
    if (str == "off" || str == "0" || str == "no") {
        b = false;
        return true;
    }
    return false;
}

bool ReadNumber(const std::string& str, unsigned nMax, unsigned& n, int nBase = 10) {
    if (str.empty() || str.size() > 9) {
        return false;
    }
    unsigned long nValue = 0;
    for (char c : str) {
        int nDigit = (c >= '0' && c <= '9')                  ? c - '0'
                     : (nBase == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                     : (nBase == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                             : -1;
        if (nDigit < 0) {
            return false;
        }
        nValue = nValue * unsigned(nBase) + unsigned(nDigit);
    }
    if (nValue > nMax) {
        return false;
    }
    n = unsigned(nValue);
    return true;
}
} // namespace

bool SSimFaults::Set(const std::string& strName, const std::string& strValue,
                     std::string& strError) {
    std::istringstream in(strValue);
    std::string strA, strB, strRest;
    in >> strA >> strB >> strRest;
    bool bOk = false;
    unsigned nA = 0, nB = 0;
    if (strName == "clear") {
        *this = SSimFaults{};
        bOk = strA.empty();
    } else if (strName == "silent") {
        bOk = strB.empty() && ReadOnOff(strA, bSilent);
    } else if (strName == "drop") {
        bOk = strB.empty() && ReadNumber(strA, 100, nDropPercent);
        nDropCredit = 0;
    } else if (strName == "result") {
        bOk = strRest.empty() && ReadNumber(strA, 0xFFFF, nA, 16) && ReadNumber(strB, 0xFF, nB, 16);
        if (bOk && nB == 0) {
            mapResult.erase(uint16_t(nA));
        } else if (bOk) {
            mapResult[uint16_t(nA)] = uint8_t(nB);
        }
    } else if (strName == "delay") {
        bOk = strB.empty() && ReadNumber(strA, 600000, nDelayMs);
    } else if (strName == "duplicate") {
        bOk = strB.empty() && ReadNumber(strA, 100, nDuplicates);
    } else if (strName == "late") {
        bOk = strRest.empty() && ReadNumber(strA, 0xFFFF, nA, 16) && ReadNumber(strB, 600000, nB);
        if (bOk && nB == 0) {
            mapLate.erase(uint16_t(nA));
        } else if (bOk) {
            mapLate[uint16_t(nA)] = nB;
        }
    } else if (strName == "nomode0") {
        bOk = strB.empty() && ReadOnOff(strA, bNoMode0Reply);
    } else if (strName == "nologin") {
        bOk = strB.empty() && ReadOnOff(strA, bNoLogin);
    } else if (strName == "nostor") {
        bOk = strB.empty() && ReadOnOff(strA, bNoStor);
    } else if (strName == "ignore") {
        bool bOn = false;
        bOk = strRest.empty() && ReadNumber(strA, 0xFFFF, nA, 16) && ReadOnOff(strB, bOn);
        if (bOk && bOn) {
            setIgnore.insert(uint16_t(nA));
        } else if (bOk) {
            setIgnore.erase(uint16_t(nA));
        }
    } else if (strName == "slow") {
        bOk = strB.empty() && ReadNumber(strA, 600000, nSlowMs);
    } else {
        strError = "unknown fault " + strName;
        return false;
    }
    if (!bOk) {
        strError = "bad value for fault " + strName;
    }
    return bOk;
}

std::string SSimFaults::Format() const {
    std::string str;
    char sz[48];
    auto add = [&str](const std::string& strPart) {
        if (!str.empty()) {
            str += ' ';
        }
        str += strPart;
    };
    if (bSilent) {
        add("silent");
    }
    if (nDropPercent > 0) {
        add("drop=" + std::to_string(nDropPercent));
    }
    for (const auto& [wCode, byResult] : mapResult) {
        std::snprintf(sz, sizeof sz, "result=%04X:%02X", wCode, byResult);
        add(sz);
    }
    if (nDelayMs > 0) {
        add("delay=" + std::to_string(nDelayMs));
    }
    if (nDuplicates > 0) {
        add("duplicate=" + std::to_string(nDuplicates));
    }
    for (const auto& [wCode, nMs] : mapLate) {
        std::snprintf(sz, sizeof sz, "late=%04X:%u", wCode, nMs);
        add(sz);
    }
    if (bNoMode0Reply) {
        add("nomode0");
    }
    if (bNoLogin) {
        add("nologin");
    }
    if (bNoStor) {
        add("nostor");
    }
    for (uint16_t wCode : setIgnore) {
        std::snprintf(sz, sizeof sz, "ignore=%04X", wCode);
        add(sz);
    }
    if (nSlowMs > 0) {
        add("slow=" + std::to_string(nSlowMs));
    }
    return str.empty() ? "none" : str;
}

bool SSimFaults::TakeDrop() {
    if (nDropPercent == 0) {
        return false;
    }
    nDropCredit += nDropPercent;
    if (nDropCredit >= 100) {
        nDropCredit -= 100;
        return true;
    }
    return false;
}
