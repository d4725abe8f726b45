#pragma once
// Texts of the node parameters: validation messages and the items of the
// parameter dialogs' drop-down lists (item index = stored value).

// The framework's refusal of a non-integer text in an integer field.
inline constexpr char TXT_PRM_NOT_INTEGER[] = "整数を入力してください。";

// Shared by the default-parameter page and the node settings dialog.
inline constexpr char TXT_PRM_BAD_DEST_IP[] = "宛先IPｱﾄﾞﾚｽの値が異常です";
inline constexpr char TXT_PRM_BAD_CONNECT_TIMER[] = "ｺﾈｸﾄﾀｲﾏの値が異常です(2-120)";
inline constexpr char TXT_PRM_BAD_KEEPALIVE[] = "ｷｰﾌﾟｱﾗｲﾌﾞﾀｲﾏの値が異常です(0-240)";
inline constexpr char TXT_PRM_BAD_NOCOMM_TIMER[] = "無通信監視ﾀｲﾏの値が異常です(0-240)";

// Default-parameter page.
inline constexpr char TXT_PRM_PAGE_BAD_MTU[] = "MTUの値が異常です(514-1500)";
inline constexpr char TXT_PRM_PAGE_BAD_DEST_PORT[] = "宛先ﾎﾟｰﾄの値が異常です(0-65535)";
inline constexpr char TXT_PRM_PAGE_BAD_OWN_PORT[] = "自ﾎﾟｰﾄの値が異常です(0-65535)";

// Node settings dialog.
inline constexpr char TXT_PRM_BAD_SUBNET_MASK[] = "ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です";
inline constexpr char TXT_PRM_BAD_OWN_IP[] = "自IPｱﾄﾞﾚｽの値が異常です";
inline constexpr char TXT_PRM_OWN_IP_IS_PC[] = "自IPｱﾄﾞﾚｽがPCのIPｱﾄﾞﾚｽと重複しています";
inline constexpr char TXT_PRM_BAD_GATEWAY[] = "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽの値が異常です";
inline constexpr char TXT_PRM_EDIT_BAD_MTU[] = "MTU値が異常です(512-1500)";
inline constexpr char TXT_PRM_EDIT_BAD_OWN_PORT[] = "自ﾎﾟｰﾄ番号の値が異常です(0-65535)";
inline constexpr char TXT_PRM_EDIT_BAD_DEST_PORT[] = "宛先ﾎﾟｰﾄ番号の値が異常です(0-65535)";

// SNMP sub-dialog.
inline constexpr char TXT_PRM_BAD_TRAP_IP[] = "Trap先IPの値が異常です";
inline constexpr char TXT_PRM_BAD_GET_COMMUNITY[] = "GET用コミュニティ名が異常です";
inline constexpr char TXT_PRM_BAD_SET_COMMUNITY[] = "SET用コミュニティ名が異常です";
inline constexpr char TXT_PRM_BAD_TRAP_COMMUNITY[] = "TRAP用コミュニティ名が異常です";

// Drop-down lists.
inline constexpr const char* TXT_LIST_FLAG[] = {"無効", "有効"};
inline constexpr const char* TXT_LIST_AUTONEGO[] = {"自動", "100M固定", "10M固定"};
inline constexpr const char* TXT_LIST_BAUD_RATE[] = {
    "110bps",    "300bps",    "1,200bps",   "2,400bps",   "4,800bps",   "9,600bps",   "19,200bps",
    "38,400bps", "57,600bps", "115,200bps", "230,400bps", "460,800bps", "614,400bps", "921,600bps"};
inline constexpr const char* TXT_LIST_DATA_BITS[] = {"7ﾋﾞｯﾄ", "8ﾋﾞｯﾄ"};
inline constexpr const char* TXT_LIST_STOP_BITS[] = {"1ﾋﾞｯﾄ", "2ﾋﾞｯﾄ"};
inline constexpr const char* TXT_LIST_PARITY[] = {"なし", "奇数", "偶数"};
inline constexpr const char* TXT_LIST_FLOW_CONTROL[] = {"なし", "Xon/Xoff", "ﾊｰﾄﾞｳｪｱ"};
