#pragma once
// The registration dialogs of networks and nodes, and the registry commands'
// own messages.

// Network dialog.
inline constexpr char TXT_NETDLG_TITLE_NEW[] = "ﾈｯﾄﾜｰｸの新規登録";
inline constexpr char TXT_NETDLG_TITLE_VIEW[] = "ﾈｯﾄﾜｰｸ設定の確認";
inline constexpr char TXT_NETDLG_NAME[] = "ﾈｯﾄﾜｰｸ名";
inline constexpr char TXT_NETDLG_MASK[] = "ｻﾌﾞﾈｯﾄﾏｽｸ";
inline constexpr char TXT_NETDLG_GATEWAY[] = "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽ";
inline constexpr char TXT_NETDLG_BASE_IP[] = "ﾍﾞｰｽIPｱﾄﾞﾚｽ";
inline constexpr char TXT_NETDLG_INCREMENT[] = "IPｱﾄﾞﾚｽ増分";

// Node dialog.
inline constexpr char TXT_NODEDLG_TITLE_NEW[] = "ﾉｰﾄﾞ新規登録";
inline constexpr char TXT_NODEDLG_TITLE_PROPERTIES[] = "ﾉｰﾄﾞのﾌﾟﾛﾊﾟﾃｨ";
inline constexpr char TXT_NODEDLG_NET_NAME[] = "ﾈｯﾄﾜｰｸ名";
inline constexpr char TXT_NODEDLG_MODEL[] = "機種名";
inline constexpr char TXT_NODEDLG_SERIAL[] = "ｼﾘｱﾙ番号";
inline constexpr char TXT_NODEDLG_MAC[] = "MACｱﾄﾞﾚｽ";
inline constexpr char TXT_NODEDLG_IP[] = "IPｱﾄﾞﾚｽ";
inline constexpr char TXT_NODEDLG_REMARKS[] = "備考";

// Both dialogs' buttons.
inline constexpr char TXT_REGDLG_OK[] = "OK";
inline constexpr char TXT_REGDLG_CANCEL[] = "ｷｬﾝｾﾙ";

// The network command's question before it deletes.
inline constexpr char TXT_NETWORK_DELETE_QUESTION[] =
    "現在のﾈｯﾄﾜｰｸ設定を削除します。\nMRV-620の登録情報も失われます。\nよろしいですか?";
// Our own: a node typed in by hand when the network already holds 1024.
inline constexpr char TXT_NODE_NETWORK_FULL[] =
    "このﾈｯﾄﾜｰｸには既に1024台のﾉｰﾄﾞが登録されているため、これ以上登録できません";
