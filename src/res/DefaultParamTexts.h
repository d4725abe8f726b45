#pragma once
// Texts of the default-parameter sheet, its page and the three sub-dialogs
// that the page and the node settings dialog both open.

// The sheet and its page.
inline constexpr char TXT_DPS_TITLE[] = "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀの設定";
inline constexpr char TXT_DPS_PAGE[] = "MRV-620ｼﾘｰｽﾞ";
inline constexpr char TXT_DPS_OK[] = "OK";
inline constexpr char TXT_DPS_CANCEL[] = "キャンセル";
inline constexpr char TXT_DPS_APPLY[] = "適用(&A)";

// Groups and the labels beside the page's controls.
inline constexpr char TXT_DPS_GROUP_LAN[] = "LAN設定";
inline constexpr char TXT_DPS_GROUP_SERIAL[] = "シリアル設定";
inline constexpr char TXT_DPS_GROUP_SYSTEM[] = "システム設定";
inline constexpr char TXT_DPS_LBL_OWN_PORT[] = "自ﾎﾟｰﾄ番号";
inline constexpr char TXT_DPS_LBL_DEST_IP[] = "宛先IPｱﾄﾞﾚｽ";
inline constexpr char TXT_DPS_LBL_DEST_PORT[] = "宛先ﾎﾟｰﾄ番号";
inline constexpr char TXT_DPS_LBL_CONNECT_TIMER[] = "ｺﾈｸﾄﾀｲﾏ";
inline constexpr char TXT_DPS_LBL_MTU[] = "MTU";
inline constexpr char TXT_DPS_LBL_AUTONEGO[] = "ｵｰﾄﾈｺﾞｼｴｰｼｮﾝ";
inline constexpr char TXT_DPS_LBL_COMM_TRIGGER[] = "通信ﾄﾘｶﾞﾌﾗｸﾞ";
inline constexpr char TXT_DPS_LBL_NOCOMM_TIMER[] = "無通信監視ﾀｲﾏ";
inline constexpr char TXT_DPS_LBL_USER_NAME[] = "ﾕｰｻﾞ名";
inline constexpr char TXT_DPS_LBL_PASSWORD[] = "ﾊﾟｽﾜｰﾄﾞ";
inline constexpr char TXT_DPS_LBL_FILE_TERM[] = "ﾌｧｲﾙﾀｰﾐﾈｰﾀ";
inline constexpr char TXT_DPS_LBL_KEEPALIVE[] = "ｷｰﾌﾟｱﾗｲﾌﾞﾀｲﾏ";
inline constexpr char TXT_DPS_LBL_BAUD_RATE[] = "ﾎﾞｰﾚｰﾄ";
inline constexpr char TXT_DPS_LBL_DATA_BITS[] = "ﾃﾞｰﾀ長";
inline constexpr char TXT_DPS_LBL_STOP_BITS[] = "ｽﾄｯﾌﾟﾋﾞｯﾄ";
inline constexpr char TXT_DPS_LBL_PARITY[] = "ﾊﾟﾘﾃｨ";
inline constexpr char TXT_DPS_LBL_FLOW_CONTROL[] = "ﾌﾛｰ制御";
inline constexpr char TXT_DPS_LBL_RECORD_TERM[] = "ﾚｺｰﾄﾞﾀｰﾐﾈｰﾀ";
inline constexpr char TXT_DPS_LBL_CONN_NOTIFY[] = "ｺﾈｸｼｮﾝ情報通知";
inline constexpr char TXT_DPS_LBL_CONN_WATCH[] = "ｺﾈｸｼｮﾝ監視";
inline constexpr char TXT_DPS_LBL_IDLE_TIMER[] = "ｱｲﾄﾞﾙﾀｲﾏ";
inline constexpr char TXT_DPS_LBL_LAN_PROTOCOL[] = "LANﾃﾞﾌｫﾙﾄﾌﾟﾛﾄｺﾙ";
inline constexpr char TXT_DPS_LBL_RS_PROTOCOL[] = "RSﾃﾞﾌｫﾙﾄﾌﾟﾛﾄｺﾙ";
inline constexpr char TXT_DPS_LBL_BOOTP[] = "BOOTP有効ﾌﾗｸﾞ";
inline constexpr char TXT_DPS_LBL_DHCP[] = "DHCP有効ﾌﾗｸﾞ";
inline constexpr char TXT_DPS_LBL_START_PROGRAMS[] = "起動ﾌﾟﾛｸﾞﾗﾑ名";
inline constexpr char TXT_DPS_LBL_GENERAL_ITEMS[] = "汎用設定項目";
inline constexpr char TXT_DPS_LBL_SNMP[] = "SNMP設定";
// The three buttons that open the sub-dialogs.
inline constexpr char TXT_DPS_SUBDIALOG[] = "設定画面";

// Buttons of the sub-dialogs.
inline constexpr char TXT_SUB_OK[] = "OK";
inline constexpr char TXT_SUB_CANCEL[] = "ｷｬﾝｾﾙ";

// Start program names.
inline constexpr char TXT_STARTPRG_TITLE[] = "起動ﾌﾟﾛｸﾞﾗﾑ名設定";
inline constexpr const char* TXT_STARTPRG_LABELS[] = {
    "起動ﾌﾟﾛｸﾞﾗﾑ名 1", "起動ﾌﾟﾛｸﾞﾗﾑ名 2", "起動ﾌﾟﾛｸﾞﾗﾑ名 3", "起動ﾌﾟﾛｸﾞﾗﾑ名 4",
    "起動ﾌﾟﾛｸﾞﾗﾑ名 5", "起動ﾌﾟﾛｸﾞﾗﾑ名 6", "起動ﾌﾟﾛｸﾞﾗﾑ名 7", "起動ﾌﾟﾛｸﾞﾗﾑ名 8",
    "起動ﾌﾟﾛｸﾞﾗﾑ名 9", "起動ﾌﾟﾛｸﾞﾗﾑ名10", "起動ﾌﾟﾛｸﾞﾗﾑ名11", "起動ﾌﾟﾛｸﾞﾗﾑ名12",
    "起動ﾌﾟﾛｸﾞﾗﾑ名13", "起動ﾌﾟﾛｸﾞﾗﾑ名14", "起動ﾌﾟﾛｸﾞﾗﾑ名15", "起動ﾌﾟﾛｸﾞﾗﾑ名16"};

// General items; the last two exist hidden and unused.
inline constexpr char TXT_GENITEM_TITLE[] = "汎用設定項目のﾀﾞｲｱﾛｸﾞ";
inline constexpr const char* TXT_GENITEM_LABELS[] = {
    "汎用設定項目1", "汎用設定項目2", "汎用設定項目3", "汎用設定項目4", "汎用設定項目5",
    "汎用設定項目6", "汎用設定項目7", "汎用設定項目8", "汎用設定項目9", "汎用設定項目10"};

// SNMP.
inline constexpr char TXT_SNMP_TITLE[] = "SNMP設定のﾀﾞｲｱﾛｸﾞ";
inline constexpr char TXT_SNMP_LBL_ENABLE[] = "SNMP有効／無効";
inline constexpr char TXT_SNMP_LBL_AUTH_TRAP[] = "ｺﾐｭﾆﾃｨ違反TRAP有効／無効";
inline constexpr char TXT_SNMP_LBL_TRAP_IP[] = "TRAP先IP";
inline constexpr char TXT_SNMP_LBL_OBJECT_ID[] = "識別番号";
inline constexpr char TXT_SNMP_LBL_GET_COMMUNITY[] = "GET用ｺﾐｭﾆﾃｨ名";
inline constexpr char TXT_SNMP_LBL_SET_COMMUNITY[] = "SET用ｺﾐｭﾆﾃｨ名";
inline constexpr char TXT_SNMP_LBL_TRAP_COMMUNITY[] = "TRAP用ｺﾐｭﾆﾃｨ名";
inline constexpr char TXT_SNMP_LBL_CONTACT[] = "CONTACT";
inline constexpr char TXT_SNMP_LBL_LOCATION[] = "LOCATION";
inline constexpr char TXT_SNMP_LBL_NAME[] = "NAME";
