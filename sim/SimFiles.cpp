#include "SimFiles.h"

#include <cstdio>

namespace {
const char* Owner(ESimFileKind eKind) {
    switch (eKind) {
    case ESimFileKind::Kernel:
    case ESimFileKind::System:
        return "root";
    case ESimFileKind::UserApp:
        return "user";
    case ESimFileKind::Data:
        return "ftp";
    }
    return "ftp";
}

const char* Mode(ESimFileKind eKind) {
    switch (eKind) {
    case ESimFileKind::Kernel:
    case ESimFileKind::System:
        return "-r--r--r--";
    case ESimFileKind::UserApp:
        return "-rwxr-xr-x";
    case ESimFileKind::Data:
        return "-rw-r--r--";
    }
    return "-rw-r--r--";
}
} // namespace

const char* SimFileKindName(ESimFileKind eKind) {
    switch (eKind) {
    case ESimFileKind::Kernel:
        return "kernel";
    case ESimFileKind::System:
        return "system";
    case ESimFileKind::UserApp:
        return "app";
    case ESimFileKind::Data:
        return "data";
    }
    return "data";
}

std::string SimFormatListingLine(const SSimFile& file) {
    char szName[64] = "";
    if (file.eKind == ESimFileKind::UserApp) {
        std::snprintf(szName, sizeof szName, "V%d.%02d ", file.nMajor, file.nMinor);
    }
    char sz[160];
    std::snprintf(sz, sizeof sz, "%s   1 %-8s %-8s %10zu Jan  1 00:00 %s", Mode(file.eKind),
                  Owner(file.eKind), Owner(file.eKind), file.nSize, szName);
    return std::string(sz) + file.strName + "\r\n";
}

const SSimFile* CSimFileStore::Find(const std::string& strName) const {
    for (const SSimFile& file : m_vecFiles) {
        if (file.strName == strName) {
            return &file;
        }
    }
    return nullptr;
}

void CSimFileStore::Put(const SSimFile& file) {
    for (SSimFile& old : m_vecFiles) {
        if (old.strName == file.strName) {
            old = file;
            return;
        }
    }
    m_vecFiles.push_back(file);
}

bool CSimFileStore::Remove(const std::string& strName) {
    for (auto it = m_vecFiles.begin(); it != m_vecFiles.end(); ++it) {
        if (it->strName == strName) {
            m_vecFiles.erase(it);
            return true;
        }
    }
    return false;
}

void CSimFileStore::RemoveKind(ESimFileKind eKind) {
    std::erase_if(m_vecFiles, [eKind](const SSimFile& f) { return f.eKind == eKind; });
}

size_t CSimFileStore::CountKind(ESimFileKind eKind) const {
    size_t n = 0;
    for (const SSimFile& file : m_vecFiles) {
        n += file.eKind == eKind ? 1 : 0;
    }
    return n;
}

const SSimFile* CSimFileStore::Kernel() const {
    for (const SSimFile& file : m_vecFiles) {
        if (file.eKind == ESimFileKind::Kernel) {
            return &file;
        }
    }
    return nullptr;
}

bool SimFilterMatches(const std::string& strFilter, const std::string& strName) {
    if (strFilter.empty() || strFilter == "." || strFilter == "/" || strFilter == "./") {
        return true;
    }
    // '*' and '?' as a real server takes them; every other byte stands for itself.
    size_t nPat = 0, nName = 0, nStar = std::string::npos, nResume = 0;
    while (nName < strName.size()) {
        if (nPat < strFilter.size() &&
            (strFilter[nPat] == '?' || strFilter[nPat] == strName[nName])) {
            ++nPat;
            ++nName;
        } else if (nPat < strFilter.size() && strFilter[nPat] == '*') {
            nStar = nPat++;
            nResume = nName;
        } else if (nStar != std::string::npos) {
            nPat = nStar + 1;
            nName = ++nResume;
        } else {
            return false;
        }
    }
    while (nPat < strFilter.size() && strFilter[nPat] == '*') {
        ++nPat;
    }
    return nPat == strFilter.size();
}

std::string CSimFileStore::FormatListing(const std::string& strFilter) const {
    std::string str;
    for (const SSimFile& file : m_vecFiles) {
        if (SimFilterMatches(strFilter, file.strName)) {
            str += SimFormatListingLine(file);
        }
    }
    return str;
}

std::string CSimFileStore::FormatNames(const std::string& strFilter) const {
    std::string str;
    for (const SSimFile& file : m_vecFiles) {
        if (SimFilterMatches(strFilter, file.strName)) {
            str += file.strName + "\r\n";
        }
    }
    return str;
}
