// The scripts for the command-line client (tnftp) and what its output says.
#include "doc/FtpRun.h"
#include "platform/FtpSession.h"
#include "res/Texts.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
// The command that marks a command's output on both sides.
constexpr char FTP_MARK_COMMAND[] = "lpwd\n";
// What it prints before the working folder.
constexpr char FTP_MARK_HEAD[] = "Local directory: ";
// The client's word that it reached the server.
constexpr char FTP_CONNECTED_TO[] = "Connected to ";
// What the client asks when the server wants a password (on standard error).
constexpr char FTP_PASSWORD_PROMPT[] = "Password:";

std::string ComposeLogin(const std::string& strUser, const std::string& strPassword) {
    // "user NAME" alone makes the client ask; the next line is the answer.
    if (strPassword.empty()) {
        return "user " + QuoteFtpArgument(strUser) + "\n\n";
    }
    return "user " + QuoteFtpArgument(strUser) + " " + QuoteFtpArgument(strPassword) + "\n";
}

// The current directory, listed into strFile: "." names it, so that the
// server lists it all (a bare ">" would be taken as a name to look for).
std::string ComposeListing(const char* pszFile) {
    return std::string("dir . ") + pszFile + "\n";
}

std::string BaseName(const std::string& strPath) {
    size_t nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

std::vector<std::string> Lines(const std::string& str) {
    std::vector<std::string> vec;
    size_t nStart = 0;
    while (nStart < str.size()) {
        size_t nEnd = str.find('\n', nStart);
        std::string strLine =
            str.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        vec.push_back(strLine);
        if (nEnd == std::string::npos) {
            break;
        }
        nStart = nEnd + 1;
    }
    return vec;
}

// A server reply line as the client prints it: "226 Transfer complete."; the
// code of its last line, 0 for any other line ("2048 bytes sent in ...").
int ReplyCode(const std::string& strLine) {
    if (strLine.size() < 4 || strLine[0] < '1' || strLine[0] > '5' || strLine[1] < '0' ||
        strLine[1] > '9' || strLine[2] < '0' || strLine[2] > '9' || strLine[3] != ' ') {
        return 0;
    }
    if (strLine.find(" bytes ") == 3 && (strLine.find(" sent in ") != std::string::npos ||
                                         strLine.find(" received in ") != std::string::npos)) {
        return 0;
    }
    return (strLine[0] - '0') * 100 + (strLine[1] - '0') * 10 + (strLine[2] - '0');
}

// The last line with something in it.
std::string LastWord(const std::vector<std::string>& vecLines) {
    for (auto it = vecLines.rbegin(); it != vecLines.rend(); ++it) {
        if (it->find_first_not_of(' ') != std::string::npos) {
            return *it;
        }
    }
    return {};
}

std::string Formatted(const char* pszFormat, int nCode) {
    char sz[256];
    std::snprintf(sz, sizeof sz, pszFormat, nCode);
    return sz;
}
} // namespace

std::string QuoteFtpArgument(const std::string& str) {
    std::string strQuoted;
    strQuoted.reserve(str.size() + 8);
    for (char c : str) {
        if (c == ' ' || c == '\t' || c == '"' || c == '\\') {
            strQuoted += '\\';
        }
        strQuoted += c;
    }
    return strQuoted;
}

std::string ComposePutScript(const std::string& strUser, const std::string& strPassword,
                             const std::string& strLocalPath) {
    // The node keeps the file under its own name: the PC's folders mean nothing there.
    return ComposeLogin(strUser, strPassword) + "bin\n" + FTP_MARK_COMMAND + "put " +
           QuoteFtpArgument(strLocalPath) + " " + QuoteFtpArgument(BaseName(strLocalPath)) + "\n" +
           FTP_MARK_COMMAND + ComposeListing(FTP_LISTING_PUT) + "close\nquit\n";
}

std::string ComposeListingScript(const std::string& strUser, const std::string& strPassword) {
    return ComposeLogin(strUser, strPassword) + ComposeListing(FTP_LISTING_DIR) + "close\nquit\n";
}

std::string ComposeDeleteScript(const std::string& strUser, const std::string& strPassword,
                                const std::string& strFileName) {
    return ComposeLogin(strUser, strPassword) + "bin\n" + FTP_MARK_COMMAND + "del " +
           QuoteFtpArgument(strFileName) + "\n" + FTP_MARK_COMMAND +
           ComposeListing(FTP_LISTING_PUT) + "close\nquit\n";
}

bool IsScriptSafeText(const std::string& str) {
    for (char c : str) {
        auto by = static_cast<unsigned char>(c);
        if (by < 0x20 || by == 0x7F) {
            return false;
        }
    }
    return true;
}

bool IsScriptSafePath(const std::string& str) {
    // Absolute: a local name the client would read as "|command" never arises.
    return IsScriptSafeText(str) && !str.empty() && str[0] == '/' &&
           str.find('"') == std::string::npos;
}

bool IsAccountSafe(const std::string& strUser, const std::string& strPassword) {
    return !strUser.empty() && IsScriptSafeText(strUser) && IsScriptSafeText(strPassword);
}

std::string FtpMarkerLine(const std::string& strDir) {
    return FTP_MARK_HEAD + strDir;
}

SFtpReply ReadMarkedReply(const std::string& strOutput, const std::string& strErrors,
                          const std::string& strMarker) {
    SFtpReply reply;
    std::vector<std::string> vecLines = Lines(strOutput);
    std::vector<std::string> vecSection;
    int nMarks = 0;
    for (const std::string& strLine : vecLines) {
        if (strLine.find(FTP_CONNECTED_TO) != std::string::npos) {
            reply.bConnected = true;
        }
        if (strLine == strMarker) {
            ++nMarks;
        } else if (nMarks == 1) {
            vecSection.push_back(strLine);
        }
    }
    // The last reply counts: a refused passive connection (5xx) may be
    // followed by the active one that carried the file (226).
    for (auto it = vecSection.rbegin(); it != vecSection.rend(); ++it) {
        if (int nCode = ReplyCode(*it); nCode != 0) {
            reply.nCode = nCode;
            reply.strText = *it;
            return reply;
        }
    }
    std::string strErrors2 = strErrors;
    for (size_t nPos; (nPos = strErrors2.find(FTP_PASSWORD_PROMPT)) != std::string::npos;) {
        strErrors2.erase(nPos, sizeof FTP_PASSWORD_PROMPT - 1);
    }
    reply.strText = LastWord(Lines(strErrors2));
    if (reply.strText.empty()) {
        reply.strText = LastWord(vecSection.empty() ? vecLines : vecSection);
    }
    return reply;
}

int TransferResult(const SFtpReply& reply) {
    if (reply.nCode == 226 || reply.nCode == 250) {
        return FTPRUN_OK;
    }
    if (reply.nCode >= 400) {
        return FTPRUN_REFUSED;
    }
    if (reply.nCode == 0 && !reply.bConnected) {
        return FTPRUN_NO_CONNECTION;
    }
    return FTPRUN_UNCONFIRMED;
}

std::string DescribeFtpError(const CFtpError& err) {
    int nCode = err.GetCode();
    switch (nCode) {
    case FTPERR_LOGIN_DENIED:
        return Formatted(TXT_FTPERR_LOGIN_DENIED, nCode);
    case FTPERR_CONNECT:
        switch (err.GetOsError()) {
        case ECONNREFUSED:
            return Formatted(TXT_FTPERR_CONNECTION_REFUSED, nCode);
        case EHOSTUNREACH:
        case ENETUNREACH:
            return Formatted(TXT_FTPERR_UNREACHABLE, nCode);
        case ETIMEDOUT:
            return Formatted(TXT_FTPERR_TIMEOUT, nCode);
        default:
            break;
        }
        break;
    case FTPERR_TIMEOUT:
        return Formatted(TXT_FTPERR_TIMEOUT, nCode);
    case FTPERR_RESOLVE:
        return Formatted(TXT_FTPERR_RESOLVE, nCode);
    case FTPERR_GOT_NOTHING:
    case FTPERR_SEND:
    case FTPERR_RECV:
        return Formatted(TXT_FTPERR_RESET, nCode);
    default:
        break;
    }
    std::string strText;
    err.GetErrorMessage(strText);
    return strText;
}

std::string CheckFailureText(const CFtpError& err) {
    std::string strText = DescribeFtpError(err);
    return strText.empty() ? std::string(TXT_FTP_CONNECT_FAILED)
                           : strText.substr(0, FTP_ERROR_TEXT_MAX);
}

std::string MaskFtpAccount(const std::string& strLine, const std::string& strUser,
                           const std::string& strPassword) {
    if (strLine.rfind("user ", 0) == 0) {
        // The script's login line: nothing of it after the command word.
        return std::string("user ") + TXT_FTPTRACE_MASK;
    }
    // One pass, longest secret first, so that a mask is never masked again.
    std::vector<std::string> vecSecrets;
    for (const std::string& str :
         {strUser, strPassword, QuoteFtpArgument(strUser), QuoteFtpArgument(strPassword)}) {
        if (!str.empty()) {
            vecSecrets.push_back(str);
        }
    }
    std::sort(vecSecrets.begin(), vecSecrets.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    std::string strMasked;
    for (size_t nPos = 0; nPos < strLine.size();) {
        auto it = std::find_if(vecSecrets.begin(), vecSecrets.end(), [&](const std::string& str) {
            return strLine.compare(nPos, str.size(), str) == 0;
        });
        if (it != vecSecrets.end()) {
            strMasked += TXT_FTPTRACE_MASK;
            nPos += it->size();
        } else {
            strMasked += strLine[nPos++];
        }
    }
    return strMasked;
}
