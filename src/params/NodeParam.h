#pragma once
// The node parameter record: 717 bytes, packed, numbers in host order.
#include <cstddef>
#include <cstdint>

// The address of a node that has none yet (192.168.200.254): a factory-fresh
// node's own address, the default of new nodes and of new networks' base.
inline constexpr uint32_t NODE_UNSET_IP = 0xC0A8C8FEu;

#pragma pack(push, 1)
struct NODEPARAM {
    uint32_t dwOwnIp;
    uint16_t wOwnPort;
    uint32_t dwDestIp;
    uint16_t wDestPort;
    uint32_t dwGateway;
    uint32_t dwSubnetMask;
    uint8_t byConnectTimer;
    uint8_t byCommTrigger;
    uint8_t byNoCommTimer;
    char szUserName[16];
    char szPassword[16];
    uint8_t byFileTermLen;
    uint8_t abFileTerm[2];
    uint8_t byBootp;
    uint8_t byDhcp;
    uint8_t byAutoNego;
    uint8_t byKeepAlive;
    uint16_t wMtu;
    uint8_t bySnmp;
    uint8_t byAuthTrap;
    uint32_t dwTrapIp; // network order in memory too: first octet at the lowest address
    char szObjectId[16];
    char szGetCommunity[16];
    char szSetCommunity[16];
    char szTrapCommunity[16];
    char szContact[65];
    char szLocation[65];
    char szSysName[65];
    uint8_t byBaudRate;
    uint8_t byDataBits;
    uint8_t byParity;
    uint8_t byStopBits;
    uint8_t byFlowControl;
    uint8_t byRecordTermLen;
    uint8_t abRecordTerm[2];
    uint8_t byConnNotify;
    uint8_t byConnWatch;
    uint16_t wIdleTimer;
    uint8_t abReserved1[12];
    char szStartProgram[16][13];
    char szLanProtocol[13];
    char szRsProtocol[13];
    char szGeneralItem[8][16];
    uint8_t byChecksum;
    uint8_t byReserved2;
};
#pragma pack(pop)

inline constexpr size_t NODEPARAM_SIZE = 717;
static_assert(sizeof(NODEPARAM) == NODEPARAM_SIZE);
static_assert(offsetof(NODEPARAM, dwOwnIp) == 0);
static_assert(offsetof(NODEPARAM, wOwnPort) == 4);
static_assert(offsetof(NODEPARAM, dwDestIp) == 6);
static_assert(offsetof(NODEPARAM, wDestPort) == 10);
static_assert(offsetof(NODEPARAM, dwGateway) == 12);
static_assert(offsetof(NODEPARAM, dwSubnetMask) == 16);
static_assert(offsetof(NODEPARAM, byConnectTimer) == 20);
static_assert(offsetof(NODEPARAM, byCommTrigger) == 21);
static_assert(offsetof(NODEPARAM, byNoCommTimer) == 22);
static_assert(offsetof(NODEPARAM, szUserName) == 23);
static_assert(offsetof(NODEPARAM, szPassword) == 39);
static_assert(offsetof(NODEPARAM, byFileTermLen) == 55);
static_assert(offsetof(NODEPARAM, abFileTerm) == 56);
static_assert(offsetof(NODEPARAM, byBootp) == 58);
static_assert(offsetof(NODEPARAM, byDhcp) == 59);
static_assert(offsetof(NODEPARAM, byAutoNego) == 60);
static_assert(offsetof(NODEPARAM, byKeepAlive) == 61);
static_assert(offsetof(NODEPARAM, wMtu) == 62);
static_assert(offsetof(NODEPARAM, bySnmp) == 64);
static_assert(offsetof(NODEPARAM, byAuthTrap) == 65);
static_assert(offsetof(NODEPARAM, dwTrapIp) == 66);
static_assert(offsetof(NODEPARAM, szObjectId) == 70);
static_assert(offsetof(NODEPARAM, szGetCommunity) == 86);
static_assert(offsetof(NODEPARAM, szSetCommunity) == 102);
static_assert(offsetof(NODEPARAM, szTrapCommunity) == 118);
static_assert(offsetof(NODEPARAM, szContact) == 134);
static_assert(offsetof(NODEPARAM, szLocation) == 199);
static_assert(offsetof(NODEPARAM, szSysName) == 264);
static_assert(offsetof(NODEPARAM, byBaudRate) == 329);
static_assert(offsetof(NODEPARAM, byDataBits) == 330);
static_assert(offsetof(NODEPARAM, byParity) == 331);
static_assert(offsetof(NODEPARAM, byStopBits) == 332);
static_assert(offsetof(NODEPARAM, byFlowControl) == 333);
static_assert(offsetof(NODEPARAM, byRecordTermLen) == 334);
static_assert(offsetof(NODEPARAM, abRecordTerm) == 335);
static_assert(offsetof(NODEPARAM, byConnNotify) == 337);
static_assert(offsetof(NODEPARAM, byConnWatch) == 338);
static_assert(offsetof(NODEPARAM, wIdleTimer) == 339);
static_assert(offsetof(NODEPARAM, abReserved1) == 341);
static_assert(offsetof(NODEPARAM, szStartProgram) == 353);
static_assert(offsetof(NODEPARAM, szLanProtocol) == 561);
static_assert(offsetof(NODEPARAM, szRsProtocol) == 574);
static_assert(offsetof(NODEPARAM, szGeneralItem) == 587);
static_assert(offsetof(NODEPARAM, byChecksum) == 715);
static_assert(offsetof(NODEPARAM, byReserved2) == 716);
