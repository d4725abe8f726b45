#include "SampleParam.h"

#include "params/ParamFields.h"

#include <cstring>
#include <string>

NODEPARAM SampleParam() {
    NODEPARAM p;
    std::memset(&p, 0, sizeof p);
    p.dwOwnIp = 0xC0A80A14u; // 192.168.10.20
    p.wOwnPort = 0x0102;
    p.dwDestIp = 0x0A000001u;  // 10.0.0.1
    p.wDestPort = 0x2711;      // 10001
    p.dwGateway = 0xC0A80A01u; // 192.168.10.1
    p.dwSubnetMask = 0xFFFFFF00u;
    p.byConnectTimer = 60;
    p.byCommTrigger = 1;
    p.byNoCommTimer = 240;
    SetTextField(p.szUserName, "user15-chars-ok"); // the whole field
    SetTextField(p.szPassword, "pass\x82\xA0");    // ends in a CP932 character
    p.byFileTermLen = 1;
    p.abFileTerm[0] = 0x1A;
    p.byBootp = 1;
    p.byDhcp = 1;
    p.byAutoNego = 2;
    p.byKeepAlive = 30;
    p.wMtu = 1500;
    p.bySnmp = 1;
    p.byAuthTrap = 1;
    const uint8_t abTrap[4] = {0x0A, 0x00, 0x00, 0x01}; // 10.0.0.1, network order
    std::memcpy(&p.dwTrapIp, abTrap, sizeof abTrap);
    SetTextField(p.szObjectId, "1.3.6.1");
    SetTextField(p.szGetCommunity, "get");
    SetTextField(p.szSetCommunity, "set");
    SetTextField(p.szTrapCommunity, "trap");
    SetTextField(p.szContact, std::string(64, 'C')); // the whole field
    SetTextField(p.szLocation, "room 1");
    SetTextField(p.szSysName, "node=1");
    p.byBaudRate = 13;
    p.byDataBits = 1;
    p.byParity = 2;
    p.byStopBits = 1;
    p.byFlowControl = 2;
    p.byRecordTermLen = 2;
    p.abRecordTerm[0] = 0x0D;
    p.abRecordTerm[1] = 0x0A;
    p.byConnNotify = 1;
    p.byConnWatch = 1;
    p.wIdleTimer = 0x1234;
    for (int i = 0; i < 16; ++i) {
        SetTextField(p.szStartProgram[i], "prog" + std::to_string(i));
    }
    for (int i = 0; i < 8; ++i) {
        SetTextField(p.szGeneralItem[i], "item;" + std::to_string(i));
    }
    SetTextField(p.szLanProtocol, "Telnet");
    SetTextField(p.szRsProtocol, "Modem");
    return p;
}
