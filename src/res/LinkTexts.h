#pragma once
// Shell, link and dispatch texts.

inline constexpr char TXT_APP_TITLE[] = "MRV設定ﾏﾈｰｼﾞｬ";
inline constexpr char TXT_WINDOW_TITLE[] = "MRV-620 リモートセットアップ";
inline constexpr char TXT_STATUS_READY[] = "ﾚﾃﾞｨ";

inline constexpr char TXT_PORT_IN_USE[] =
    "通信用のポート(65532)が使用中です。\r\nMRV-620との通信が行なえません。";
inline constexpr char TXT_SEND_ERROR[] = "MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました";
inline constexpr char TXT_NO_RESPONSE[] = "MRV-620から応答がありません";
inline constexpr char TXT_ABNORMAL_RESPONSE[] = "MRV-620から異常応答を受信しました";
// Joined as TXT_ABNORMAL_RESPONSE "\n" detail.
inline constexpr char TXT_ABNORMAL_DETAIL_FORMAT[] =
    "ｺﾏﾝﾄﾞｺｰﾄﾞ=%04X\nMACｱﾄﾞﾚｽ=%s\n機種ｺｰﾄﾞ=%02X\n動作ﾓｰﾄﾞ=%02X\n結果ｺｰﾄﾞ=%02X";

inline constexpr char TXT_MODE_NORMAL0[] = "通常動作0";
inline constexpr char TXT_MODE_NORMAL1[] = "通常動作1";
inline constexpr char TXT_MODE_NORMAL2[] = "通常動作2";
inline constexpr char TXT_MODE_NORMAL3[] = "通常動作3";
inline constexpr char TXT_MODE_SETUP[] = "ｾｯﾄｱｯﾌﾟ";
inline constexpr char TXT_MODE_UNDEFINED[] = "未定義ﾓｰﾄﾞ";
