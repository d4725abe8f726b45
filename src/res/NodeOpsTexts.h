#pragma once
// Texts of the single-node commands and of the automatic IP assignment.

// Status texts while the commands run.
inline constexpr char TXT_STATUS_NODE_SET[] = "ﾉｰﾄﾞ個別設定中";
inline constexpr char TXT_STATUS_NODE_GET[] = "ﾉｰﾄﾞ設定取得中";
inline constexpr char TXT_STATUS_CHANGE_MODE[] = "動作ﾓｰﾄﾞ変更中";

// Buttons and the box the small dialogs share.
inline constexpr char TXT_NODECMD_OK[] = "OK";
inline constexpr char TXT_NODECMD_CANCEL[] = "ｷｬﾝｾﾙ";
inline constexpr char TXT_NODECMD_OUTSIDE_NET[] = "ﾈｯﾄﾜｰｸ外";

// Get settings.
inline constexpr char TXT_GETDLG_TITLE[] = "設定の取得";
inline constexpr char TXT_GETDLG_NOTICE[] = "選択されたﾉｰﾄﾞから設定を取得します";

// Mode change: the radio buttons in the order of their codes 0, 1, 2, 3, 7, 6.
inline constexpr char TXT_MODEDLG_TITLE[] = "モード変更";
inline constexpr const char* TXT_MODEDLG_CHOICES[] = {"通常動作（ロータリ0番）",
                                                      "通常動作（ロータリ1番）",
                                                      "通常動作（ロータリ2番）",
                                                      "通常動作（ロータリ3番）",
                                                      "ｾｯﾄｱｯﾌﾟ",
                                                      "ﾌﾞｰﾄﾛｰﾀﾞ"};

// Initialisation of the selected node, and of every node of a model.
inline constexpr char TXT_INITDLG_TITLE[] = "初期化";
inline constexpr char TXT_INITDLG_NOTICE[] = "選択されたﾉｰﾄﾞを初期化します";
inline constexpr char TXT_INITALL_TITLE[] = "一括初期化";
inline constexpr char TXT_INITALL_NOTICE[] = "選択された機種のﾉｰﾄﾞﾞを一括で初期化します";
inline constexpr char TXT_INITALL_MODEL[] = "対象機種";

// A node that stayed silent during a run over many nodes.
inline constexpr char TXT_INITERR_TITLE[] = "一括初期化エラー";
inline constexpr char TXT_AUTOERR_TITLE[] = "自動設定エラー";
inline constexpr char TXT_NOREPLY_MAC_LABEL[] = "MACアドレス：";
inline constexpr char TXT_NOREPLY_TEXT[] = "のMRV-620から応答がありません";
inline constexpr char TXT_NOREPLY_CONTINUE[] = "継続";
inline constexpr char TXT_NOREPLY_END[] = "終了";

// Automatic IP assignment. The note's second line starts with an ideographic space.
inline constexpr char TXT_AUTODLG_TITLE[] = "ﾉｰﾄﾞ自動設定";
inline constexpr char TXT_AUTODLG_NOTICE[] =
    "注意！\n\u3000自動設定は、IPアドレス未設定のMRV-620にのみ設定を行います";
inline constexpr char TXT_AUTODLG_MODEL[] = "機種名";
inline constexpr char TXT_AUTODLG_BASE_IP[] = "ﾍﾞｰｽIPｱﾄﾞﾚｽ";
inline constexpr char TXT_AUTODLG_INCREMENT[] = "IPｱﾄﾞﾚｽ増分";
inline constexpr char TXT_AUTODLG_BASE_IP_INITIAL[] = "192.168.200.254";
// The framework's refusal of an integer outside its range; "%d" the two bounds.
inline constexpr char TXT_INT_RANGE_FORMAT[] = "%d から %d までの整数を入力してください。";
inline constexpr char TXT_AUTO_NO_FREE_ADDRESS[] = "割り当て可能なIPｱﾄﾞﾚｽがありません";
