#pragma once
#include <string>

// Larger files are no image a node could take.
inline constexpr long long DOWNLOAD_FILE_MAX = 64 * 1024 * 1024;

// Whether a chosen file can be put on a node, checked before any node is
// touched: a path the client can be given (no control byte, no '"',
// absolute), naming a readable regular file (no device, FIFO or folder) of at
// most DOWNLOAD_FILE_MAX bytes; and a .mot file (by its extension, any case)
// must be a whole Motorola S-record image: every record well formed with its
// length and checksum, data records carrying data, and a terminating record (S7, S8 or S9)
// after which only empty lines follow. False with the message for the
// operator (naming the first bad line of a broken image).
bool CheckDownloadFile(const std::string& strPath, std::string& strMessage);

// The check on the text itself; nBadLine is the first bad line (1-based).
// Empty reason when the text is a whole image.
std::string FindSRecordFault(const std::string& strText, size_t& nBadLine);

// What an image says of itself: the text of its S0 header when that reads
// "NAME Vm.nn" (as "TESTAPP V1.02"), its name and version; a name left empty
// otherwise.
struct SImageIdentity {
    std::string strName;
    int nMajor = 0;
    int nMinor = 0;
    bool IsKnown() const { return !strName.empty(); }
};
SImageIdentity ImageIdentityOf(const std::string& strText);
// The same of the file's first records; unknown when it cannot be read.
SImageIdentity ReadImageIdentity(const std::string& strPath);
