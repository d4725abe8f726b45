#pragma once
// What the FTP session and the concurrent checks share of libcurl: one way to
// set up a connection check, one way to turn its failure into CFtpError.
// Only for the platform's FTP sources.
#include "platform/FtpSession.h"

#include <curl/curl.h>

#include <string>

// The library's global state, set up once; false when it cannot start.
bool InitFtpLibrary();

// An easy handle that connects to host and logs in with the account, nothing
// more, with the check's time limits; the error text goes into szError
// (CURL_ERROR_SIZE bytes, alive as long as the handle). Throws CFtpError for
// a host that is no plain name or address, or when no handle can be had.
CURL* NewFtpCheckHandle(const std::string& strHost, const std::string& strUser,
                        const std::string& strPassword, uint16_t wPort, bool bPassive,
                        char* szError);

// The failure of a check on pCurl, with the library's text and code and the
// system's error number behind it.
CFtpError FtpCheckError(CURL* pCurl, CURLcode code, const char* szError);

// Tells the server of a logged-in check that we leave (QUIT), so that it need
// not wait for the socket to drop.
void SendFtpQuit(CURL* pCurl);
