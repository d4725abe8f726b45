#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CFtpClient;
class CFtpError;
class CFtpPuts;
class CMessagePump;
class CTimerQueue;

// Results of the FTP runs (the put returns all of them; the listing and the
// selection 1, 2, 9 or 0). 5 to 7 and 10 are the download's own results.
inline constexpr int FTPRUN_OK = 0;         // the server took the file (226/250)
inline constexpr int FTPRUN_NO_SESSION = 1; // the FTP session could not be created
inline constexpr int FTPRUN_NO_CONNECTION =
    2; // the connection check failed (shown), or the client could not connect
inline constexpr int FTPRUN_TIMEOUT = 3;      // the client did not end in time and was ended
inline constexpr int FTPRUN_NO_PROCESS = 4;   // the client could not be started
inline constexpr int FTPRUN_REFUSED = 8;      // the server refused the transfer (4xx/5xx)
inline constexpr int FTPRUN_UNSAFE_TEXT = 9;  // a text unfit for a script; refused (shown)
inline constexpr int FTPRUN_UNCONFIRMED = 11; // the client ended without the server's answer

// The private working folders of the client: this, our pid, '-', six letters.
inline constexpr char FTP_WORK_DIR_PREFIX[] = "mrvmgr-ftp-";

// The listing files the scripts write into the client's working folder.
inline constexpr char FTP_LISTING_PUT[] = "Dir.txt";
inline constexpr char FTP_LISTING_DIR[] = "dir.txt";

// The put script's name in the working folder, numbered by the puts made.
inline constexpr char FTP_PUT_SCRIPT_FORMAT[] = "_ftpscr%d_.txt";
// What the client printed is kept up to this much.
inline constexpr size_t FTP_OUTPUT_MAX = 64 * 1024;
// The library's error text is shown up to this many bytes.
inline constexpr size_t FTP_ERROR_TEXT_MAX = 1023;

// How long the client may run.
inline constexpr uint32_t FTP_RUN_TIME_LIMIT_MS = 180000;
// The application dialog opens this long after the listing ended.
inline constexpr uint32_t FTP_SELECTION_PAUSE_MS = 1500;
// At most this much of a listing is read.
inline constexpr size_t FTP_LISTING_MAX = 1024 * 1024;
// The selection of the application dialog: names of at most 19 bytes, joined
// by commas into at most 255 bytes; the confirmation fits 1023 bytes then.
inline constexpr size_t FTP_NAME_MAX = 19;
inline constexpr size_t FTP_SELECTION_MAX = 255;
inline constexpr size_t FTP_CONFIRM_MAX = 1023;

// Where and how the runs happen; the product's defaults unless a test says otherwise.
struct SFtpRunEnv {
    std::string strClient = "ftp"; // the command-line client (tnftp), found on PATH
    uint32_t dwTimeLimit = FTP_RUN_TIME_LIMIT_MS;
    uint16_t wCheckPort = 0; // port of the connection check; 0: FTP's own
    // Creates the session of the connection check (throws CFtpError);
    // empty: the libcurl client.
    std::function<std::unique_ptr<CFtpClient>()> fnCreateClient;
    // Creates the puts of a run over many nodes; empty: the real ones.
    std::function<std::unique_ptr<CFtpPuts>(CMessagePump&, CTimerQueue&)> fnCreatePuts;
    // Told each step (the check, the client's start, script and output, its
    // end), the account masked; empty: nobody is told.
    std::function<void(const std::string& strLine)> fnTrace;
};

// strLine with every appearance of the account (as typed or in the client's
// quoting) written as "****", and a script's login line as "user ****".
std::string MaskFtpAccount(const std::string& strLine, const std::string& strUser,
                           const std::string& strPassword);

// The client's options: no auto-login (the script logs in), no prompts, no
// wildcard expansion of local names, the server's replies printed (they are
// the witness of each command). Passive data connections, falling back to
// active, are the client's default.
inline constexpr const char* FTP_CLIENT_OPTIONS[] = {"-i", "-n", "-g", "-v"};

// One argument in the client's own quoting (a backslash before each blank,
// quote and backslash), so that it arrives whole, byte for byte.
std::string QuoteFtpArgument(const std::string& str);

// The script texts, byte for byte as the client reads them. The command
// whose outcome counts stands between two "lpwd" lines, which mark it in the
// client's output. An empty password is the empty line the client reads when
// the server asks for one.
std::string ComposePutScript(const std::string& strUser, const std::string& strPassword,
                             const std::string& strLocalPath);
std::string ComposeListingScript(const std::string& strUser, const std::string& strPassword);
std::string ComposeDeleteScript(const std::string& strUser, const std::string& strPassword,
                                const std::string& strFileName);

// No control character (below 0x20, or 0x7F): nothing that could end a
// script line and start another.
bool IsScriptSafeText(const std::string& str);
// A local path for the put line: safe, absolute and without a double quote.
bool IsScriptSafePath(const std::string& str);
// An account the client can be given: a user name (an empty one could not be
// an argument at all) and a password, both safe.
bool IsAccountSafe(const std::string& strUser, const std::string& strPassword);

// What the client printed about the marked command: the server's last reply
// there, or the client's own last word when the server gave none.
struct SFtpReply {
    bool bConnected = false; // the client reached the server at all
    int nCode = 0;           // the last reply's code; 0: no reply to the command
    std::string strText;     // that reply line, or the client's last word
};
// The line the marker command prints in the client's working folder strDir.
std::string FtpMarkerLine(const std::string& strDir);
// strOutput is what the client wrote to its standard output, strErrors to its
// standard error; strMarker the marker line.
SFtpReply ReadMarkedReply(const std::string& strOutput, const std::string& strErrors,
                          const std::string& strMarker);
// The FTPRUN_* result of a transfer from its reply: 226/250 sent, 4xx/5xx refused.
int TransferResult(const SFtpReply& reply);

// The operator's text for a failed connection check: ours with the code for
// the failures an operator meets, else the library's own.
std::string DescribeFtpError(const CFtpError& err);
// What a failed connection check shows: that text, bounded, or "FTP接続失敗".
std::string CheckFailureText(const CFtpError& err);
