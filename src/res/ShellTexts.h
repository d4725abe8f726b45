#pragma once
// Application shell texts: the main frame's status bar and the buttons of
// message boxes.

// Indicator panes after the message pane, shown while their key is locked on.
inline constexpr char TXT_INDICATOR_KANA[] = "ｶﾅ";
inline constexpr char TXT_INDICATOR_CAPS[] = "CAP";
inline constexpr char TXT_INDICATOR_NUM[] = "NUM";
inline constexpr char TXT_INDICATOR_SCRL[] = "SCRL";

inline constexpr char TXT_BUTTON_OK[] = "OK";
inline constexpr char TXT_BUTTON_CANCEL[] = "ｷｬﾝｾﾙ";
inline constexpr char TXT_BUTTON_YES[] = "はい(&Y)";
inline constexpr char TXT_BUTTON_NO[] = "いいえ(&N)";
inline constexpr char TXT_BUTTON_RETRY[] = "再試行(&R)";

// Our own: a dialog the program has no form for is a fault of the program.
inline constexpr char TXT_NO_DIALOG_FORM_FORMAT[] = "内部エラー: 画面 %s がありません";
