#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// An INI file with the behaviour of the classic private-profile calls: sections
// and keys compared without case, values trimmed and one pair of surrounding
// quotes removed, a missing file, section or key giving the default; writing
// creates the file, section and key and keeps every other line byte for byte.
// Lines end in CR LF when written; CR LF and LF files are both read. The text
// is carried as bytes (CP932).
//
// The file is read once by Load and written once by Save, so that many keys
// cost one rewrite. Nothing is reported: the callers treat a failed write as lost.
class CProfile {
public:
    // A missing file gives an empty profile. False when the file exists but
    // cannot be read; the profile then reads defaults and Save leaves the file alone.
    bool Load(const std::string& strPath);
    const std::string& GetPath() const { return m_strPath; }

    // The value's leading decimal number with an optional sign (wrapping at 32
    // bits); 0 when it does not begin with one; nDefault for a missing key or an
    // empty value.
    int32_t GetInt(const std::string& strSection, const std::string& strKey,
                   int32_t nDefault) const;
    // The value, or the default for a missing key, cut to nSize - 1 bytes without
    // splitting a double-byte character.
    std::string GetString(const std::string& strSection, const std::string& strKey,
                          const std::string& strDefault, size_t nSize) const;
    // Sets key=value; a line break in the value ends it there, so that the value
    // cannot add lines of its own. A value that begins or ends with a blank or a
    // quote is written in double quotes, so that it reads back unchanged.
    void WriteString(const std::string& strSection, const std::string& strKey,
                     const std::string& strValue);

    // Writes a changed profile at once and whole (WriteFileAtomic): a failure
    // leaves the previous file as it was. True when written or unchanged.
    bool Save();
    // The file's bytes as Save writes them.
    std::string GetText() const;

private:
    enum class EKind { Other, Section, Key };
    struct SLine {
        std::string strText; // without the line end
        std::string strEnd;  // "\r\n", "\n" or "" (last line without one)
        EKind eKind = EKind::Other;
        std::string strName;  // section or key name, trimmed
        std::string strValue; // trimmed, with quotes
        bool bHasValue = false;
    };
    static void Classify(SLine& line, bool bFirst);
    // Index of the first section line of that name, or -1.
    int FindSection(const std::string& strSection) const;
    // Index of the key line within the section starting at nSection, or -1.
    int FindKey(int nSection, const std::string& strKey) const;
    void InsertLine(size_t nAt, std::string strText);

    std::string m_strPath;
    std::vector<SLine> m_vecLines;
    bool m_bReadable = true;
    bool m_bDirty = false;
};

// One-shot forms: each reads the file; the write saves it at once.
int32_t ReadProfileInt(const std::string& strSection, const std::string& strKey, int32_t nDefault,
                       const std::string& strPath);
std::string ReadProfileString(const std::string& strSection, const std::string& strKey,
                              const std::string& strDefault, size_t nSize,
                              const std::string& strPath);
bool WriteProfileString(const std::string& strSection, const std::string& strKey,
                        const std::string& strValue, const std::string& strPath);
