#pragma once
// The operation log: the notice when it cannot be written, the window that
// lists it, and the names its operations and outcomes are shown by.

// Our own: the log could not be written (once per run). %s: the file, then the reason.
inline constexpr char TXT_OPLOG_NOT_WRITTEN[] =
    "操作履歴に書き込めません(%s: %s)。操作は続行します。";

// 表示 → 操作履歴.
inline constexpr char TXT_CMD_OPERATION_LOG[] = "操作履歴(&L)...";
inline constexpr char TXT_PROMPT_OPERATION_LOG[] = "ﾉｰﾄﾞとﾈｯﾄﾜｰｸに行った操作の履歴を表示";
inline constexpr char TXT_OPLOG_TITLE[] = "操作履歴";
inline constexpr char TXT_OPLOG_COL_TIME[] = "日時";
inline constexpr char TXT_OPLOG_COL_NODE[] = "ﾉｰﾄﾞ";
inline constexpr char TXT_OPLOG_COL_OPERATION[] = "操作";
inline constexpr char TXT_OPLOG_COL_OUTCOME[] = "結果";
inline constexpr char TXT_OPLOG_CLOSE[] = "閉じる";
// Under the list: the file shown and how many entries. %s: the file; %d: shown, in all.
inline constexpr char TXT_OPLOG_FOOTER[] = "%s (最新 %d 件 / 全 %d 件)";

// The operations and outcomes as the window shows them.
inline constexpr char TXT_OPLOG_OP_NETWORK_ADD[] = "ﾈｯﾄﾜｰｸ登録";
inline constexpr char TXT_OPLOG_OP_NETWORK_DELETE[] = "ﾈｯﾄﾜｰｸ削除";
inline constexpr char TXT_OPLOG_OP_NODE_ADD[] = "ﾉｰﾄﾞ登録";
inline constexpr char TXT_OPLOG_OP_NODE_EDIT[] = "ﾌﾟﾛﾊﾟﾃｨ変更";
inline constexpr char TXT_OPLOG_OP_NODE_ADDRESS[] = "登録IPｱﾄﾞﾚｽ変更";
inline constexpr char TXT_OPLOG_OP_NODE_DELETE[] = "ﾉｰﾄﾞ削除";
inline constexpr char TXT_OPLOG_OP_SEARCH_ADD[] = "検索で追加";
inline constexpr char TXT_OPLOG_OP_SEARCH_ADDRESS[] = "検索でIPｱﾄﾞﾚｽ更新";
inline constexpr char TXT_OPLOG_OP_SEARCH_DROP[] = "ﾘﾌﾚｯｼｭ検索で削除";
inline constexpr char TXT_OPLOG_OP_AUTOSET[] = "自動設定";
inline constexpr char TXT_OPLOG_OP_SETTINGS[] = "設定送信";
inline constexpr char TXT_OPLOG_OP_MODE[] = "ﾓｰﾄﾞ変更";
inline constexpr char TXT_OPLOG_OP_INIT[] = "初期化";
inline constexpr char TXT_OPLOG_OP_DOWNLOAD_APP[] = "ｱﾌﾟﾘｹｰｼｮﾝﾀﾞｳﾝﾛｰﾄﾞ";
inline constexpr char TXT_OPLOG_OP_DOWNLOAD_KERNEL[] = "ｶｰﾈﾙﾀﾞｳﾝﾛｰﾄﾞ";
inline constexpr char TXT_OPLOG_OP_APP_DELETE[] = "ｱﾌﾟﾘｹｰｼｮﾝ削除";
inline constexpr char TXT_OPLOG_OP_COMMISSION[] = "一括構成";
inline constexpr char TXT_OPLOG_OUTCOME_OK[] = "成功";
inline constexpr char TXT_OPLOG_OUTCOME_FAILED[] = "失敗";
inline constexpr char TXT_OPLOG_OUTCOME_MISMATCH[] = "不一致";
inline constexpr char TXT_OPLOG_OUTCOME_STOPPED[] = "中断";

// What a change named in a message.
inline constexpr char TXT_OPLOG_FIELD_SERIAL[] = "ｼﾘｱﾙ番号";
inline constexpr char TXT_OPLOG_FIELD_REMARKS[] = "備考";
