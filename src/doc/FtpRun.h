#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CFtpClient;

// Results of the FTP runs (the put returns all of them; the listing and the
// selection 1, 2, 9 or 0). 5 to 7 are the download's own results.
inline constexpr int FTPRUN_OK = 0;            // the client ran and ended in time
inline constexpr int FTPRUN_NO_SESSION = 1;    // the FTP session could not be created
inline constexpr int FTPRUN_NO_CONNECTION = 2; // the connection check failed (shown)
inline constexpr int FTPRUN_TIMEOUT = 3;       // the client did not end in time and was ended
inline constexpr int FTPRUN_NO_PROCESS = 4;    // the client could not be started
inline constexpr int FTPRUN_REFUSED = 8;       // the node's listing after the put lacks the file
inline constexpr int FTPRUN_UNSAFE_TEXT = 9;   // a text unfit for a script; refused (shown)

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
    std::string strScriptDir; // with its trailing slash; empty: the executable's folder
    uint16_t wCheckPort = 0;  // port of the connection check; 0: FTP's own
    // Creates the session of the connection check (throws CFtpError);
    // empty: the libcurl client.
    std::function<std::unique_ptr<CFtpClient>()> fnCreateClient;
};

// The script texts, byte for byte as the client reads them.
std::string ComposePutScript(const std::string& strUser, const std::string& strPassword,
                             const std::string& strLocalPath);
std::string ComposeListingScript(const std::string& strUser, const std::string& strPassword);
std::string ComposeDeleteScript(const std::string& strUser, const std::string& strPassword,
                                const std::string& strFileName);

// No control character (below 0x20, or 0x7F): nothing that could end a
// script line and start another.
bool IsScriptSafeText(const std::string& str);
// A local path for the quoted put line: safe and without a double quote.
bool IsScriptSafePath(const std::string& str);

// Whether the node's listing shows the file just put: a line that ends with
// the file's base name and carries its size as a field.
bool ListingShowsFile(const std::string& strListing, const std::string& strBaseName,
                      uint64_t qwSize);
