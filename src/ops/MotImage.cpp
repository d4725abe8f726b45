#include "ops/MotImage.h"

#include "doc/FtpRun.h"
#include "res/Texts.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Address bytes of a record type; 0 for a type that does not exist.
size_t AddressBytes(char cType) {
    switch (cType) {
    case '0':
    case '1':
    case '5':
    case '9':
        return 2;
    case '2':
    case '6':
    case '8':
        return 3;
    case '3':
    case '7':
        return 4;
    default:
        return 0;
    }
}

// Empty when the record is well formed.
const char* CheckRecord(const std::string& strLine) {
    if (strLine.size() < 4 || strLine[0] != 'S') {
        return TXT_MOT_NOT_SRECORD;
    }
    size_t nAddress = AddressBytes(strLine[1]);
    if (nAddress == 0) {
        return TXT_MOT_BAD_TYPE;
    }
    std::vector<uint8_t> vecBytes;
    for (size_t i = 2; i < strLine.size(); i += 2) {
        int nHigh = HexValue(strLine[i]);
        int nLow = i + 1 < strLine.size() ? HexValue(strLine[i + 1]) : -1;
        if (nHigh < 0 || (i + 1 < strLine.size() && nLow < 0)) {
            return TXT_MOT_NOT_HEX;
        }
        if (nLow < 0) {
            return TXT_MOT_BAD_LENGTH; // an odd number of digits
        }
        vecBytes.push_back(static_cast<uint8_t>(nHigh * 16 + nLow));
    }
    size_t nCount = vecBytes[0];
    if (nCount != vecBytes.size() - 1 || nCount < nAddress + 1) {
        return TXT_MOT_BAD_LENGTH;
    }
    unsigned nSum = 0;
    for (size_t i = 0; i + 1 < vecBytes.size(); ++i) {
        nSum += vecBytes[i];
    }
    if (static_cast<uint8_t>(~nSum) != vecBytes.back()) {
        return TXT_MOT_BAD_CHECKSUM;
    }
    return "";
}

bool HasMotExtension(const std::string& strPath) {
    size_t nSlash = strPath.rfind('/');
    size_t nDot = strPath.rfind('.');
    if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash)) {
        return false;
    }
    std::string strExt = strPath.substr(nDot);
    for (char& c : strExt) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return strExt == ".mot";
}
} // namespace

std::string FindSRecordFault(const std::string& strText, size_t& nBadLine) {
    size_t nLine = 0;
    size_t nStart = 0;
    bool bEnded = false;
    bool bData = false;
    while (nStart < strText.size()) {
        size_t nEnd = strText.find('\n', nStart);
        std::string strLine =
            strText.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        nStart = nEnd == std::string::npos ? strText.size() : nEnd + 1;
        ++nLine;
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        if (strLine.empty()) {
            continue;
        }
        if (bEnded) {
            nBadLine = nLine;
            return TXT_MOT_AFTER_END;
        }
        std::string strWhy = CheckRecord(strLine);
        if (!strWhy.empty()) {
            nBadLine = nLine;
            return strWhy;
        }
        char cType = strLine[1];
        // A data record counts when it carries a byte: an image of empty ones has nothing to load.
        const size_t nDigitsEmpty = 2 + 2 * (1 + AddressBytes(cType) + 1);
        bData = bData || (cType >= '1' && cType <= '3' && strLine.size() > nDigitsEmpty);
        bEnded = cType >= '7' && cType <= '9';
    }
    if (!bData || !bEnded) {
        nBadLine = nLine + 1;
        return !bData ? TXT_MOT_NO_DATA : TXT_MOT_NO_END;
    }
    nBadLine = 0;
    return {};
}

bool CheckDownloadFile(const std::string& strPath, std::string& strMessage) {
    strMessage.clear();
    if (!IsScriptSafePath(strPath)) {
        strMessage = TXT_FTP_UNSAFE_PATH;
        return false;
    }
    // Opened without waiting for a writer, in case it is a FIFO; what is
    // read is what was looked at.
    int fd = ::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        strMessage = TXT_MOT_UNREADABLE;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        strMessage = TXT_DOWNLOAD_NOT_A_FILE;
        return false;
    }
    if (st.st_size > DOWNLOAD_FILE_MAX) {
        ::close(fd);
        strMessage = TXT_DOWNLOAD_TOO_LARGE;
        return false;
    }
    if (!HasMotExtension(strPath)) {
        ::close(fd);
        return true;
    }
    std::string strText;
    ssize_t n = 0;
    char ab[65536];
    // No more than the bound, even from a file that grows while it is read.
    while (strText.size() <= static_cast<size_t>(DOWNLOAD_FILE_MAX) &&
           ((n = ::read(fd, ab, sizeof ab)) > 0 || (n < 0 && errno == EINTR))) {
        strText.append(ab, static_cast<size_t>(std::max<ssize_t>(n, 0)));
    }
    ::close(fd);
    if (n < 0 || strText.size() > static_cast<size_t>(DOWNLOAD_FILE_MAX)) {
        strMessage = n < 0 ? TXT_MOT_UNREADABLE : TXT_DOWNLOAD_TOO_LARGE;
        return false;
    }
    size_t nBadLine = 0;
    std::string strWhy = FindSRecordFault(strText, nBadLine);
    if (strWhy.empty()) {
        return true;
    }
    char szLine[256];
    std::snprintf(szLine, sizeof szLine, TXT_MOT_LINE_FORMAT, nBadLine, strWhy.c_str());
    char szMessage[512];
    std::snprintf(szMessage, sizeof szMessage, TXT_MOT_INVALID_FORMAT, szLine);
    strMessage = szMessage;
    return false;
}

namespace {
// The data bytes of an S0 record as text; empty for anything else.
std::string HeaderText(const std::string& strLine) {
    if (strLine.size() < 10 || strLine[0] != 'S' || strLine[1] != '0' ||
        !std::string(CheckRecord(strLine)).empty()) {
        return {};
    }
    std::string strText;
    // Count, two address bytes, the data, the checksum.
    for (size_t i = 8; i + 2 < strLine.size(); i += 2) {
        strText += static_cast<char>(HexValue(strLine[i]) * 16 + HexValue(strLine[i + 1]));
    }
    while (!strText.empty() && strText.back() == '\0') {
        strText.pop_back();
    }
    return strText;
}
} // namespace

SImageIdentity ImageIdentityOf(const std::string& strText) {
    SImageIdentity identity;
    size_t nStart = 0;
    while (nStart < strText.size()) {
        size_t nEnd = strText.find('\n', nStart);
        std::string strLine =
            strText.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        nStart = nEnd == std::string::npos ? strText.size() : nEnd + 1;
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        if (strLine.empty()) {
            continue;
        }
        if (strLine.size() < 2 || strLine[0] != 'S' || strLine[1] != '0') {
            break; // the header comes first or not at all
        }
        // "NAME Vm.nn": a name of printable characters, one blank, V, the version.
        std::string strHeader = HeaderText(strLine);
        size_t nBlank = strHeader.rfind(" V");
        if (nBlank == std::string::npos || nBlank == 0) {
            break;
        }
        std::string strName = strHeader.substr(0, nBlank);
        std::string strVersion = strHeader.substr(nBlank + 2);
        size_t nDot = strVersion.find('.');
        bool bName = std::all_of(strName.begin(), strName.end(),
                                 [](char c) { return c > 0x20 && c < 0x7F; });
        bool bVersion = nDot >= 1 && nDot <= 3 && strVersion.size() == nDot + 3 &&
                        strVersion.find_first_not_of("0123456789", 0) == nDot &&
                        strVersion.find_first_not_of("0123456789", nDot + 1) == std::string::npos;
        if (bName && bVersion && std::stoi(strVersion.substr(0, nDot)) <= 127) {
            identity.strName = strName;
            identity.nMajor = std::stoi(strVersion.substr(0, nDot));
            identity.nMinor = std::stoi(strVersion.substr(nDot + 1));
        }
        break;
    }
    return identity;
}

SImageIdentity ReadImageIdentity(const std::string& strPath) {
    // The header is the first record: the file's beginning is enough.
    int fd = ::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    char ab[4096];
    ssize_t n;
    while ((n = ::read(fd, ab, sizeof ab)) < 0 && errno == EINTR) {
    }
    ::close(fd);
    return n > 0 ? ImageIdentityOf(std::string(ab, static_cast<size_t>(n))) : SImageIdentity();
}
