#pragma once
// Texts of the node operations.

inline constexpr char TXT_STATUS_SEARCHING[] = "ﾉｰﾄﾞ検索中";
inline constexpr char TXT_STATUS_IP_SEARCH[] = "IP検索中";
// Our own: a network lists at most 1024 nodes.
inline constexpr char TXT_NETWORK_FULL_FORMAT[] =
    "ﾉｰﾄﾞ数が上限(1024台)に達したため、%d台のﾉｰﾄﾞを登録できませんでした";

// IP search dialog.
inline constexpr char TXT_IPSEARCH_TITLE[] = "ＩＰ検索";
inline constexpr char TXT_IPSEARCH_GROUP[] = "IPアドレスの登録";
inline constexpr char TXT_IPSEARCH_HINT[] = "例：192.168.200.180";
inline constexpr char TXT_IPSEARCH_REGISTER[] = "登録";
inline constexpr char TXT_IPSEARCH_ADDR_LIST[] = "ＩＰアドレスリスト";
inline constexpr char TXT_IPSEARCH_DELETE[] = "削除";
inline constexpr char TXT_IPSEARCH_ADD[] = ">>";
inline constexpr char TXT_IPSEARCH_REMOVE[] = "<<";
inline constexpr char TXT_IPSEARCH_TARGET_LIST[] = "検索対象ＩＰ";
inline constexpr char TXT_IPSEARCH_SEARCH[] = "検索";

// Version dialog.
inline constexpr char TXT_VER_TITLE[] = "バージョン情報";
inline constexpr char TXT_VER_GROUP_SYSTEM[] = "システム情報";
inline constexpr char TXT_VER_BOARD_ID[] = "ボードID：";
inline constexpr char TXT_VER_KERNEL[] = "カーネルバージョン：";
inline constexpr char TXT_VER_BOOT[] = "ブートバージョン：";
inline constexpr char TXT_VER_GROUP_APPS[] = "アプリケーション情報";
inline constexpr char TXT_VER_COL_NAME[] = "アプリケーション名";
inline constexpr char TXT_VER_COL_VERSION[] = "ﾊﾞｰｼﾞｮﾝ";
inline constexpr char TXT_VER_COL_SECTORS[] = "セクタ数";
inline constexpr char TXT_VER_OK[] = "OK";
