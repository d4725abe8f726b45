#include "platform/FtpSession.h"

#include "platform/FtpCurl.h"

#include "platform/MessagePump.h"

#include <curl/curl.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

static_assert(FTPERR_RESOLVE == CURLE_COULDNT_RESOLVE_HOST &&
              FTPERR_CONNECT == CURLE_COULDNT_CONNECT && FTPERR_GOT_NOTHING == CURLE_GOT_NOTHING &&
              FTPERR_SEND == CURLE_SEND_ERROR && FTPERR_RECV == CURLE_RECV_ERROR &&
              FTPERR_TIMEOUT == CURLE_OPERATION_TIMEDOUT &&
              FTPERR_LOGIN_DENIED == CURLE_LOGIN_DENIED);

namespace {
// Host texts that go into the URL: names and dotted or bracketed addresses only.
bool IsPlainHost(const std::string& strHost) {
    if (strHost.empty() || strHost.size() > 253) {
        return false;
    }
    for (char c : strHost) {
        bool bOk = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                   c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
        if (!bOk) {
            return false;
        }
    }
    return true;
}

// Runs perform on a helper thread while the pump pauses, so that the windows
// keep painting during the connection and login.
CURLcode PerformPausing(CURL* pCurl, CMessagePump* pPump) {
    if (pPump == nullptr) {
        return curl_easy_perform(pCurl);
    }
    int fdDone = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fdDone < 0) {
        return curl_easy_perform(pCurl);
    }
    std::atomic<CURLcode> code{CURLE_OK};
    std::thread worker([&] {
        code = curl_easy_perform(pCurl);
        uint64_t qwOne = 1;
        [[maybe_unused]] ssize_t n = write(fdDone, &qwOne, sizeof qwOne);
    });
    // The library's own time limits end the perform; this only waits for it.
    while (!pPump->PauseUntilReadable(fdDone, FTP_CHECK_TIMEOUT_MS + 1000)) {
    }
    worker.join();
    close(fdDone);
    return code;
}
} // namespace

CFtpClient::CFtpClient() {
    if (!InitFtpLibrary()) {
        throw CFtpError("");
    }
    m_pSession = curl_share_init();
    if (m_pSession == nullptr) {
        throw CFtpError("");
    }
}

CFtpClient::~CFtpClient() {
    CloseConnection();
    curl_share_cleanup(static_cast<CURLSH*>(m_pSession));
}

bool CFtpClient::Connect(const std::string& strHost, int /*nReserved1*/, int /*nReserved2*/,
                         const std::string& strUser, const std::string& strPassword, uint16_t wPort,
                         bool bPassive) {
    CloseConnection();
    char szError[CURL_ERROR_SIZE] = {};
    CURL* pCurl = NewFtpCheckHandle(strHost, strUser, strPassword, wPort, bPassive, szError);
    curl_easy_setopt(pCurl, CURLOPT_SHARE, static_cast<CURLSH*>(m_pSession));
    CURLcode code = PerformPausing(pCurl, m_pPump);
    if (code != CURLE_OK) {
        CFtpError err = FtpCheckError(pCurl, code, szError);
        curl_easy_cleanup(pCurl);
        throw err;
    }
    curl_easy_setopt(pCurl, CURLOPT_ERRORBUFFER, nullptr);
    m_pConnection = pCurl;
    return true;
}

void CFtpClient::CloseConnection() {
    if (m_pConnection != nullptr) {
        // The library closes a connect-only connection without a word; the
        // node's server is told, so it need not wait for the socket to drop.
        SendFtpQuit(static_cast<CURL*>(m_pConnection));
        curl_easy_cleanup(static_cast<CURL*>(m_pConnection));
        m_pConnection = nullptr;
    }
}

bool InitFtpLibrary() {
    static std::once_flag s_once;
    static bool s_bOk = false;
    std::call_once(s_once, [] { s_bOk = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return s_bOk;
}

CURL* NewFtpCheckHandle(const std::string& strHost, const std::string& strUser,
                        const std::string& strPassword, uint16_t wPort, bool bPassive,
                        char* szError) {
    if (!IsPlainHost(strHost)) {
        throw CFtpError(curl_easy_strerror(CURLE_URL_MALFORMAT), CURLE_URL_MALFORMAT);
    }
    CURL* pCurl = curl_easy_init();
    if (pCurl == nullptr) {
        throw CFtpError(curl_easy_strerror(CURLE_FAILED_INIT), CURLE_FAILED_INIT);
    }
    szError[0] = '\0';
    std::string strUrl = "ftp://" + strHost + ":" + std::to_string(wPort == 0 ? 21 : wPort) + "/";
    curl_easy_setopt(pCurl, CURLOPT_ERRORBUFFER, szError);
    curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.c_str());
    curl_easy_setopt(pCurl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(pCurl, CURLOPT_USERNAME, strUser.c_str());
    curl_easy_setopt(pCurl, CURLOPT_PASSWORD, strPassword.c_str());
    // Connect and log in (USER, PASS, PWD), nothing more.
    curl_easy_setopt(pCurl, CURLOPT_CONNECT_ONLY, 1L);
    if (!bPassive) {
        curl_easy_setopt(pCurl, CURLOPT_FTPPORT, "-");
    }
    curl_easy_setopt(pCurl, CURLOPT_CONNECTTIMEOUT_MS, FTP_CONNECT_TIMEOUT_MS);
    curl_easy_setopt(pCurl, CURLOPT_SERVER_RESPONSE_TIMEOUT, FTP_REPLY_TIMEOUT_S);
    curl_easy_setopt(pCurl, CURLOPT_TIMEOUT_MS, FTP_CHECK_TIMEOUT_MS);
    curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(pCurl, CURLOPT_NOPROXY, "*");
    return pCurl;
}

CFtpError FtpCheckError(CURL* pCurl, CURLcode code, const char* szError) {
    std::string strText = szError[0] != '\0' ? szError : curl_easy_strerror(code);
    long nOsError = 0;
    curl_easy_getinfo(pCurl, CURLINFO_OS_ERRNO, &nOsError);
    return CFtpError(strText, static_cast<int>(code), static_cast<int>(nOsError));
}

void SendFtpQuit(CURL* pCurl) {
    static const char s_szQuit[] = "QUIT\r\n";
    size_t nSent = 0;
    curl_easy_send(pCurl, s_szQuit, sizeof s_szQuit - 1, &nSent);
}
