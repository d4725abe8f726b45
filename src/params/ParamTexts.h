#pragma once
// The values of the parameter dialogs as the dialogs hold them: texts for the
// edits (integer fields too, before the framework's integer exchange), list
// indexes and flags as ints (-1: no selection). Texts are CP932 bytes.
#include "params/NodeParam.h"

#include <array>
#include <string>

// SNMP sub-dialog (CSnmpDlg).
struct SSnmpTexts {
    int nSnmp = 0;     // list "SNMP有効／無効"
    int nAuthTrap = 0; // list "ｺﾐｭﾆﾃｨ違反TRAP有効／無効"
    std::string strTrapIp;
    std::string strObjectId;
    std::string strGetCommunity;
    std::string strSetCommunity;
    std::string strTrapCommunity;
    std::string strContact;
    std::string strLocation;
    std::string strSysName;
};

// Node settings dialog (CParamEditor) with the values of its sub-dialogs.
struct SParamTexts {
    std::string strOwnIp;
    std::string strOwnPort; // integer field
    std::string strDestIp;
    std::string strDestPort; // integer field
    std::string strSubnetMask;
    std::string strGateway;
    std::string strKeepAlive;    // integer field
    std::string strConnectTimer; // integer field
    int nCommTrigger = 0;
    std::string strNoCommTimer; // number text
    std::string strUserName;
    std::string strPassword;
    std::string strFileTerm; // hex digits
    int nAutoNego = 0;
    std::string strMtu; // integer field
    int nBaudRate = 0;
    int nDataBits = 0;
    int nStopBits = 0;
    int nParity = 0;
    int nFlowControl = 0;
    int nConnNotify = 0;
    int nConnWatch = 0;
    std::string strIdleTimer;  // integer field
    std::string strRecordTerm; // hex digits
    std::string strLanProtocol;
    std::string strRsProtocol;
    int nBootp = 0;
    int nDhcp = 0;
    std::array<std::string, 16> arrStartProgram;
    std::array<std::string, 8> arrGeneralItem;
    SSnmpTexts snmp;
};

// Default-parameter page (CProp100X); its sub-dialogs copy straight to the record.
struct SParamPageTexts {
    std::string strOwnPort; // integer field
    std::string strDestIp;
    std::string strDestPort;     // integer field
    std::string strConnectTimer; // number text
    std::string strMtu;          // number text
    int nAutoNego = -1;
    int nCommTrigger = -1;
    std::string strNoCommTimer; // integer field
    std::string strUserName;
    std::string strPassword;
    std::string strFileTerm;  // hex digits
    std::string strKeepAlive; // number text
    int nBaudRate = -1;
    int nDataBits = -1;
    int nStopBits = -1;
    int nParity = -1;
    int nFlowControl = -1;
    std::string strRecordTerm; // hex digits
    int nConnNotify = -1;
    int nConnWatch = -1;
    std::string strIdleTimer; // number text
    std::string strLanProtocol;
    std::string strRsProtocol;
    int nBootp = -1;
    int nDhcp = -1;
};

// The node settings dialog's values from a record in host order: addresses
// dotted from the most significant byte down (the trap address byte by byte
// from the lowest address), numbers in decimal, terminators as "%02X" pairs.
SParamTexts RenderParamTexts(const NODEPARAM& param);

// A record from the dialog's values, starting from a copy of all 717 bytes of
// the defaults. Numbers keep their low-order bits; a terminator text counts
// with its first four hex digits only, the bytes behind its count stay as
// defParam holds them; texts are cut to the field width - 1.
NODEPARAM BuildParamFromTexts(const SParamTexts& texts, const NODEPARAM& defParam);

// The sub-dialogs' values into a record, as their OK stores them: each text
// field cleared to its width, then the text copied; the SNMP lists' indexes
// into their bytes and the trap text parsed into network order.
void StoreStartPrograms(NODEPARAM& param, const std::array<std::string, 16>& arrNames);
void StoreGeneralItems(NODEPARAM& param, const std::array<std::string, 8>& arrItems);
void StoreSnmp(NODEPARAM& param, const SSnmpTexts& snmp);

// The trap address, held in network order: dotted text of its bytes and back.
std::string FormatTrapIp(uint32_t dwTrapIp);
uint32_t ParseTrapIp(const std::string& strText);
