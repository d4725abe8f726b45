#pragma once
// What every fuzz target shares: a failed oracle ends the run as a crash (so
// libFuzzer keeps the input), a scratch folder of the process's own that the
// product's files and temporary files are pointed into, and small file helpers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// An oracle: the input is kept as a finding when it does not hold.
#define FUZZ_CHECK(cond, what)                                                                     \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            ::FuzzFail(__FILE__, __LINE__, #cond, (what));                                         \
        }                                                                                          \
    } while (0)

[[noreturn]] void FuzzFail(const char* pszFile, int nLine, const char* pszCond,
                           const std::string& strWhat);

// The folder this process may change, made once (under $TMPDIR or /tmp) and
// removed at exit. TMPDIR, HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR point
// into it, so that a path the product forms for itself stays inside too.
class CFuzzScratch {
public:
    static CFuzzScratch& Get();
    ~CFuzzScratch();
    CFuzzScratch(const CFuzzScratch&) = delete;
    CFuzzScratch& operator=(const CFuzzScratch&) = delete;

    // The folder with a trailing slash.
    const std::string& Dir() const { return m_strDir; }
    std::string File(const std::string& strName) const { return m_strDir + strName; }
    // Removes everything in the folder that is not in vecKeep (names).
    void Clear(const std::vector<std::string>& vecKeep = {}) const;
    // Names of the folder's entries, sorted.
    std::vector<std::string> List() const;
    // Fails the run when anything outside the folder that the product could
    // touch changed since the start: the program's own folder, the real home
    // and /tmp's entries of the product's own names.
    void CheckOutsideUnchanged() const;

private:
    CFuzzScratch();
    std::string m_strDir;
    std::vector<std::string> m_vecWatched;
    std::vector<std::string> m_vecWatchedState;
};

// The bytes of a plain file; nothing for anything else. *pExists: anything is there.
std::string ReadWholeFile(const std::string& strPath, bool* pExists = nullptr);
void WriteWholeFile(const std::string& strPath, const std::string& strData);
// Printable for a failure message: control and non-ASCII bytes as \xNN.
std::string Shown(const std::string& str);

// Reads a target's input front to back; past the end every read gives zeros
// (or nothing), so that any input is a whole one.
class CInputReader {
public:
    CInputReader(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}
    uint8_t Byte() { return m_nPos < m_nSize ? m_pData[m_nPos++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
    std::string Bytes(size_t nLen) {
        size_t n = nLen < m_nSize - m_nPos ? nLen : m_nSize - m_nPos;
        std::string str(reinterpret_cast<const char*>(m_pData + m_nPos), n);
        m_nPos += n;
        return str;
    }
    // Up to the next byte ch (taken off), or to the end.
    std::string Until(char ch) {
        std::string str;
        while (m_nPos < m_nSize && m_pData[m_nPos] != static_cast<uint8_t>(ch)) {
            str += static_cast<char>(m_pData[m_nPos++]);
        }
        if (m_nPos < m_nSize) {
            ++m_nPos;
        }
        return str;
    }
    std::string Rest() { return Bytes(m_nSize - m_nPos); }
    bool AtEnd() const { return m_nPos >= m_nSize; }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
};
