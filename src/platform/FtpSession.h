#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

class CMessagePump;

// A failure of the FTP session, with the library's own text when it gave one,
// its code (0: none) and the system's error number behind it (0: none).
class CFtpError : public std::runtime_error {
public:
    explicit CFtpError(const std::string& strText, int nCode = 0, int nOsError = 0)
        : std::runtime_error(strText), m_nCode(nCode), m_nOsError(nOsError) {}
    // False when there is no text to show.
    bool GetErrorMessage(std::string& strText) const {
        strText = what();
        return !strText.empty();
    }
    int GetCode() const { return m_nCode; }
    int GetOsError() const { return m_nOsError; }

private:
    int m_nCode;
    int m_nOsError;
};

// The library's codes the manager tells apart (libcurl's CURLE_* values).
inline constexpr int FTPERR_RESOLVE = 6;
inline constexpr int FTPERR_CONNECT = 7;
inline constexpr int FTPERR_GOT_NOTHING = 52;
inline constexpr int FTPERR_SEND = 55;
inline constexpr int FTPERR_RECV = 56;
inline constexpr int FTPERR_TIMEOUT = 28;
inline constexpr int FTPERR_LOGIN_DENIED = 67;

// Time limits of one connection check. The manager waits no longer than the
// sum for a node that does not answer.
inline constexpr long FTP_CONNECT_TIMEOUT_MS = 10000; // TCP connection
inline constexpr long FTP_REPLY_TIMEOUT_S = 10;       // each server reply, login included
inline constexpr long FTP_CHECK_TIMEOUT_MS = 25000;   // the whole check

// The owner of one FTP session (libcurl): it connects and logs in to check
// that a node's FTP server takes an account, and closes again. No file data
// passes through it.
class CFtpClient {
public:
    // Creates the session; throws CFtpError when the library cannot start.
    CFtpClient();
    virtual ~CFtpClient();
    CFtpClient(const CFtpClient&) = delete;
    CFtpClient& operator=(const CFtpClient&) = delete;

    // Closes a connection left from before, then connects to host and logs in
    // with the account; port 0 is FTP's own port 21, bPassive false active
    // mode. True when logged in; throws CFtpError otherwise. The two reserved
    // values are not used. With a pump set, the windows keep painting meanwhile.
    bool Connect(const std::string& strHost, int nReserved1, int nReserved2,
                 const std::string& strUser, const std::string& strPassword, uint16_t wPort,
                 bool bPassive);
    // Ends the connection (QUIT); the client may connect again.
    void CloseConnection();
    bool IsConnected() const { return m_pConnection != nullptr; }

    void SetPump(CMessagePump* pPump) { m_pPump = pPump; }

private:
    void* m_pConnection = nullptr; // CURL easy handle of the open connection
    void* m_pSession = nullptr;    // CURLSH: what the connections of this client share
    CMessagePump* m_pPump = nullptr;
};
