#pragma once
// Texts of the node settings dialog.

inline constexpr char TXT_PED_TEMPLATE_TITLE[] = "MRV-620ｼﾘｰｽﾞの設定";
inline constexpr char TXT_PED_TITLE_SET[] = "MRV-620ｼﾘｰｽﾞの個別設定";
inline constexpr char TXT_PED_TITLE_GET[] = "MRV-620ｼﾘｰｽﾞの設定取得";
inline constexpr char TXT_PED_SEND[] = "送信";
inline constexpr char TXT_PED_CANCEL[] = "ｷｬﾝｾﾙ";
inline constexpr char TXT_PED_BACK[] = "戻る";
inline constexpr char TXT_PED_MODE_LABEL[] = "動作ﾓｰﾄﾞ\n(取得のみ)";
inline constexpr char TXT_PED_OUTSIDE_NET[] = "ﾈｯﾄﾜｰｸ外";

// Groups and the labels beside the controls.
inline constexpr char TXT_PED_GROUP_LAN[] = "LAN設定";
inline constexpr char TXT_PED_GROUP_SERIAL[] = "ｼﾘｱﾙ設定";
inline constexpr char TXT_PED_GROUP_SYSTEM[] = "ｼｽﾃﾑ設定";
inline constexpr char TXT_PED_LBL_OWN_IP[] = "自IPｱﾄﾞﾚｽ";
inline constexpr char TXT_PED_LBL_OWN_PORT[] = "自ﾎﾟｰﾄ番号";
inline constexpr char TXT_PED_LBL_DEST_IP[] = "宛先IPｱﾄﾞﾚｽ";
inline constexpr char TXT_PED_LBL_DEST_PORT[] = "宛先ﾎﾟｰﾄ番号";
inline constexpr char TXT_PED_LBL_SUBNET_MASK[] = "ｻﾌﾞﾈｯﾄﾏｽｸ";
inline constexpr char TXT_PED_LBL_GATEWAY[] = "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽ";
inline constexpr char TXT_PED_LBL_KEEPALIVE[] = "ｷｰﾌﾟｱﾗｲﾌﾞﾀｲﾏ";
inline constexpr char TXT_PED_LBL_CONNECT_TIMER[] = "ｺﾈｸﾄﾀｲﾏ";
inline constexpr char TXT_PED_LBL_COMM_TRIGGER[] = "通信ﾄﾘｶﾞﾌﾗｸﾞ";
inline constexpr char TXT_PED_LBL_NOCOMM_TIMER[] = "無通信監視ﾀｲﾏ";
inline constexpr char TXT_PED_LBL_USER_NAME[] = "ﾕｰｻﾞ名";
inline constexpr char TXT_PED_LBL_PASSWORD[] = "ﾊﾟｽﾜｰﾄﾞ";
inline constexpr char TXT_PED_LBL_FILE_TERM[] = "ﾌｧｲﾙﾀｰﾐﾈｰﾀ";
inline constexpr char TXT_PED_LBL_AUTONEGO[] = "ｵｰﾄﾈｺﾞｼｴｰｼｮﾝ";
inline constexpr char TXT_PED_LBL_MTU[] = "MTU値";
inline constexpr char TXT_PED_LBL_BAUD_RATE[] = "ﾎﾞｰﾚｰﾄ";
inline constexpr char TXT_PED_LBL_DATA_BITS[] = "ﾃﾞｰﾀ長";
inline constexpr char TXT_PED_LBL_STOP_BITS[] = "ｽﾄｯﾌﾟﾋﾞｯﾄ";
inline constexpr char TXT_PED_LBL_PARITY[] = "ﾊﾟﾘﾃｨ";
inline constexpr char TXT_PED_LBL_FLOW_CONTROL[] = "ﾌﾛｰ制御";
inline constexpr char TXT_PED_LBL_CONN_NOTIFY[] = "ｺﾈｸｼｮﾝ情報通知";
inline constexpr char TXT_PED_LBL_CONN_WATCH[] = "ｺﾈｸｼｮﾝ監視";
inline constexpr char TXT_PED_LBL_IDLE_TIMER[] = "ｱｲﾄﾞﾙﾀｲﾏ";
inline constexpr char TXT_PED_LBL_RECORD_TERM[] = "ﾚｺｰﾄﾞﾀｰﾐﾈｰﾀ";
inline constexpr char TXT_PED_LBL_LAN_PROTOCOL[] = "LANﾃﾞﾌｫﾙﾄﾌﾟﾛﾄｺﾙ";
inline constexpr char TXT_PED_LBL_RS_PROTOCOL[] = "RSﾃﾞﾌｫﾙﾄﾌﾟﾛﾄｺﾙ";
inline constexpr char TXT_PED_LBL_BOOTP[] = "BOOTP有効ﾌﾗｸﾞ";
inline constexpr char TXT_PED_LBL_DHCP[] = "DHCP有効ﾌﾗｸﾞ";
inline constexpr char TXT_PED_LBL_START_PROGRAMS[] = "起動ﾌﾟﾛｸﾞﾗﾑ名";
inline constexpr char TXT_PED_LBL_GENERAL_ITEMS[] = "汎用設定項目";
inline constexpr char TXT_PED_LBL_SNMP[] = "SNMP設定";
// The three buttons that open the sub-dialogs.
inline constexpr char TXT_PED_SUBDIALOG[] = "設定画面";
