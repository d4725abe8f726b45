#include "platform/Profile.h"
#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {
class Profile : public ::testing::Test {
protected:
    std::string Path() const { return m_dir.File("x.ini"); }
    CProfile LoadText(const std::string& strText) {
        CScratchDir::Write(Path(), strText);
        CProfile profile;
        EXPECT_TRUE(profile.Load(Path()));
        return profile;
    }

    CScratchDir m_dir;
};
} // namespace

// --- reading ---

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefault) {
    CProfile profile;
    EXPECT_TRUE(profile.Load(Path()));
    EXPECT_EQ(profile.GetInt("S", "K", 42), 42);
    EXPECT_EQ(profile.GetString("S", "K", "dflt", 16), "dflt");

    profile = LoadText("[S]\r\nA=1\r\n");
    EXPECT_EQ(profile.GetInt("T", "A", 7), 7);
    EXPECT_EQ(profile.GetInt("S", "B", 8), 8);
    EXPECT_EQ(profile.GetString("S", "B", "", 16), "");
}

TEST_F(Profile, SectionsAndKeysIgnoreCaseAndBlanks) {
    CProfile profile = LoadText("  [ mrv-620_parameter ]  \r\n  ownportx  =  300  \r\n");
    EXPECT_EQ(profile.GetInt("MRV-620_Parameter", "OwnportX", 0), 300);
    EXPECT_EQ(profile.GetString("MRV-620_PARAMETER", "OWNPORTX", "", 16), "300");
}

TEST_F(Profile, OnePairOfSurroundingQuotesIsRemoved) {
    CProfile profile = LoadText("[S]\r\n"
                                "A=\"quoted text\"\r\n"
                                "B=\"\"twice\"\"\r\n"
                                "C='single'\r\n"
                                "D=\"unbalanced\r\n"
                                "E=in\"side\r\n"
                                "F=\"\r\n"
                                "G=  \" padded \"  \r\n");
    EXPECT_EQ(profile.GetString("S", "A", "", 64), "quoted text");
    EXPECT_EQ(profile.GetString("S", "B", "", 64), "\"twice\"");
    EXPECT_EQ(profile.GetString("S", "C", "", 64), "single");
    EXPECT_EQ(profile.GetString("S", "D", "", 64), "\"unbalanced");
    EXPECT_EQ(profile.GetString("S", "E", "", 64), "in\"side");
    EXPECT_EQ(profile.GetString("S", "F", "", 64), "\"");
    EXPECT_EQ(profile.GetString("S", "G", "", 64), " padded ");
}

TEST_F(Profile, LfCrLfAndByteOrderMarkFilesReadAlike) {
    for (const char* pszText : {"[S]\r\nA=one\r\nB=2\r\n", "[S]\nA=one\nB=2\n", "[S]\nA=one\r\nB=2",
                                "\xEF\xBB\xBF[S]\r\nA=one\r\nB=2\r\n"}) {
        CProfile profile = LoadText(pszText);
        EXPECT_EQ(profile.GetString("S", "A", "", 16), "one") << pszText;
        EXPECT_EQ(profile.GetInt("S", "B", 0), 2) << pszText;
    }
}

TEST_F(Profile, FirstSectionAndFirstKeyOfANameWin) {
    CProfile profile = LoadText("[S]\r\nA=1\r\nA=2\r\n[T]\r\nA=3\r\n[s]\r\nA=4\r\nB=5\r\n");
    EXPECT_EQ(profile.GetInt("S", "A", 0), 1);
    EXPECT_EQ(profile.GetInt("T", "A", 0), 3);
    EXPECT_EQ(profile.GetInt("S", "B", 9), 9); // only in the second [s]
}

TEST_F(Profile, CommentsKeysWithoutValueAndLinesBeforeASection) {
    CProfile profile = LoadText("A=0\r\n[S]\r\n;A=1\r\nB\r\nC=\r\n");
    EXPECT_EQ(profile.GetInt("S", "A", 9), 9);
    EXPECT_EQ(profile.GetString("S", "B", "dflt", 16), "dflt"); // no '=': no value
    EXPECT_EQ(profile.GetString("S", "C", "dflt", 16), "");     // present, empty
}

TEST_F(Profile, IntegerIsTheLeadingSignedNumber) {
    CProfile profile = LoadText("[S]\r\n"
                                "Neg=-1062731775\r\n"
                                "Plus=+7\r\n"
                                "Letters=abc\r\n"
                                "Tail=12abc\r\n"
                                "Spaced=  5  \r\n"
                                "Empty=\r\n"
                                "Wrap=4294967297\r\n"
                                "Quoted=\"15\"\r\n"
                                "Minus=-\r\n");
    EXPECT_EQ(profile.GetInt("S", "Neg", 0), -1062731775);
    EXPECT_EQ(profile.GetInt("S", "Plus", 0), 7);
    EXPECT_EQ(profile.GetInt("S", "Letters", 3), 0);
    EXPECT_EQ(profile.GetInt("S", "Tail", 0), 12);
    EXPECT_EQ(profile.GetInt("S", "Spaced", 0), 5);
    EXPECT_EQ(profile.GetInt("S", "Empty", 3), 3);
    EXPECT_EQ(profile.GetInt("S", "Wrap", 0), 1);
    EXPECT_EQ(profile.GetInt("S", "Quoted", 0), 15);
    EXPECT_EQ(profile.GetInt("S", "Minus", 3), 0);
}

TEST_F(Profile, TextIsCutToTheBufferWithoutSplittingADoubleByteCharacter) {
    // "ab" then the CP932 character 82 A0 then "c".
    CProfile profile = LoadText("[S]\r\nT=ab\x82\xA0"
                                "c\r\n");
    EXPECT_EQ(profile.GetString("S", "T", "", 16), "ab\x82\xA0"
                                                   "c");
    EXPECT_EQ(profile.GetString("S", "T", "", 5), "ab\x82\xA0");
    EXPECT_EQ(profile.GetString("S", "T", "", 4), "ab"); // not "ab\x82"
    EXPECT_EQ(profile.GetString("S", "T", "", 1), "");
    EXPECT_EQ(profile.GetString("S", "T", "", 0), "");
    EXPECT_EQ(profile.GetString("S", "None", "0D0A0D", 5), "0D0A"); // the default is cut too
}

// --- writing ---

TEST_F(Profile, WritingCreatesFileSectionAndKeyWithCrLf) {
    CProfile profile;
    profile.Load(Path());
    profile.WriteString("Sec", "Key", "Value");
    profile.WriteString("Sec", "Other", "");
    profile.WriteString("Two", "K", "1");
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(CScratchDir::Read(Path()), "[Sec]\r\nKey=Value\r\nOther=\r\n[Two]\r\nK=1\r\n");
}

TEST_F(Profile, WritingKeepsEveryOtherLineByteForByte) {
    std::string strBefore = "; settings\n"
                            "[A]\n"
                            "  one = 1  \n"
                            "Two=2\n"
                            "\n"
                            "; next\n"
                            "[B]\r\n"
                            "x=\"q\"\r\n"
                            "tail=no newline";
    CProfile profile = LoadText(strBefore);
    profile.WriteString("a", "ONE", "11");  // existing key, other case: its spelling stays
    profile.WriteString("A", "Three", "3"); // new key: after the section's last key
    profile.WriteString("B", "New", "n");   // after a last line without a line end
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(CScratchDir::Read(Path()), "; settings\n"
                                         "[A]\n"
                                         "one=11\n"
                                         "Two=2\n"
                                         "Three=3\r\n"
                                         "\n"
                                         "; next\n"
                                         "[B]\r\n"
                                         "x=\"q\"\r\n"
                                         "tail=no newline\r\n"
                                         "New=n\r\n");
}

TEST_F(Profile, WritingToTheFirstOfTwoSameNamedSections) {
    CProfile profile = LoadText("[S]\r\nA=1\r\n[S]\r\nB=2\r\n");
    profile.WriteString("S", "B", "3");
    EXPECT_EQ(profile.GetText(), "[S]\r\nA=1\r\nB=3\r\n[S]\r\nB=2\r\n");
    EXPECT_EQ(profile.GetInt("S", "B", 0), 3);
}

TEST_F(Profile, AValueCannotAddLines) {
    CProfile profile;
    profile.Load(Path());
    profile.WriteString("S", "A", "one\r\n[T]\r\nB=2");
    EXPECT_EQ(profile.GetText(), "[S]\r\nA=one\r\n");
}

TEST_F(Profile, ValuesThatAReadWouldChangeAreWrittenInQuotes) {
    CProfile profile;
    profile.Load(Path());
    profile.WriteString("S", "User", "'abc'");
    profile.WriteString("S", "Passw", "'x");
    profile.WriteString("S", "Dq", "\"15\"");
    profile.WriteString("S", "Pad", " padded\t");
    profile.WriteString("S", "Inner", "in'side \"q\" too");
    profile.WriteString("S", "Empty", "");
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(CScratchDir::Read(Path()), "[S]\r\n"
                                         "User=\"'abc'\"\r\n"
                                         "Passw=\"'x\"\r\n"
                                         "Dq=\"\"15\"\"\r\n"
                                         "Pad=\" padded\t\"\r\n"
                                         "Inner=in'side \"q\" too\r\n"
                                         "Empty=\r\n");

    CProfile loaded;
    ASSERT_TRUE(loaded.Load(Path()));
    EXPECT_EQ(loaded.GetString("S", "User", "", 64), "'abc'");
    EXPECT_EQ(loaded.GetString("S", "Passw", "", 64), "'x");
    EXPECT_EQ(loaded.GetString("S", "Dq", "", 64), "\"15\"");
    EXPECT_EQ(loaded.GetString("S", "Pad", "", 64), " padded\t");
    EXPECT_EQ(loaded.GetString("S", "Inner", "", 64), "in'side \"q\" too");
    EXPECT_EQ(loaded.GetString("S", "Empty", "dflt", 64), "");

    // The quoted line is the value's own: writing the value again changes nothing.
    std::string strBefore = loaded.GetText();
    loaded.WriteString("S", "User", "'abc'");
    EXPECT_EQ(loaded.GetText(), strBefore);
}

TEST_F(Profile, UnchangedProfileIsNotWritten) {
    CProfile profile;
    profile.Load(Path());
    EXPECT_TRUE(profile.Save());
    EXPECT_FALSE(CScratchDir::Exists(Path()));

    profile = LoadText("[S]\nA=1\n");
    profile.WriteString("S", "A", "1");
    EXPECT_TRUE(profile.Save());
    EXPECT_EQ(CScratchDir::Read(Path()), "[S]\nA=1\n");
}

TEST_F(Profile, OneShotCallsReadAndWriteTheFile) {
    EXPECT_TRUE(WriteProfileString("S", "A", "-5", Path()));
    EXPECT_TRUE(WriteProfileString("S", "B", "text", Path()));
    EXPECT_EQ(ReadProfileInt("S", "A", 0, Path()), -5);
    EXPECT_EQ(ReadProfileString("S", "B", "", 3, Path()), "te");
    EXPECT_EQ(CScratchDir::Read(Path()), "[S]\r\nA=-5\r\nB=text\r\n");
}

TEST_F(Profile, SaveWritesThroughALinkAndKeepsTheLink) {
    std::string strTarget = m_dir.File("real.ini");
    CScratchDir::Write(strTarget, "[S]\r\nA=1\r\n");
    ASSERT_EQ(::symlink(strTarget.c_str(), Path().c_str()), 0);
    EXPECT_TRUE(WriteProfileString("S", "A", "2", Path()));
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(CScratchDir::Read(strTarget), "[S]\r\nA=2\r\n");
}

// --- failures: nothing reported, nothing crashed, no old file lost ---

TEST_F(Profile, SaveIntoAMissingFolderFailsQuietly) {
    std::string strPath = m_dir.File("no/such/folder/x.ini");
    EXPECT_FALSE(WriteProfileString("S", "A", "1", strPath));
    EXPECT_FALSE(CScratchDir::Exists(m_dir.File("no")));
}

TEST_F(Profile, AFolderInThePlaceOfTheFileIsLeftAlone) {
    std::filesystem::create_directory(Path());
    CProfile profile;
    EXPECT_FALSE(profile.Load(Path()));
    EXPECT_EQ(profile.GetInt("S", "A", 4), 4);
    profile.WriteString("S", "A", "1");
    EXPECT_FALSE(profile.Save());
    EXPECT_TRUE(std::filesystem::is_directory(Path()));
    EXPECT_EQ(m_dir.CountEntries(), 1u);
}

TEST_F(Profile, AFailedWriteLeavesTheOldFileWhole) {
    std::string strOld = "[S]\r\nA=1\r\n";
    CProfile profile = LoadText(strOld);
    profile.WriteString("S", "A", std::string(4000, 'x'));

    // Files may not grow beyond 100 bytes while saving: the write fails.
    rlimit limOld{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limOld), 0);
    auto fnOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limSmall = limOld;
    limSmall.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limSmall), 0);
    bool bSaved = profile.Save();
    ::setrlimit(RLIMIT_FSIZE, &limOld);
    std::signal(SIGXFSZ, fnOldHandler);

    EXPECT_FALSE(bSaved);
    EXPECT_EQ(CScratchDir::Read(Path()), strOld);
    EXPECT_EQ(m_dir.CountEntries(), 1u); // no temporary file left behind
    // Once writing works again, the same profile saves.
    EXPECT_TRUE(profile.Save());
    EXPECT_EQ(CScratchDir::Read(Path()), "[S]\r\nA=" + std::string(4000, 'x') + "\r\n");
}

TEST_F(Profile, SavedFileKeepsThePermissionsOfTheOldOne) {
    CScratchDir::Write(Path(), "[S]\r\nA=1\r\n");
    std::filesystem::permissions(Path(), std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read);
    EXPECT_TRUE(WriteProfileString("S", "A", "2", Path()));
    EXPECT_EQ(std::filesystem::status(Path()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

TEST_F(Profile, AReadOnlyFileIsNotReplaced) {
    CScratchDir::Write(Path(), "[S]\r\nA=1\r\n");
    ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
    EXPECT_FALSE(WriteProfileString("S", "A", "2", Path()));
    EXPECT_EQ(CScratchDir::Read(Path()), "[S]\r\nA=1\r\n");
    EXPECT_EQ(m_dir.CountEntries(), 1u);
}
