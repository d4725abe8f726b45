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
