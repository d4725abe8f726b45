#pragma once
// Menus and commands: item labels (with access keys), the context menu's
// labels, the prompts shown while an item is highlighted, and the status texts
// of the commands that show one while they run.

// Menu titles.
inline constexpr char TXT_MENU_FILE[] = "ﾌｧｲﾙ(&F)";
inline constexpr char TXT_MENU_NETWORK[] = "ﾈｯﾄﾜｰｸ(&N)";
inline constexpr char TXT_MENU_MANAGE[] = "管理(&T)";
inline constexpr char TXT_MENU_VIEW[] = "表示(&V)";
inline constexpr char TXT_MENU_HELP[] = "ﾍﾙﾌﾟ(&H)";
inline constexpr char TXT_MENU_OTHER_SEARCH[] = "その他の検索";
inline constexpr char TXT_MENU_APP_DOWNLOAD[] = "ｱﾌﾟﾘｹｰｼｮﾝﾀﾞｳﾝﾛｰﾄﾞ";
inline constexpr char TXT_MENU_KERNEL_DOWNLOAD[] = "ｶｰﾈﾙﾀﾞｳﾝﾛｰﾄﾞ";
inline constexpr char TXT_MENU_KERNEL_DOWNLOAD_POPUP[] = "ﾌﾞｰﾄ・ｶｰﾈﾙﾀﾞｳﾝﾛｰﾄﾞ";
inline constexpr char TXT_MENU_INITIALIZE[] = "初期化(&C)";
inline constexpr char TXT_MENU_INITIALIZE_POPUP[] = "初期化";

// Items: label, context-menu label, prompt.
inline constexpr char TXT_CMD_EXIT[] = "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)";
inline constexpr char TXT_PROMPT_EXIT[] = "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示";
inline constexpr char TXT_CMD_NETWORK_NEW[] = "新規登録(&N)...";
inline constexpr char TXT_PROMPT_NETWORK_NEW[] = "ﾈｯﾄﾜｰｸの登録";
inline constexpr char TXT_CMD_NETWORK_PROPERTIES[] = "ﾌﾟﾛﾊﾟﾃｨ(P)...";
inline constexpr char TXT_PROMPT_NETWORK_PROPERTIES[] = "ﾈｯﾄﾜｰｸ設定の確認";
inline constexpr char TXT_CMD_NETWORK_DELETE[] = "削除(&D)";
inline constexpr char TXT_PROMPT_NETWORK_DELETE[] = "ﾈｯﾄﾜｰｸの削除";
inline constexpr char TXT_CMD_SEARCH[] = "検索(&S)";
inline constexpr char TXT_CMD_SEARCH_POPUP[] = "検索";
inline constexpr char TXT_PROMPT_SEARCH[] = "ﾈｯﾄﾜｰｸに接続されたMRV-620を検索する";
inline constexpr char TXT_CMD_REFRESH_SEARCH[] = "リフレッシュ検索";
inline constexpr char TXT_PROMPT_REFRESH_SEARCH[] = "検索に応答したﾉｰﾄﾞのみ表示";
inline constexpr char TXT_CMD_IP_SEARCH[] = "IP検索(&I)...";
inline constexpr char TXT_CMD_IP_SEARCH_POPUP[] = "IP検索";
inline constexpr char TXT_PROMPT_IP_SEARCH[] = "選択したIPアドレスのMRV-620を検索する";
inline constexpr char TXT_CMD_AUTO_SET[] = "自動設定(&A)...";
inline constexpr char TXT_CMD_AUTO_SET_POPUP[] = "自動設定";
inline constexpr char TXT_PROMPT_AUTO_SET[] = "ﾉｰﾄﾞﾘｽﾄ上のMRV-620に対して標準設定を行う";
inline constexpr char TXT_CMD_NODE_SET[] = "個別設定(&S)...";
inline constexpr char TXT_CMD_NODE_SET_POPUP[] = "個別設定";
inline constexpr char TXT_PROMPT_NODE_SET[] = "選択されたMRV-620に対して標準設定を行う";
inline constexpr char TXT_CMD_NODE_GET[] = "設定取得(&G)...";
inline constexpr char TXT_CMD_NODE_GET_POPUP[] = "設定取得";
inline constexpr char TXT_PROMPT_NODE_GET[] = "選択されたMRV-620から設定を取得する";
inline constexpr char TXT_CMD_CHANGE_MODE[] = "ﾓｰﾄﾞ変更(&M)...";
inline constexpr char TXT_CMD_CHANGE_MODE_POPUP[] = "ﾓｰﾄﾞ変更";
inline constexpr char TXT_PROMPT_CHANGE_MODE[] = "選択されたMRV-620のモードを設定する";
inline constexpr char TXT_CMD_DOWNLOAD_NODE[] = "個別";
inline constexpr char TXT_CMD_DOWNLOAD_BATCH[] = "一括";
inline constexpr char TXT_PROMPT_APP_DOWNLOAD_NODE[] = "アプリケーション個別ダウンロード";
inline constexpr char TXT_PROMPT_APP_DOWNLOAD_BATCH[] = "アプリケーション一括ダウンロード";
inline constexpr char TXT_PROMPT_KERNEL_DOWNLOAD_NODE[] = "カーネル個別ダウンロード";
inline constexpr char TXT_PROMPT_KERNEL_DOWNLOAD_BATCH[] = "カーネル一括ダウンロード";
inline constexpr char TXT_CMD_VERSION_INFO[] = "ﾊﾞｰｼﾞｮﾝ情報取得";
inline constexpr char TXT_PROMPT_VERSION_INFO[] = "ﾌﾟﾛｸﾞﾗﾑのﾊﾞｰｼﾞｮﾝ確認";
inline constexpr char TXT_CMD_FILE_INFO[] = "ﾌｧｲﾙ情報取得";
inline constexpr char TXT_PROMPT_FILE_INFO[] = "ｱﾌﾟﾘｹｰｼｮﾝ情報の参照";
inline constexpr char TXT_CMD_DELETE_APP[] = "ｱﾌﾟﾘｹｰｼｮﾝ削除";
inline constexpr char TXT_PROMPT_DELETE_APP[] = "ﾕｰｻﾞｱﾌﾟﾘｹｰｼｮﾝの削除";
inline constexpr char TXT_CMD_NODE_NEW[] = "新規登録(&N)...";
inline constexpr char TXT_CMD_NODE_NEW_POPUP[] = "新規登録";
inline constexpr char TXT_PROMPT_NODE_NEW[] = "MRV-620を新規登録する";
inline constexpr char TXT_CMD_NODE_PROPERTIES[] = "ﾌﾟﾛﾊﾟﾃｨ(&P)...";
inline constexpr char TXT_CMD_NODE_PROPERTIES_POPUP[] = "ﾌﾟﾛﾊﾟﾃｨ";
inline constexpr char TXT_PROMPT_NODE_PROPERTIES[] = "MRV-620の設定確認/変更";
inline constexpr char TXT_CMD_NODE_DELETE[] = "削除(&D)";
inline constexpr char TXT_CMD_NODE_DELETE_POPUP[] = "削除";
inline constexpr char TXT_PROMPT_NODE_DELETE[] = "選択されたMRV-620の情報を削除する";
inline constexpr char TXT_CMD_DEFAULT_PARAM[] = "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀ設定(&E)...";
inline constexpr char TXT_CMD_DEFAULT_PARAM_POPUP[] = "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀ設定";
inline constexpr char TXT_PROMPT_DEFAULT_PARAM[] = "MRV-620の標準設定情報を編集する";
inline constexpr char TXT_CMD_INIT_NODE[] = "選択ﾉｰﾄﾞを対象(&S)...";
inline constexpr char TXT_CMD_INIT_NODE_POPUP[] = "選択ﾉｰﾄﾞを対象";
inline constexpr char TXT_PROMPT_INIT_NODE[] = "選択されたﾉｰﾄﾞを初期化";
inline constexpr char TXT_CMD_INIT_MODEL[] = "指定機種を対象(&T)...";
inline constexpr char TXT_CMD_INIT_MODEL_POPUP[] = "選択機種を対象";
inline constexpr char TXT_PROMPT_INIT_MODEL[] = "機種を指定して一括初期化";
inline constexpr char TXT_CMD_STATUS_BAR[] = "ｽﾃｰﾀｽ ﾊﾞｰ(&S)";
inline constexpr char TXT_PROMPT_STATUS_BAR[] = "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示";
inline constexpr char TXT_CMD_ABOUT[] = "ﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr char TXT_PROMPT_ABOUT[] = "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝ・著作権を表示";
inline constexpr char TXT_CMD_HELP[] = "ヘルプ";

// Status texts of the registry commands while they run.
inline constexpr char TXT_STATUS_NETWORK_NEW[] = "ﾈｯﾄﾜｰｸ登録中";
inline constexpr char TXT_STATUS_NETWORK_PROPERTIES[] = "ﾈｯﾄﾜｰｸ設定表示中";
inline constexpr char TXT_STATUS_NETWORK_DELETE[] = "ﾈｯﾄﾜｰｸ削除中";
inline constexpr char TXT_STATUS_AUTO_SET[] = "ﾉｰﾄﾞ自動設定中";
inline constexpr char TXT_STATUS_NODE_NEW[] = "ﾉｰﾄﾞ新規登録中";
inline constexpr char TXT_STATUS_NODE_PROPERTIES[] = "ﾉｰﾄﾞ設定表示中";
inline constexpr char TXT_STATUS_NODE_DELETE[] = "ﾉｰﾄﾞ削除中";
inline constexpr char TXT_STATUS_DEFAULT_PARAM[] = "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀ設定中";
inline constexpr char TXT_STATUS_INITIALIZE[] = "ﾉｰﾄﾞ初期化中";
