#pragma once
// The main frame and the start-up: version box, command line.

// Version box.
inline constexpr char TXT_ABOUT_TITLE[] = "MRV-620 リモートセットアップのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr char TXT_ABOUT_VERSION[] = "MRV-620 リモートセットアップ Version 0.94";
inline constexpr char TXT_ABOUT_SECOND_LINE[] = "Linux 版 mrvmgr (Qt 6)";

// The operator's guide: its first page (the contents), looked for in the
// folder "guide" beside the program, then in the data folder of an installed copy.
inline constexpr char TXT_HELP_BESIDE_PROGRAM[] = "guide/index.html";
inline constexpr char TXT_HELP_INSTALLED[] = "../share/mrvmgr/guide/index.html";
inline constexpr char TXT_HELP_MISSING[] = "操作説明書が見つかりません。次の場所を探しました:";
inline constexpr char TXT_HELP_NOT_OPENED[] =
    "操作説明書を開くプログラムがありません。ブラウザで次のファイルを開いてください:";

// Per-user settings: the organisation key and the recent-file list's section.
inline constexpr char TXT_SETTINGS_ORGANIZATION[] = "Kestrune";
inline constexpr char TXT_SETTINGS_RECENT_SECTION[] = "Recent File List";
inline constexpr char TXT_SETTINGS_RECENT_ENTRY[] = "File%d";
// The folder the last download's file was chosen in.
inline constexpr char TXT_SETTINGS_DOWNLOAD_SECTION[] = "Download";
inline constexpr char TXT_SETTINGS_DOWNLOAD_FOLDER[] = "LastFolder";

// Command line.
inline constexpr char TXT_PROGRAM_NAME[] = "mrvmgr";
inline constexpr char TXT_PROGRAM_VERSION[] = "0.94";
inline constexpr char TXT_CMDLINE_DESCRIPTION[] =
    "MRV-620 リモートセットアップ: MRV-620 ノードの登録・検索・設定を行うマネージャ";
inline constexpr char TXT_CMDLINE_FILE[] = "FILE";
inline constexpr char TXT_CMDLINE_FILE_HELP[] =
    "読み込み、終了時に保存するデータファイル (省略時は実行ファイルと同じ名前の .dat)";
inline constexpr char TXT_CMDLINE_TOO_MANY[] = "データファイルは一つだけ指定してください";
inline constexpr char TXT_NO_TOOLKIT_TRANSLATION[] =
    "Qt's Japanese translations are not installed (package qt6-translations-l10n): "
    "file dialogs stay in English";
inline constexpr char TXT_CMDLINE_NO_DISPLAY[] =
    "no display: set DISPLAY (or WAYLAND_DISPLAY), or run it on a virtual display: "
    "xvfb-run -a mrvmgr";

// The data file held by another program at start-up (mrvctl in a command).
// %1: the data file's path; %2: who holds it, "mrvctl (pid 123)".
inline constexpr char TXT_DATA_FILE_HELD[] =
    "ﾃﾞｰﾀﾌｧｲﾙ %1 は %2 が使用中です。\r\n使用が終わってから[再試行]を押してください。";
inline constexpr char TXT_DATA_FILE_HOLDER_UNKNOWN[] = "他のﾌﾟﾛｸﾞﾗﾑ";
