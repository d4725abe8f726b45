#pragma once
// A fresh folder under /tmp for one test, removed with everything in it.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class CScratchDir {
public:
    CScratchDir() {
        char szTemplate[] = "/tmp/orvix-test-XXXXXX";
        const char* pszDir = ::mkdtemp(szTemplate);
        m_strDir = pszDir != nullptr ? std::string(pszDir) + "/" : std::string();
    }
    ~CScratchDir() {
        if (!m_strDir.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(m_strDir, ec);
        }
    }
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;

    // The folder with its trailing slash.
    const std::string& Dir() const { return m_strDir; }
    std::string File(const std::string& strName) const { return m_strDir + strName; }

    static void Write(const std::string& strPath, const std::string& strBytes) {
        std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
        out << strBytes;
    }
    static std::string Read(const std::string& strPath) {
        std::ifstream in(strPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool Exists(const std::string& strPath) { return std::filesystem::exists(strPath); }
    // Names of the entries in the folder, for spotting left-over files.
    size_t CountEntries() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(m_strDir),
                                                 std::filesystem::directory_iterator()));
    }

private:
    std::string m_strDir;
};

// TMPDIR names a scratch folder of its own while this lives (the FTP runs make
// their private working folders there); the earlier value comes back after.
class CTmpDirScope {
public:
    CTmpDirScope() {
        const char* pszOld = std::getenv("TMPDIR");
        m_bHadTmp = pszOld != nullptr;
        m_strOldTmp = m_bHadTmp ? pszOld : "";
        std::string strTmp = m_tmp.Dir();
        strTmp.pop_back();
        ::setenv("TMPDIR", strTmp.c_str(), 1);
    }
    ~CTmpDirScope() {
        if (m_bHadTmp) {
            ::setenv("TMPDIR", m_strOldTmp.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    CTmpDirScope(const CTmpDirScope&) = delete;
    CTmpDirScope& operator=(const CTmpDirScope&) = delete;

    const CScratchDir& Dir() const { return m_tmp; }

private:
    CScratchDir m_tmp;
    std::string m_strOldTmp;
    bool m_bHadTmp = false;
};
