#include "params/ParamValidation.h"

#include "params/ParamControls.h"
#include "platform/HostAddress.h"
#include "platform/IpText.h"
#include "platform/NumberText.h"
#include "res/Texts.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>

namespace {
constexpr char BROADCAST_TEXT[] = "255.255.255.255";

SCheck Fail(const char* pszMessage, int nId) {
    return SCheck{pszMessage, nId};
}

uint32_t FirstOctet(uint32_t dwIp) {
    return dwIp >> 24;
}

// Destination: parses with a first octet other than 0, or is the broadcast text.
bool RuleD(const std::string& strText) {
    uint32_t dwIp = ParseIpHost(strText);
    return (dwIp != IP_NONE && FirstOctet(dwIp) != 0) || strText == BROADCAST_TEXT;
}

// Host: parses with a first octet other than 0, 127 and 255.
bool RuleH(const std::string& strText) {
    uint32_t dwIp = ParseIpHost(strText);
    uint32_t dwFirst = FirstOctet(dwIp);
    return dwIp != IP_NONE && dwFirst != 0 && dwFirst != 127 && dwFirst != 255;
}

// Parse only: the form is all that counts.
bool RuleP(const std::string& strText) {
    uint32_t dwIp = 0;
    return ParseDottedAddress(strText, dwIp);
}

bool InRange16(int32_t nValue, int nMin, int nMax) {
    int16_t n = static_cast<int16_t>(nValue);
    return n >= nMin && n <= nMax;
}

bool PortInRange(int32_t nValue) {
    return static_cast<uint32_t>(nValue) <= 65535u;
}

// The framework's exchange of the integer fields, in the dialog's field order.
using IntField = std::pair<const std::string*, int>;
SCheck ExchangeIntFields(std::initializer_list<IntField> fields) {
    for (const auto& [pText, nId] : fields) {
        int32_t nValue = 0;
        if (!ExchangeInt(*pText, nValue)) {
            return Fail(TXT_PRM_NOT_INTEGER, nId);
        }
    }
    return SCheck::Pass();
}

int32_t IntOf(const std::string& strText) {
    int32_t nValue = 0;
    ExchangeInt(strText, nValue);
    return nValue;
}
} // namespace

SCheck ValidateParamPage(const SParamPageTexts& t, bool bApply) {
    SCheck check = ExchangeIntFields({{&t.strOwnPort, IDC_PRM_OWN_PORT},
                                      {&t.strDestPort, IDC_PRM_DEST_PORT},
                                      {&t.strNoCommTimer, IDC_PRM_NOCOMM_TIMER}});
    if (!check.Ok()) {
        return check;
    }
    if (!RuleD(t.strDestIp)) {
        return Fail(TXT_PRM_BAD_DEST_IP, IDC_PRM_DEST_IP);
    }
    if (!InRange16(ParseLeadingInt(t.strConnectTimer), 2, 120)) {
        return Fail(TXT_PRM_BAD_CONNECT_TIMER, IDC_PRM_CONNECT_TIMER);
    }
    if (!InRange16(ParseLeadingInt(t.strKeepAlive), 0, 240)) {
        return Fail(TXT_PRM_BAD_KEEPALIVE, IDC_PRM_KEEPALIVE);
    }
    if (bApply && !InRange16(IntOf(t.strNoCommTimer), 0, 240)) {
        return Fail(TXT_PRM_BAD_NOCOMM_TIMER, IDC_PRM_NOCOMM_TIMER);
    }
    if (!InRange16(ParseLeadingInt(t.strMtu), 514, 1500)) {
        return Fail(TXT_PRM_PAGE_BAD_MTU, IDC_PRM_MTU);
    }
    if (!PortInRange(IntOf(t.strDestPort))) {
        return Fail(TXT_PRM_PAGE_BAD_DEST_PORT, IDC_PRM_DEST_PORT);
    }
    if (!PortInRange(IntOf(t.strOwnPort))) {
        return Fail(TXT_PRM_PAGE_BAD_OWN_PORT, IDC_PRM_OWN_PORT);
    }
    return SCheck::Pass();
}

SCheck ValidateParamEditor(const SParamTexts& t, const PcAddressFn& fnPcAddress) {
    SCheck check = ExchangeIntFields({{&t.strOwnPort, IDC_PED_OWN_PORT},
                                      {&t.strDestPort, IDC_PED_DEST_PORT},
                                      {&t.strKeepAlive, IDC_PED_KEEPALIVE},
                                      {&t.strConnectTimer, IDC_PED_CONNECT_TIMER},
                                      {&t.strMtu, IDC_PED_MTU},
                                      {&t.strIdleTimer, IDC_PED_IDLE_TIMER}});
    if (!check.Ok()) {
        return check;
    }
    if (!RuleP(t.strSubnetMask)) {
        return Fail(TXT_PRM_BAD_SUBNET_MASK, IDC_PED_SUBNET_MASK);
    }
    if (!RuleD(t.strDestIp)) {
        return Fail(TXT_PRM_BAD_DEST_IP, IDC_PED_DEST_IP);
    }
    if (!RuleH(t.strOwnIp)) {
        return Fail(TXT_PRM_BAD_OWN_IP, IDC_PED_OWN_IP);
    }
    if (fnPcAddress) {
        const uint32_t dwOwnIp = ParseIpHost(t.strOwnIp);
        const std::vector<uint32_t> vecPc = fnPcAddress(dwOwnIp);
        if (std::find(vecPc.begin(), vecPc.end(), dwOwnIp) != vecPc.end()) {
            return Fail(TXT_PRM_OWN_IP_IS_PC, IDC_PED_OWN_IP);
        }
    }
    if (!RuleH(t.strGateway)) {
        return Fail(TXT_PRM_BAD_GATEWAY, IDC_PED_GATEWAY);
    }
    if (!InRange16(IntOf(t.strConnectTimer), 2, 120)) {
        return Fail(TXT_PRM_BAD_CONNECT_TIMER, IDC_PED_CONNECT_TIMER);
    }
    if (!InRange16(ParseLeadingInt(t.strNoCommTimer), 0, 240)) {
        return Fail(TXT_PRM_BAD_NOCOMM_TIMER, IDC_PED_NOCOMM_TIMER);
    }
    if (!InRange16(IntOf(t.strKeepAlive), 0, 240)) {
        return Fail(TXT_PRM_BAD_KEEPALIVE, IDC_PED_KEEPALIVE);
    }
    if (!InRange16(IntOf(t.strMtu), 512, 1500)) {
        return Fail(TXT_PRM_EDIT_BAD_MTU, IDC_PED_MTU);
    }
    if (!PortInRange(IntOf(t.strOwnPort))) {
        return Fail(TXT_PRM_EDIT_BAD_OWN_PORT, IDC_PED_OWN_PORT);
    }
    if (!PortInRange(IntOf(t.strDestPort))) {
        return Fail(TXT_PRM_EDIT_BAD_DEST_PORT, IDC_PED_DEST_PORT);
    }
    return SCheck::Pass();
}

SCheck ValidateParamEditor(const SParamTexts& texts) {
    return ValidateParamEditor(texts, GetPcAddresses);
}

SCheck ValidateSnmp(const SSnmpTexts& t) {
    if (!RuleP(t.strTrapIp)) {
        return Fail(TXT_PRM_BAD_TRAP_IP, IDC_SNMP_TRAP_IP);
    }
    if (t.strGetCommunity.empty()) {
        return Fail(TXT_PRM_BAD_GET_COMMUNITY, IDC_SNMP_GET_COMMUNITY);
    }
    if (t.strSetCommunity.empty()) {
        return Fail(TXT_PRM_BAD_SET_COMMUNITY, IDC_SNMP_SET_COMMUNITY);
    }
    if (t.strTrapCommunity.empty()) {
        return Fail(TXT_PRM_BAD_TRAP_COMMUNITY, IDC_SNMP_TRAP_COMMUNITY);
    }
    return SCheck::Pass();
}
