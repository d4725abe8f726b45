#include "registry/Archive.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

const std::vector<std::string> kClasses = {"CAlpha", "CBeta"};

Bytes Prefix(const Bytes& data, size_t nLen) {
    return Bytes(data.begin(), data.begin() + nLen);
}

// A reader together with the bytes it reads, which it does not own.
struct CHeldReader {
    explicit CHeldReader(Bytes bytes)
        : data(std::move(bytes)), ar(data.data(), data.size(), kClasses) {}
    CHeldReader(const CHeldReader&) = delete;
    CHeldReader& operator=(const CHeldReader&) = delete;
    Bytes data;
    CArchiveReader ar;
};
} // namespace

TEST(ArchiveWriter, NumbersAreLittleEndian) {
    CArchiveWriter ar(kClasses);
    ar.WriteByte(0xA5);
    ar.WriteWord(0x1234);
    ar.WriteDword(0xC0A8C8FEu);
    EXPECT_EQ(ar.GetData(), (Bytes{0xA5, 0x34, 0x12, 0xFE, 0xC8, 0xA8, 0xC0}));
}

TEST(ArchiveWriter, StringLengthTakesItsThreeForms) {
    auto Head = [](size_t nLen, size_t nHead) {
        CArchiveWriter ar(kClasses);
        ar.WriteString(std::string(nLen, 'x'));
        EXPECT_EQ(ar.GetData().size(), nLen + nHead);
        return Prefix(ar.GetData(), nHead);
    };
    EXPECT_EQ(Head(0, 1), (Bytes{0x00}));
    EXPECT_EQ(Head(254, 1), (Bytes{0xFE}));
    EXPECT_EQ(Head(255, 3), (Bytes{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Head(65533, 3), (Bytes{0xFF, 0xFD, 0xFF}));
    // 0xFFFE in the WORD would announce 16-bit characters.
    EXPECT_EQ(Head(65534, 7), (Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(Head(70000, 7), (Bytes{0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));

    CArchiveWriter ar(kClasses);
    ar.WriteString("\x83\x6C"
                   "A"); // CP932 bytes go out as they are
    EXPECT_EQ(ar.GetData(), (Bytes{0x03, 0x83, 0x6C, 0x41}));
}

TEST(ArchiveWriter, CountIsAWordUpToItsEscape) {
    CArchiveWriter ar(kClasses);
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    EXPECT_EQ(ar.GetData(), (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
}

TEST(ArchiveWriter, ClassesAndObjectsShareOneRunningNumber) {
    CArchiveWriter ar(kClasses);
    ar.WriteObjectTag(0); // CAlpha takes 1, the object 2
    ar.WriteObjectTag(0); // object 3
    ar.WriteObjectTag(1); // CBeta takes 4, the object 5
    ar.WriteObjectTag(1);
    ar.WriteObjectTag(0);
    EXPECT_EQ(ar.GetData(), (Bytes{0xFF, 0xFF, 0x00, 0x00, 0x06, 0x00, 'C',  'A',  'l',  'p',
                                   'h',  'a',  0x01, 0x80, 0xFF, 0xFF, 0x00, 0x00, 0x05, 0x00,
                                   'C',  'B',  'e',  't',  'a',  0x04, 0x80, 0x01, 0x80}));
}

TEST(ArchiveWriter, ClassNumbersFrom7FFFTakeTheLongTag) {
    CArchiveWriter ar(kClasses);
    // CAlpha is 1; its objects take 2 .. 0x7FFE; CBeta then takes 0x7FFF.
    for (int i = 0; i < 0x7FFD; ++i) {
        ar.WriteObjectTag(0);
    }
    size_t nBefore = ar.GetData().size();
    ar.WriteObjectTag(1);
    ar.WriteObjectTag(1);
    Bytes tail(ar.GetData().begin() + static_cast<long>(nBefore), ar.GetData().end());
    EXPECT_EQ(tail, (Bytes{0xFF, 0xFF, 0x00, 0x00, 0x05, 0x00, 'C', 'B', 'e', 't', 'a', 0xFF, 0x7F,
                           0xFF, 0x7F, 0x00, 0x80}));
}

TEST(ArchiveReader, ReadsNumbersStringsAndCounts) {
    Bytes data{0xA5, 0x34, 0x12, 0xFE, 0xC8, 0xA8, 0xC0, 0x02, 'h',  'i',  0xFF, 0x03,
               0x00, 'a',  'b',  'c',  0xFE, 0xFF, 0xFF, 0xFF, 0x10, 0x00, 0x01, 0x00};
    CHeldReader heldar(data);
    CArchiveReader& ar = heldar.ar;
    uint8_t by = 0;
    uint16_t w = 0;
    uint32_t dw = 0;
    std::string str;
    ASSERT_TRUE(ar.ReadByte(by));
    ASSERT_TRUE(ar.ReadWord(w));
    ASSERT_TRUE(ar.ReadDword(dw));
    EXPECT_EQ(by, 0xA5);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(dw, 0xC0A8C8FEu);
    ASSERT_TRUE(ar.ReadString(str));
    EXPECT_EQ(str, "hi");
    ASSERT_TRUE(ar.ReadString(str)); // the WORD form may carry a short length too
    EXPECT_EQ(str, "abc");
    ASSERT_TRUE(ar.ReadCount(dw));
    EXPECT_EQ(dw, 0xFFFEu);
    ASSERT_TRUE(ar.ReadCount(dw));
    EXPECT_EQ(dw, 0x10010u);
    EXPECT_EQ(ar.GetRemaining(), 0u);
    EXPECT_FALSE(ar.ReadByte(by));
    EXPECT_TRUE(ar.IsFailed());
}

TEST(ArchiveReader, WideStringsBecomeCp932) {
    // 0xFF, WORD 0xFFFE, then the length again: "ネA" in UTF-16LE.
    Bytes data{0xFF, 0xFE, 0xFF, 0x02, 0xCD, 0x30, 0x41, 0x00};
    // The inner length in its WORD form, and a character CP932 lacks (U+1F600).
    Bytes more{0xFF, 0xFE, 0xFF, 0xFF, 0x03, 0x00, 0x42, 0x00, 0x3D, 0xD8, 0x00, 0xDE};
    // A lone surrogate.
    Bytes broken{0xFF, 0xFE, 0xFF, 0x02, 0x00, 0xDC, 0x43, 0x00};
    std::string str;
    CHeldReader heldar(data);
    CArchiveReader& ar = heldar.ar;
    ASSERT_TRUE(ar.ReadString(str));
    EXPECT_EQ(str, "\x83\x6C"
                   "A");
    CHeldReader heldar2(more);
    CArchiveReader& ar2 = heldar2.ar;
    ASSERT_TRUE(ar2.ReadString(str));
    EXPECT_EQ(str, "B?");
    CHeldReader heldar3(broken);
    CArchiveReader& ar3 = heldar3.ar;
    ASSERT_TRUE(ar3.ReadString(str));
    EXPECT_EQ(str, "?C");
    // Two bytes a character: one character short is the end of the data.
    CHeldReader heldar4(Prefix(data, 7));
    CArchiveReader& ar4 = heldar4.ar;
    EXPECT_FALSE(ar4.ReadString(str));
}

TEST(ArchiveReader, LengthsBeyondTheDataFailWithoutReading) {
    std::string str = "kept";
    uint32_t n = 0;
    // A DWORD length of almost 4 GiB over a handful of bytes.
    CHeldReader heldar(Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'x'});
    CArchiveReader& ar = heldar.ar;
    EXPECT_FALSE(ar.ReadString(str));
    EXPECT_EQ(str, "kept");
    // The 64-bit escape is not taken.
    CHeldReader heldar2(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
    CArchiveReader& ar2 = heldar2.ar;
    EXPECT_FALSE(ar2.ReadString(str));
    CHeldReader heldar3(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    CArchiveReader& ar3 = heldar3.ar;
    EXPECT_FALSE(ar3.ReadCount(n));
    // A failed reader stays failed even where bytes remain.
    CHeldReader heldar4(Bytes{0x05, 'a', 0x01, 0x02});
    CArchiveReader& ar4 = heldar4.ar;
    EXPECT_FALSE(ar4.ReadString(str));
    uint8_t by = 0;
    EXPECT_FALSE(ar4.ReadByte(by));
}

TEST(ArchiveReader, ObjectTagsNumberClassesAndObjectsAndResolveReferences) {
    Bytes data{
        0xFF, 0xFF, 0x00, 0x00, 0x06, 0x00, 'C', 'A', 'l', 'p', 'h', 'a', // CAlpha 1, object 2
        0x01, 0x80,                                                       // CAlpha: object 3
        0xFF, 0xFF, 0x00, 0x00, 0x05, 0x00, 'C', 'B', 'e', 't', 'a',      // CBeta 4, object 5
        0xFF, 0x7F, 0x04, 0x00, 0x00, 0x80, // long class tag: object 6
        0x03, 0x00,                         // reference to object 3
        0xFF, 0x7F, 0x05, 0x00, 0x00, 0x00, // long reference to 5
        0x00, 0x00,                         // no object
    };
    CHeldReader heldar(data);
    CArchiveReader& ar = heldar.ar;
    SObjectTag tag;
    const struct {
        EObjectTag eKind;
        size_t nClass;
        uint32_t nNumber;
    } expected[] = {
        {EObjectTag::New, 0, 2},  {EObjectTag::New, 0, 3},       {EObjectTag::New, 1, 5},
        {EObjectTag::New, 1, 6},  {EObjectTag::Reference, 0, 3}, {EObjectTag::Reference, 1, 5},
        {EObjectTag::Null, 0, 0},
    };
    for (const auto& e : expected) {
        ASSERT_TRUE(ar.ReadObjectTag(tag));
        EXPECT_EQ(tag.eKind, e.eKind);
        EXPECT_EQ(tag.nNumber, e.nNumber);
        if (e.eKind != EObjectTag::Null) {
            EXPECT_EQ(tag.nClass, e.nClass);
        }
    }
    EXPECT_EQ(ar.GetRemaining(), 0u);
}

TEST(ArchiveReader, RefusesForeignClassesSchemasAndBogusNumbers) {
    const Bytes alpha{0xFF, 0xFF, 0x00, 0x00, 0x06, 0x00, 'C', 'A', 'l', 'p', 'h', 'a'};
    auto Refused = [](const Bytes& data, size_t nGood) {
        CArchiveReader ar(data.data(), data.size(), kClasses);
        SObjectTag tag;
        for (size_t i = 0; i < nGood; ++i) {
            if (!ar.ReadObjectTag(tag)) {
                return false;
            }
        }
        return !ar.ReadObjectTag(tag) && ar.IsFailed();
    };
    EXPECT_TRUE(
        Refused(Bytes{0xFF, 0xFF, 0x00, 0x00, 0x06, 0x00, 'C', 'O', 'b', 'L', 'i', 's'}, 0));
    // Known name, schema 1.
    EXPECT_TRUE(
        Refused(Bytes{0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00, 'C', 'A', 'l', 'p', 'h', 'a'}, 0));
    // A name of 64 characters is refused before it is read.
    Bytes longName{0xFF, 0xFF, 0x00, 0x00, 0x40, 0x00};
    longName.resize(longName.size() + 64, 'C');
    EXPECT_TRUE(Refused(longName, 0));
    // Class tags: number 0, a number not given yet, a number that is an object.
    Bytes withAlpha = alpha;
    for (Bytes tail : {Bytes{0x00, 0x80}, Bytes{0x03, 0x80}, Bytes{0x02, 0x80},
                       Bytes{0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80}}) {
        Bytes data = withAlpha;
        data.insert(data.end(), tail.begin(), tail.end());
        EXPECT_TRUE(Refused(data, 1)) << int(tail[0]);
    }
    // References: to a class, beyond the numbers given, in the long form too.
    for (Bytes tail :
         {Bytes{0x01, 0x00}, Bytes{0x03, 0x00}, Bytes{0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00}}) {
        Bytes data = withAlpha;
        data.insert(data.end(), tail.begin(), tail.end());
        EXPECT_TRUE(Refused(data, 1)) << int(tail[0]);
    }
    // A name of 63 characters is a name; this one is not known.
    Bytes name63{0xFF, 0xFF, 0x00, 0x00, 0x3F, 0x00};
    name63.resize(name63.size() + 63, 'C');
    std::vector<std::string> vecLong{std::string(63, 'C')};
    CArchiveReader ar(name63.data(), name63.size(), vecLong);
    SObjectTag tag;
    EXPECT_TRUE(ar.ReadObjectTag(tag));
    EXPECT_TRUE(Refused(name63, 0));
}
