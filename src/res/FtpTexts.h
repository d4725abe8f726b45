#pragma once
// Texts of the FTP runs, the downloads and the file, version and application information.

// Results of a download and of the FTP runs.
inline constexpr char TXT_DOWNLOAD_DONE[] = "ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました";
inline constexpr char TXT_FTP_NO_SESSION[] = "FTPｾｯｼｮﾝ確立失敗";
inline constexpr char TXT_FTP_CONNECT_FAILED[] = "FTP接続失敗";
inline constexpr char TXT_FTP_TIMEOUT[] = "FTPﾌﾟﾛｾｽでﾀｲﾑｱｳﾄが発生しました";
inline constexpr char TXT_FTP_NO_PROCESS[] = "FTPﾌﾟﾛｾｽの起動に失敗しました";
inline constexpr char TXT_FTP_CONNECT_ERR[] = "ConnectErr";
// Our own: the node's FTP server refused the file; %s is its reply ("553 ...").
inline constexpr char TXT_FTP_PUT_REFUSED[] = "MRV-620がﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを受け付けませんでした\r\n(%s)";
// Our own: the client ended without the server's answer to the transfer; %s
// is the client's last word ("Not connected.").
inline constexpr char TXT_FTP_PUT_UNCONFIRMED[] =
    "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙの送信を確認できませんでした\r\n(%s)";
// Our own: the node's server refused a deletion; the name, then its reply.
inline constexpr char TXT_FTP_DELETE_FAILED[] = "次のﾌｧｲﾙを削除できませんでした\r\n「%s」\r\n(%s)";
// Our own: after a failed download the node could not be brought back to
// operation; %d is its download mode.
inline constexpr char TXT_DOWNLOAD_LEFT_IN_MODE[] =
    "\r\nMRV-620はﾀﾞｳﾝﾛｰﾄﾞﾓｰﾄﾞ(ﾓｰﾄﾞ%d)のままです。\r\n"
    "「管理」→「ﾓｰﾄﾞ変更」で通常動作0に戻してください。";
// Our own: a single-node download to an address that another registered
// node of the network has too; %s is the address.
inline constexpr char TXT_DOWNLOAD_SHARED_ADDRESS[] =
    "他のﾉｰﾄﾞにも登録されているIPｱﾄﾞﾚｽのため、ﾀﾞｳﾝﾛｰﾄﾞできません\r\n(%s)";
// Our own: a chosen path that is not a readable regular file of an image's size.
inline constexpr char TXT_DOWNLOAD_NOT_A_FILE[] = "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙが通常のﾌｧｲﾙではありません";
// Our own: a chosen file larger than any image a node could take.
inline constexpr char TXT_DOWNLOAD_TOO_LARGE[] = "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙが大きすぎます(64MBまで)";
// Our own: the connection check's failures, with the library's code in brackets.
inline constexpr char TXT_FTPERR_LOGIN_DENIED[] =
    "FTPｻｰﾊﾞｰがﾛｸﾞｲﾝを拒否しました(ﾕｰｻﾞｰ名またはﾊﾟｽﾜｰﾄﾞが違います) [%d]";
inline constexpr char TXT_FTPERR_CONNECTION_REFUSED[] = "FTPｻｰﾊﾞｰが接続を拒否しました [%d]";
inline constexpr char TXT_FTPERR_UNREACHABLE[] = "FTPｻｰﾊﾞｰに到達できません [%d]";
inline constexpr char TXT_FTPERR_TIMEOUT[] = "FTPｻｰﾊﾞｰが時間内に応答しませんでした [%d]";
inline constexpr char TXT_FTPERR_RESOLVE[] = "ﾎｽﾄ名を解決できません [%d]";
inline constexpr char TXT_FTPERR_RESET[] = "FTPｻｰﾊﾞｰとの接続が切断されました [%d]";
// Our own: texts that must never reach an FTP script.
inline constexpr char TXT_FTP_UNSAFE_ACCOUNT[] =
    "MRV-620のFTPｱｶｳﾝﾄに改行などの制御文字が含まれているため、FTP処理を中止しました";
inline constexpr char TXT_FTP_UNSAFE_PATH[] =
    "ﾌｧｲﾙ名に改行などの制御文字または「\"」が含まれているため、ﾀﾞｳﾝﾛｰﾄﾞできません";
inline constexpr char TXT_FTP_UNSAFE_NAME[] =
    "削除するﾌｧｲﾙ名に改行などの制御文字が含まれているため、削除を中止しました";

// Status texts.
inline constexpr char TXT_STATUS_DOWNLOAD_PREPARING[] = "ﾀﾞｳﾝﾛｰﾄﾞ準備中";
inline constexpr char TXT_STATUS_DOWNLOAD_CHOOSE[] = "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙの選択";
inline constexpr char TXT_STATUS_DOWNLOADING[] = "ﾀﾞｳﾝﾛｰﾄﾞ中";
inline constexpr char TXT_STATUS_FILE_INFO_PREPARING[] = "ファイル情報取得準備中";
inline constexpr char TXT_STATUS_FILE_INFO[] = "ファイル情報取得中";
inline constexpr char TXT_STATUS_VERSION_INFO[] = "ｱﾌﾟﾘｹｰｼｮﾝ情報取得中";

// The file-open choice of a download.
inline constexpr char TXT_DOWNLOAD_CHOOSE_TITLE[] = "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙの選択";
inline constexpr char TXT_DOWNLOAD_DEFAULT_EXT[] = ".mot";
// The steps of an FTP run as mrvctl --verbose shows them; the account never appears.
inline constexpr char TXT_FTPTRACE_MASK[] = "****";
inline constexpr char TXT_FTPTRACE_CHECK[] = "ftp %s: connection check with the node's account";
inline constexpr char TXT_FTPTRACE_CHECK_OK[] = "ftp %s: logged in";
inline constexpr char TXT_FTPTRACE_CHECK_FAILED[] = "ftp %s: connection check failed";
inline constexpr char TXT_FTPTRACE_START[] = "ftp %s: %s, on this script:";
inline constexpr char TXT_FTPTRACE_NO_START[] = "ftp %s: the client could not be started: %s";
inline constexpr char TXT_FTPTRACE_SCRIPT[] = "ftp> %s";
inline constexpr char TXT_FTPTRACE_OUTPUT[] = "ftp< %s";
inline constexpr char TXT_FTPTRACE_END[] = "ftp %s: the client ended (status %d)";
inline constexpr char TXT_FTPTRACE_TIMEOUT[] =
    "ftp %s: the client did not end in time and was ended";

inline constexpr char TXT_FILTER_MOT[] = "MOT Files (*.mot)";
inline constexpr char TXT_FILTER_ALL[] = "All Files (*.*)";

// Our own: a chosen .mot file that is not a Motorola S-record image.
inline constexpr char TXT_MOT_INVALID_FORMAT[] =
    "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙがMOT形式(Sﾚｺｰﾄﾞ)として正しくありません\r\n%s";
inline constexpr char TXT_MOT_LINE_FORMAT[] = "%zu行目: %s";
inline constexpr char TXT_MOT_UNREADABLE[] = "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを読み込めません";
inline constexpr char TXT_MOT_NOT_SRECORD[] = "Sﾚｺｰﾄﾞではありません";
inline constexpr char TXT_MOT_BAD_TYPE[] = "ﾚｺｰﾄﾞ種別が正しくありません";
inline constexpr char TXT_MOT_NOT_HEX[] = "16進数でない文字があります";
inline constexpr char TXT_MOT_BAD_LENGTH[] = "ﾊﾞｲﾄ数が長さと一致しません";
inline constexpr char TXT_MOT_BAD_CHECKSUM[] = "ﾁｪｯｸｻﾑが一致しません";
inline constexpr char TXT_MOT_AFTER_END[] = "終了ﾚｺｰﾄﾞの後にﾚｺｰﾄﾞがあります";
inline constexpr char TXT_MOT_NO_END[] = "終了ﾚｺｰﾄﾞ(S7/S8/S9)がありません";
inline constexpr char TXT_MOT_NO_DATA[] = "ﾃﾞｰﾀﾚｺｰﾄﾞがありません";

// The information window.
inline constexpr char TXT_INFO_TITLE[] = "インフォメーション";
inline constexpr char TXT_INFO_TEMPLATE_TEXT[] =
    "ｾｯﾄｱｯﾌﾟﾓｰﾄﾞで再起動しています\rしばらくお待ちください！";
inline constexpr char TXT_INFO_CANCEL[] = "ｷｬﾝｾﾙ";
inline constexpr char TXT_INFO_DOWNLOADING[] = "ダウンロード中です\rしばらくお待ちください";
inline constexpr char TXT_INFO_FILE_INFO[] = "ファイル情報取得中です\rしばらくお待ちください";

// The listing dialog.
inline constexpr char TXT_FILEINFO_TITLE[] = "ファイル情報ダイアログ";
inline constexpr char TXT_FILEINFO_GROUP[] = "ファイル情報";
inline constexpr char TXT_FILEINFO_OK[] = "OK";
inline constexpr char TXT_APPINFO_UNREADABLE[] = "ｱﾌﾟﾘｹｰｼｮﾝ情報が取得できませんでした。";

// The application dialog.
inline constexpr char TXT_APPINFO_TITLE[] = "アプリケーション情報";
inline constexpr char TXT_APPINFO_INSTALLED[] = "搭載アプリケーション";
inline constexpr char TXT_APPINFO_DELETE_LIST[] = "削除リスト";
inline constexpr char TXT_APPINFO_ADD[] = ">>";
inline constexpr char TXT_APPINFO_REMOVE[] = "<<";
inline constexpr char TXT_APPINFO_ALL[] = "ALL";
inline constexpr char TXT_APPINFO_OK[] = "OK";
inline constexpr char TXT_APPINFO_CANCEL[] = "ｷｬﾝｾﾙ";
inline constexpr char TXT_APPINFO_NO_USER_APP[] = "ユーザアプリケーションが搭載されていません。";
// Our own: the bounds of the selection.
inline constexpr char TXT_APPINFO_NAME_TOO_LONG[] =
    "ﾌｧｲﾙ名が19文字を超えるため、削除リストに追加できません";
inline constexpr char TXT_APPINFO_NAME_UNSENDABLE[] =
    "ﾌｧｲﾙ名に改行などの制御文字が含まれているため、削除リストに追加できません";
inline constexpr char TXT_APPINFO_LIST_FULL[] = "削除リストが一杯のため、これ以上追加できません";
// The deletion's confirmation: one line per name, then the question.
inline constexpr char TXT_DELETE_CONFIRM_LINE[] = "「%s」\r\n";
inline constexpr char TXT_DELETE_CONFIRM_TAIL[] =
    "\r\n以上のアプリケーションを削除します。\r\nよろしければ「OK」ボタンを押してください。";

// The version request's dialog.
inline constexpr char TXT_GETVER_TITLE[] = "設定の取得";
inline constexpr char TXT_GETVER_TEXT[] = "選択されたﾉｰﾄﾞから設定を取得します";
inline constexpr char TXT_GETVER_OUTSIDE[] = "ﾈｯﾄﾜｰｸ外";
inline constexpr char TXT_GETVER_OK[] = "OK";
inline constexpr char TXT_GETVER_CANCEL[] = "ｷｬﾝｾﾙ";
