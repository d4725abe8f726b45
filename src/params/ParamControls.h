#pragma once
#include "ui/DialogModel.h"

// Control ids of the parameter dialogs: the default-parameter page, the node
// settings dialog and the three sub-dialogs both open. OK and Cancel buttons
// use DIALOG_OK and DIALOG_CANCEL (ui/DialogModel.h) as command ids.

// Default-parameter page (CProp100X).
inline constexpr int IDC_PRM_OWN_PORT = 1127;      // digits, integer field, 5
inline constexpr int IDC_PRM_DEST_IP = 1128;       // dotted address, 15
inline constexpr int IDC_PRM_DEST_PORT = 1129;     // digits, integer field, 5
inline constexpr int IDC_PRM_CONNECT_TIMER = 1135; // digits, number text, 3
inline constexpr int IDC_PRM_MTU = 1150;           // digits, number text, 4
inline constexpr int IDC_PRM_AUTONEGO = 1164;
inline constexpr int IDC_PRM_COMM_TRIGGER = 1137;
inline constexpr int IDC_PRM_NOCOMM_TIMER = 1138; // digits, integer field, 3
inline constexpr int IDC_PRM_USER_NAME = 1139;    // 15
inline constexpr int IDC_PRM_PASSWORD = 1140;     // 15, shown in clear
inline constexpr int IDC_PRM_FILE_TERM = 1141;    // hex edit, 4
inline constexpr int IDC_PRM_KEEPALIVE = 1151;    // digits, number text, 3
inline constexpr int IDC_PRM_BAUD_RATE = 1130;
inline constexpr int IDC_PRM_DATA_BITS = 1131;
inline constexpr int IDC_PRM_STOP_BITS = 1132;
inline constexpr int IDC_PRM_PARITY = 1133;
inline constexpr int IDC_PRM_FLOW_CONTROL = 1134;
inline constexpr int IDC_PRM_RECORD_TERM = 1146; // hex edit, 4
inline constexpr int IDC_PRM_CONN_NOTIFY = 1163;
inline constexpr int IDC_PRM_CONN_WATCH = 1165;
inline constexpr int IDC_PRM_IDLE_TIMER = 1148;   // digits, number text, 4
inline constexpr int IDC_PRM_LAN_PROTOCOL = 1142; // 12
inline constexpr int IDC_PRM_RS_PROTOCOL = 1143;  // 12
inline constexpr int IDC_PRM_BOOTP = 1144;
inline constexpr int IDC_PRM_DHCP = 1145;
inline constexpr int IDC_PRM_START_PROGRAMS = 1136; // button "設定画面"
inline constexpr int IDC_PRM_GENERAL_ITEMS = 1147;  // button "設定画面"
inline constexpr int IDC_PRM_SNMP = 1149;           // button "設定画面"
inline constexpr int IDC_PRM_GROUP_LAN = CTL_GROUP_FIRST;
inline constexpr int IDC_PRM_GROUP_SERIAL = CTL_GROUP_FIRST + 1;
inline constexpr int IDC_PRM_GROUP_SYSTEM = CTL_GROUP_FIRST + 2;
// The page itself, a tab of the sheet; its caption is the tab's.
inline constexpr int IDC_PRM_PAGE = CTL_GROUP_FIRST + 3;
// The sheet's Apply button (OK and Cancel are DIALOG_OK and DIALOG_CANCEL).
inline constexpr int IDC_SHEET_APPLY = 12321;

// Node settings dialog (CParamEditor).
inline constexpr int IDC_PED_OWN_IP = 1039;        // dotted address, 15
inline constexpr int IDC_PED_OWN_PORT = 1027;      // digits, integer field, 5
inline constexpr int IDC_PED_DEST_IP = 1032;       // dotted address, 15
inline constexpr int IDC_PED_DEST_PORT = 1033;     // digits, integer field, 5
inline constexpr int IDC_PED_SUBNET_MASK = 1040;   // dotted address, 15
inline constexpr int IDC_PED_GATEWAY = 1046;       // dotted address, 15
inline constexpr int IDC_PED_KEEPALIVE = 1048;     // digits, integer field, 3
inline constexpr int IDC_PED_CONNECT_TIMER = 1041; // digits, integer field, 3
inline constexpr int IDC_PED_COMM_TRIGGER = 1024;
inline constexpr int IDC_PED_NOCOMM_TIMER = 1025; // any characters, number text, 3
inline constexpr int IDC_PED_USER_NAME = 1030;    // 15
inline constexpr int IDC_PED_PASSWORD = 1031;     // 15, shown in clear
inline constexpr int IDC_PED_FILE_TERM = 1026;    // hex edit, 4
inline constexpr int IDC_PED_AUTONEGO = 1047;
inline constexpr int IDC_PED_MTU = 1050; // digits, integer field, 4
inline constexpr int IDC_PED_BAUD_RATE = 1034;
inline constexpr int IDC_PED_DATA_BITS = 1035;
inline constexpr int IDC_PED_STOP_BITS = 1036;
inline constexpr int IDC_PED_PARITY = 1037;
inline constexpr int IDC_PED_FLOW_CONTROL = 1038;
inline constexpr int IDC_PED_CONN_NOTIFY = 1051;
inline constexpr int IDC_PED_CONN_WATCH = 1052;
inline constexpr int IDC_PED_IDLE_TIMER = 1053;   // digits, integer field, 4
inline constexpr int IDC_PED_RECORD_TERM = 1045;  // hex edit, 4
inline constexpr int IDC_PED_LAN_PROTOCOL = 1028; // 12
inline constexpr int IDC_PED_RS_PROTOCOL = 1029;  // 12
inline constexpr int IDC_PED_BOOTP = 1044;
inline constexpr int IDC_PED_DHCP = 1043;
inline constexpr int IDC_PED_START_PROGRAMS = 1049; // button "設定画面"
inline constexpr int IDC_PED_GENERAL_ITEMS = 1055;  // button "設定画面"
inline constexpr int IDC_PED_SNMP = 1054;           // button "設定画面"
inline constexpr int IDC_PED_MODE_LABEL = 1072;
inline constexpr int IDC_PED_MODE = 1042;        // read-only operation mode text
inline constexpr int IDC_PED_OUTSIDE_NET = 1058; // check box "ﾈｯﾄﾜｰｸ外"
inline constexpr int IDC_PED_SEND = 1086;        // "送信": validate and end with OK
inline constexpr int IDC_PED_GROUP_LAN = CTL_GROUP_FIRST;
inline constexpr int IDC_PED_GROUP_SERIAL = CTL_GROUP_FIRST + 1;
inline constexpr int IDC_PED_GROUP_SYSTEM = CTL_GROUP_FIRST + 2;

// SNMP sub-dialog (CSnmpDlg).
inline constexpr int IDC_SNMP_ENABLE = 1184;
inline constexpr int IDC_SNMP_AUTH_TRAP = 1185;
inline constexpr int IDC_SNMP_TRAP_IP = 1175;        // 15
inline constexpr int IDC_SNMP_OBJECT_ID = 1176;      // 15
inline constexpr int IDC_SNMP_GET_COMMUNITY = 1177;  // 15
inline constexpr int IDC_SNMP_SET_COMMUNITY = 1178;  // 15
inline constexpr int IDC_SNMP_TRAP_COMMUNITY = 1179; // 15
inline constexpr int IDC_SNMP_CONTACT = 1180;        // 64
inline constexpr int IDC_SNMP_LOCATION = 1181;       // 64
inline constexpr int IDC_SNMP_NAME = 1182;           // 64

// Start program names (CStartProgramDlg), limit 12: names 1-8 on 1050-1057,
// names 9-16 on 1059-1066.
inline constexpr int IDC_STARTPRG_FIRST = 1050;
inline constexpr int IDC_STARTPRG_NINTH = 1059;
inline constexpr int StartProgramControlId(int nIndex) { // 0-based
    return nIndex < 8 ? IDC_STARTPRG_FIRST + nIndex : IDC_STARTPRG_NINTH + nIndex - 8;
}

// General items (CGeneralItemsDlg), limit 15: items 1-8 on 1147-1154; items 9
// and 10 exist hidden and disabled and are never filled or read.
inline constexpr int IDC_GENITEM_FIRST = 1147;
inline constexpr int IDC_GENITEM_9 = 1155;
inline constexpr int IDC_GENITEM_10 = 1156;
inline constexpr int GeneralItemControlId(int nIndex) {
    return IDC_GENITEM_FIRST + nIndex;
} // 0-based

// Edit limits (characters the controls accept).
inline constexpr int PRM_ADDRESS_LIMIT = 15;
inline constexpr int PRM_PORT_LIMIT = 5;
inline constexpr int PRM_TIMER_LIMIT = 3;
inline constexpr int PRM_MTU_LIMIT = 4;
inline constexpr int PRM_IDLE_TIMER_LIMIT = 4;
inline constexpr int PRM_ACCOUNT_LIMIT = 15;
inline constexpr int PRM_TERMINATOR_LIMIT = 4;
inline constexpr int PRM_PROTOCOL_LIMIT = 12;
inline constexpr int PRM_START_PROGRAM_LIMIT = 12;
inline constexpr int PRM_GENERAL_ITEM_LIMIT = 15;
inline constexpr int PRM_SNMP_SHORT_LIMIT = 15;
inline constexpr int PRM_SNMP_LONG_LIMIT = 64;
