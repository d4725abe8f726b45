#pragma once
// The main node list: column titles.

inline constexpr char TXT_COL_NUMBER[] = "No.";
inline constexpr char TXT_COL_MODEL[] = "機種";
inline constexpr char TXT_COL_SERIAL[] = "ｼﾘｱﾙNo.";
inline constexpr char TXT_COL_MAC[] = "MACｱﾄﾞﾚｽ";
inline constexpr char TXT_COL_IP[] = "IPｱﾄﾞﾚｽ";
inline constexpr char TXT_COL_REMARKS[] = "備考";
