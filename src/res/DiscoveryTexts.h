#pragma once
// Texts of the search over every interface and of the silent-node marks (UTF-8).

// A chosen interface that is gone; %s is its name.
inline constexpr char TXT_ITF_MISSING_FORMAT[] =
    "ｲﾝﾀｰﾌｪｰｽ %s が見つかりません。\nすべてのｲﾝﾀｰﾌｪｰｽから送信します。";
// The status bar's counts pane after a search: answered, registered, silent.
inline constexpr char TXT_SEARCH_TALLY_FORMAT[] = "応答 %d / 登録 %d / 無応答 %d";

// Tooltip of a silent row; %s the time of the last answer, then its interface.
inline constexpr char TXT_SILENT_TIP[] = "前回の検索に応答しませんでした";
inline constexpr char TXT_SILENT_LAST_FORMAT[] = "最後の応答: %s";
inline constexpr char TXT_SILENT_LAST_ITF_FORMAT[] = "最後の応答: %s (%s)";
inline constexpr char TXT_SILENT_NEVER[] = "起動後の応答はありません";
// strftime format of that time.
inline constexpr char TXT_SILENT_TIME_FORMAT[] = "%Y/%m/%d %H:%M:%S";

// The interface choice.
inline constexpr char TXT_CMD_SEARCH_INTERFACE[] = "検索ｲﾝﾀｰﾌｪｰｽ(&F)...";
inline constexpr char TXT_PROMPT_SEARCH_INTERFACE[] = "検索の同報を送るｲﾝﾀｰﾌｪｰｽを選ぶ";
inline constexpr char TXT_ITFDLG_TITLE[] = "検索ｲﾝﾀｰﾌｪｰｽ";
inline constexpr char TXT_ITFDLG_LABEL[] = "同報を送るｲﾝﾀｰﾌｪｰｽ";
inline constexpr char TXT_ITFDLG_ALL[] = "すべてのｲﾝﾀｰﾌｪｰｽ";
// One interface of the list: name and address.
inline constexpr char TXT_ITFDLG_ITEM_FORMAT[] = "%s (%s)";

// Where the per-user settings keep the choice.
inline constexpr char TXT_SETTINGS_SEARCH_SECTION[] = "Search";
inline constexpr char TXT_SETTINGS_SEARCH_INTERFACE[] = "Interface";
