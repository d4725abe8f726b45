#pragma once
// A node's file store and the directory listing its FTP server sends.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ESimFileKind { Kernel, System, UserApp, Data };

struct SSimFile {
    std::string strName; // name on the node
    ESimFileKind eKind = ESimFileKind::Data;
    size_t nSize = 0;
    int nMajor = 1; // kernel, system files and applications carry a version
    int nMinor = 0;
    uint16_t wSum = 0;     // 16-bit sum of an image's data bytes
    std::string strData;   // content of an uploaded file; empty for built-in files
    bool bHasData = false; // the content can be read back
};

inline constexpr size_t SIM_MAX_APPS = 10;
inline constexpr size_t SIM_MAX_NAME = 13; // an application name fills 14 bytes with its NUL
inline constexpr size_t SIM_SECTOR_BYTES = 512;

class CSimFileStore {
public:
    const std::vector<SSimFile>& Files() const { return m_vecFiles; }
    const SSimFile* Find(const std::string& strName) const;
    // Replaces a file of the same name in place, else appends.
    void Put(const SSimFile& file);
    bool Remove(const std::string& strName);
    void RemoveKind(ESimFileKind eKind);
    size_t CountKind(ESimFileKind eKind) const;
    const SSimFile* Kernel() const;

    // The files a LIST or NLST argument names: empty, "." or "/" is the whole
    // directory; anything else a name pattern ('*' and '?'), so a name the
    // node does not hold lists nothing.
    std::string FormatListing(const std::string& strFilter = {}) const;
    std::string FormatNames(const std::string& strFilter = {}) const;

private:
    std::vector<SSimFile> m_vecFiles;
};

// One listing line with CR LF. Applications show owner and group "user" and the
// version in front of the name ("V1.02 NAME"); no other line contains "user".
std::string SimFormatListingLine(const SSimFile& file);
const char* SimFileKindName(ESimFileKind eKind);
// Whether a listing's name filter takes this file name.
bool SimFilterMatches(const std::string& strFilter, const std::string& strName);
