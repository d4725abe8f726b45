#pragma once
// Batch download: the target dialog, the progress window and the messages.

// The target dialog.
inline constexpr char TXT_BATCH_TARGET_TITLE[] = "一括ダウンロード先";
inline constexpr char TXT_BATCH_REGISTERED[] = "登録ノード";
inline constexpr char TXT_BATCH_TARGETS[] = "ダウンロード先ノードリスト";
inline constexpr char TXT_BATCH_ADD[] = ">>";
inline constexpr char TXT_BATCH_REMOVE[] = "<<";
inline constexpr char TXT_BATCH_ALL[] = "ALL";
inline constexpr char TXT_BATCH_OK[] = "OK";
inline constexpr char TXT_BATCH_CANCEL[] = "ｷｬﾝｾﾙ";
inline constexpr char TXT_BATCH_TARGETS_FULL[] = "一度にダウンロード可能なノード数は16台までです。";
inline constexpr char TXT_BATCH_FIRST_16[] =
    "一度にダウンロード可能なノード数は16台です。\r\n"
    "「登録ノード」の上位16台を「ダウンロード先ノードリスト」に追加します。";

// The confirmation: the node lines, then the file's name.
inline constexpr char TXT_BATCH_CONFIRM_FORMAT[] =
    "%s\r\n以上のﾉｰﾄﾞに「%s」をダウンロードします。\r\nよろしければ「OK」を押してください。";

// The progress window.
inline constexpr char TXT_BATCH_PROGRESS_TITLE[] = "一括ダウンロード情報";
inline constexpr char TXT_BATCH_COL_ADDRESS[] = "IPアドレス";
inline constexpr char TXT_BATCH_COL_STATE[] = "状態";
inline constexpr char TXT_BATCH_COL_RESULT[] = "結果";
inline constexpr char TXT_BATCH_STOP[] = "中止";
inline constexpr char TXT_BATCH_STATE_WAITING[] = "未実施";
inline constexpr char TXT_BATCH_STATE_PREPARING[] = "準備中";
inline constexpr char TXT_BATCH_STATE_ACCOUNT_ERROR[] = "設定取得エラー";
inline constexpr char TXT_BATCH_STATE_REBOOT_ERROR[] = "リブートエラー";
inline constexpr char TXT_BATCH_STATE_DOWNLOADING[] = "ダウンロード中";
inline constexpr char TXT_BATCH_STATE_DOWNLOADED[] = "ダウンロード済み";
// Our own: the put failed; a failed node is never called downloaded.
inline constexpr char TXT_BATCH_STATE_DOWNLOAD_FAILED[] = "ダウンロード失敗";
inline constexpr char TXT_BATCH_RESULT_NONE[] = "－"; // CP932 81 7C
inline constexpr char TXT_BATCH_RESULT_OK[] = "OK";
inline constexpr char TXT_BATCH_RESULT_NG[] = "NG";

// After a pass.
inline constexpr char TXT_BATCH_REBOOT_FAILED[] =
    "\r\n上記ﾉｰﾄﾞに対してのﾀﾞｳﾝﾛｰﾄﾞは正常終了しましたが、運用ﾓｰﾄﾞへのﾘﾌﾞｰﾄに失敗しました。\r\n"
    "「管理」→「ﾓｰﾄﾞ変更」でﾓｰﾄﾞ変更を行なってください。";
// Our own: failed nodes that did not come back to operation either.
inline constexpr char TXT_BATCH_LEFT_IN_MODE[] =
    "\r\n上記ﾉｰﾄﾞはﾀﾞｳﾝﾛｰﾄﾞに失敗し、ﾀﾞｳﾝﾛｰﾄﾞﾓｰﾄﾞのままです。\r\n"
    "「管理」→「ﾓｰﾄﾞ変更」で通常動作0に戻してください。";
inline constexpr char TXT_BATCH_RETRY[] = "ﾀﾞｳﾝﾛｰﾄﾞNGのﾉｰﾄﾞにﾘﾄﾗｲしますか？";
inline constexpr char TXT_BATCH_ALL_DONE[] = "全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡";
