#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The object-archive byte layout the data file shares with the Windows tool:
// little-endian numbers, length-prefixed strings, and object records in which
// classes and objects share one running number (0 is "no object").
// Classes are named by their index into the list given to the archive; every
// class has schema 0.

inline constexpr uint16_t ARCHIVE_NEW_CLASS_TAG = 0xFFFF;
inline constexpr uint16_t ARCHIVE_CLASS_TAG = 0x8000;
inline constexpr uint16_t ARCHIVE_BIG_OBJECT_TAG = 0x7FFF;
inline constexpr uint32_t ARCHIVE_BIG_CLASS_TAG = 0x80000000u;
// A class name of this many characters or more is not a class name.
inline constexpr size_t ARCHIVE_MAX_CLASS_NAME = 64;

class CArchiveWriter {
public:
    explicit CArchiveWriter(std::vector<std::string> vecClasses);

    void WriteByte(uint8_t by);
    void WriteWord(uint16_t w);
    void WriteDword(uint32_t dw);
    void WriteBytes(const void* pData, size_t nLen);
    // Bytes as they are (CP932 texts), after the length prefix.
    void WriteString(const std::string& str);
    void WriteCount(uint32_t nCount);
    // Begins the record of a new object of class nClass; its fields follow.
    void WriteObjectTag(size_t nClass);

    const std::vector<uint8_t>& GetData() const { return m_vecData; }

private:
    std::vector<std::string> m_vecClasses;
    std::vector<uint32_t> m_vecClassNumbers; // 0 until the class is first written
    uint32_t m_nNextNumber = 1;
    std::vector<uint8_t> m_vecData;
};

enum class EObjectTag {
    Null,      // number 0
    New,       // a new object follows; nNumber is the number it took
    Reference, // an object read earlier, numbered nNumber
};

struct SObjectTag {
    EObjectTag eKind = EObjectTag::Null;
    size_t nClass = 0; // index into the class list (New and Reference)
    uint32_t nNumber = 0;
};

// Reads over a byte buffer it does not own. Every read returns false when the
// data do not follow the layout, running out of data inside an item included;
// after the first failure every further read fails too.
class CArchiveReader {
public:
    CArchiveReader(const uint8_t* pData, size_t nSize, std::vector<std::string> vecClasses);

    bool ReadByte(uint8_t& by);
    bool ReadWord(uint16_t& w);
    bool ReadDword(uint32_t& dw);
    bool ReadBytes(void* pData, size_t nLen);
    // 16-bit-character strings come back as CP932 bytes.
    bool ReadString(std::string& str);
    bool ReadCount(uint32_t& nCount);
    // Class records are checked here: a known name, schema 0, a valid number.
    bool ReadObjectTag(SObjectTag& tag);

    size_t GetRemaining() const { return m_nSize - m_nPos; }
    bool IsFailed() const { return m_bFailed; }

private:
    bool Fail();
    bool Need(size_t nLen);
    bool ReadLength(uint32_t& nLen, bool& bWide);
    bool ReadNewClass(size_t& nClass);

    struct SLoadEntry {
        bool bClass;
        size_t nClass;
    };

    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
    bool m_bFailed = false;
    std::vector<std::string> m_vecClasses;
    std::vector<SLoadEntry> m_vecLoad; // by number; entry 0 stands for "no object"
};
