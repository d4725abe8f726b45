#pragma once
// Data file texts. "%1" is the file's name, or in the keep-aside texts its full path.

inline constexpr char TXT_DOC_BAD_FORMAT[] = "予期しないﾌｧｲﾙ形式です。";

// Reading.
inline constexpr char TXT_DOC_OPEN_FAILED[] = "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。";
inline constexpr char TXT_DOC_READ_SHARING[] = "%1 は使用中のため、読み取れません。";
inline constexpr char TXT_DOC_READ_BAD_PATH[] =
    "%1 を開けません。ﾌｧｲﾙ名またはﾊﾟｽが正しくありません。";
inline constexpr char TXT_DOC_READ_HARD_IO[] = "%1 の読み取り中にﾃﾞｨｽｸｴﾗｰが発生しました。";

// Writing.
inline constexpr char TXT_DOC_SAVE_FAILED[] = "ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。";
inline constexpr char TXT_DOC_WRITE_SHARING[] =
    "%1 は使用中または読み取り専用のため、書き込めません。";
inline constexpr char TXT_DOC_WRITE_BAD_PATH[] =
    "%1 を保存できません。ﾌｧｲﾙ名またはﾊﾟｽが正しくありません。";
inline constexpr char TXT_DOC_DISK_FULL[] = "ﾃﾞｨｽｸがいっぱいのため、%1 を保存できません。";
inline constexpr char TXT_DOC_WRITE_HARD_IO[] = "%1 の書き込み中にﾃﾞｨｽｸｴﾗｰが発生しました。";
// A link in a shared folder (sticky, writable by all) that is neither ours nor
// the folder owner's: not followed, as the kernel's own rule has it.
inline constexpr char TXT_DOC_UNSAFE_LINK[] =
    "%1 は共有ﾌｫﾙﾀﾞにある他のﾕｰｻﾞｰのﾘﾝｸのため、ﾘﾝｸ先に保存しません。";

// Both ways.
inline constexpr char TXT_DOC_ACCESS_DENIED[] = "%1 へのアクセスが拒否されました。";
inline constexpr char TXT_DOC_TOO_MANY_FILES[] = "開いているﾌｧｲﾙが多すぎるため、%1 を開けません。";

// A file that could not be read is moved aside rather than overwritten at exit;
// joined to the failure text by a line break.
inline constexpr char TXT_DOC_KEPT_ASIDE[] = "読み取れなかったﾌｧｲﾙは %1 に退避しました。";
inline constexpr char TXT_DOC_KEEP_ASIDE_FAILED[] =
    "読み取れなかったﾌｧｲﾙ %1 を退避できないため、終了時に保存しません。";
