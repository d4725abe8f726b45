#include "params/ParamTexts.h"

#include "params/ParamFields.h"
#include "platform/IpText.h"
#include "platform/NumberText.h"

#include <cstdio>
#include <cstring>

namespace {
// An integer field's value; text the exchange refuses (kept out by the
// dialog's checks) is read as far as it is a number.
int32_t IntFieldValue(const std::string& strText) {
    int32_t nValue = 0;
    return ExchangeInt(strText, nValue) ? nValue : ParseLeadingInt(strText);
}

uint8_t ToByte(int32_t n) {
    return static_cast<uint8_t>(n);
}
uint16_t ToWord(int32_t n) {
    return static_cast<uint16_t>(n);
}
} // namespace

std::string FormatTrapIp(uint32_t dwTrapIp) {
    uint8_t ab[4];
    std::memcpy(ab, &dwTrapIp, sizeof ab);
    char sz[16];
    std::snprintf(sz, sizeof sz, "%d.%d.%d.%d", ab[0], ab[1], ab[2], ab[3]);
    return sz;
}

uint32_t ParseTrapIp(const std::string& strText) {
    uint32_t dwHost = ParseIpHost(strText);
    uint8_t ab[4] = {static_cast<uint8_t>(dwHost >> 24), static_cast<uint8_t>(dwHost >> 16),
                     static_cast<uint8_t>(dwHost >> 8), static_cast<uint8_t>(dwHost)};
    uint32_t dwTrapIp = 0;
    std::memcpy(&dwTrapIp, ab, sizeof ab);
    return dwTrapIp;
}

SParamTexts RenderParamTexts(const NODEPARAM& p) {
    SParamTexts t;
    t.strOwnIp = FormatIpHost(p.dwOwnIp);
    t.strOwnPort = std::to_string(p.wOwnPort);
    t.strDestIp = FormatIpHost(p.dwDestIp);
    t.strDestPort = std::to_string(p.wDestPort);
    t.strSubnetMask = FormatIpHost(p.dwSubnetMask);
    t.strGateway = FormatIpHost(p.dwGateway);
    t.strKeepAlive = std::to_string(p.byKeepAlive);
    t.strConnectTimer = std::to_string(p.byConnectTimer);
    t.nCommTrigger = p.byCommTrigger;
    t.strNoCommTimer = std::to_string(p.byNoCommTimer);
    t.strUserName = GetTextField(p.szUserName);
    t.strPassword = GetTextField(p.szPassword);
    t.strFileTerm = FormatTerminator(p.byFileTermLen, p.abFileTerm);
    t.nAutoNego = p.byAutoNego;
    t.strMtu = std::to_string(p.wMtu);
    t.nBaudRate = p.byBaudRate;
    t.nDataBits = p.byDataBits;
    t.nStopBits = p.byStopBits;
    t.nParity = p.byParity;
    t.nFlowControl = p.byFlowControl;
    t.nConnNotify = p.byConnNotify;
    t.nConnWatch = p.byConnWatch;
    t.strIdleTimer = std::to_string(p.wIdleTimer);
    t.strRecordTerm = FormatTerminator(p.byRecordTermLen, p.abRecordTerm);
    t.strLanProtocol = GetTextField(p.szLanProtocol);
    t.strRsProtocol = GetTextField(p.szRsProtocol);
    t.nBootp = p.byBootp;
    t.nDhcp = p.byDhcp;
    for (size_t i = 0; i < t.arrStartProgram.size(); ++i) {
        t.arrStartProgram[i] = GetTextField(p.szStartProgram[i]);
    }
    for (size_t i = 0; i < t.arrGeneralItem.size(); ++i) {
        t.arrGeneralItem[i] = GetTextField(p.szGeneralItem[i]);
    }
    t.snmp.nSnmp = p.bySnmp;
    t.snmp.nAuthTrap = p.byAuthTrap;
    t.snmp.strTrapIp = FormatTrapIp(p.dwTrapIp);
    t.snmp.strObjectId = GetTextField(p.szObjectId);
    t.snmp.strGetCommunity = GetTextField(p.szGetCommunity);
    t.snmp.strSetCommunity = GetTextField(p.szSetCommunity);
    t.snmp.strTrapCommunity = GetTextField(p.szTrapCommunity);
    t.snmp.strContact = GetTextField(p.szContact);
    t.snmp.strLocation = GetTextField(p.szLocation);
    t.snmp.strSysName = GetTextField(p.szSysName);
    return t;
}

void StoreStartPrograms(NODEPARAM& p, const std::array<std::string, 16>& arrNames) {
    for (size_t i = 0; i < arrNames.size(); ++i) {
        SetTextField(p.szStartProgram[i], arrNames[i]);
    }
}

void StoreGeneralItems(NODEPARAM& p, const std::array<std::string, 8>& arrItems) {
    for (size_t i = 0; i < arrItems.size(); ++i) {
        SetTextField(p.szGeneralItem[i], arrItems[i]);
    }
}

void StoreSnmp(NODEPARAM& p, const SSnmpTexts& snmp) {
    p.bySnmp = ToByte(snmp.nSnmp);
    p.byAuthTrap = ToByte(snmp.nAuthTrap);
    p.dwTrapIp = ParseTrapIp(snmp.strTrapIp);
    SetTextField(p.szObjectId, snmp.strObjectId);
    SetTextField(p.szGetCommunity, snmp.strGetCommunity);
    SetTextField(p.szSetCommunity, snmp.strSetCommunity);
    SetTextField(p.szTrapCommunity, snmp.strTrapCommunity);
    SetTextField(p.szContact, snmp.strContact);
    SetTextField(p.szLocation, snmp.strLocation);
    SetTextField(p.szSysName, snmp.strSysName);
}

NODEPARAM BuildParamFromTexts(const SParamTexts& t, const NODEPARAM& defParam) {
    NODEPARAM p = defParam; // supplies the reserved bytes
    p.dwOwnIp = ParseIpHost(t.strOwnIp);
    p.dwDestIp = ParseIpHost(t.strDestIp);
    p.dwGateway = ParseIpHost(t.strGateway);
    p.dwSubnetMask = ParseIpHost(t.strSubnetMask);

    p.wOwnPort = ToWord(IntFieldValue(t.strOwnPort));
    p.wDestPort = ToWord(IntFieldValue(t.strDestPort));
    p.byConnectTimer = ToByte(IntFieldValue(t.strConnectTimer));
    p.byKeepAlive = ToByte(IntFieldValue(t.strKeepAlive));
    p.wMtu = ToWord(IntFieldValue(t.strMtu));
    p.wIdleTimer = ToWord(IntFieldValue(t.strIdleTimer));
    p.byNoCommTimer = ToByte(ParseLeadingInt(t.strNoCommTimer));

    p.byCommTrigger = ToByte(t.nCommTrigger);
    p.byAutoNego = ToByte(t.nAutoNego);
    p.byBaudRate = ToByte(t.nBaudRate);
    p.byDataBits = ToByte(t.nDataBits);
    p.byStopBits = ToByte(t.nStopBits);
    p.byParity = ToByte(t.nParity);
    p.byFlowControl = ToByte(t.nFlowControl);
    p.byConnNotify = ToByte(t.nConnNotify);
    p.byConnWatch = ToByte(t.nConnWatch);
    p.byBootp = ToByte(t.nBootp);
    p.byDhcp = ToByte(t.nDhcp);

    SetTextField(p.szUserName, t.strUserName);
    SetTextField(p.szPassword, t.strPassword);
    StoreTerminator(t.strFileTerm, p.byFileTermLen, p.abFileTerm);
    StoreTerminator(t.strRecordTerm, p.byRecordTermLen, p.abRecordTerm);

    StoreStartPrograms(p, t.arrStartProgram);
    StoreGeneralItems(p, t.arrGeneralItem);
    StoreSnmp(p, t.snmp);

    SetTextField(p.szLanProtocol, t.strLanProtocol);
    SetTextField(p.szRsProtocol, t.strRsProtocol);
    return p;
}
