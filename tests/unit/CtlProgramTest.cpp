// The mrvctl program around its commands, run for real on commands that send
// nothing: usage errors, help, version, the running manager, and --json; and
// its output forms.
#include "JsonReader.h"
#include "ProgramRun.h"
#include "ScratchDir.h"
#include "cli/CtlOutput.h"
#include "platform/DataFileLock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {
class CtlProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir(m_dir.File("bin").c_str(), 0755);
        ::mkdir(m_dir.File("run").c_str(), 0700);
        std::filesystem::copy_file(ORVIX_MRVCTL_PATH, m_dir.File("bin/mrvctl"));
    }
    SProgramRun Ctl(std::vector<std::string> vecArgs) {
        vecArgs.insert(vecArgs.begin(), m_dir.File("bin/mrvctl"));
        return RunProgram(vecArgs,
                          {"HOME=" + m_dir.File("home"), "XDG_RUNTIME_DIR=" + m_dir.File("run")},
                          m_dir.Dir());
    }
    CScratchDir m_dir;
};
} // namespace

TEST_F(CtlProgram, AMalformedCommandLineSaysWhyAndHowAndChangesNothing) {
    SProgramRun run = Ctl({"networks", "add"});
    EXPECT_EQ(run.nExit, 2);
    EXPECT_EQ(run.strErr, "mrvctl: missing NAME\nUsage: mrvctl [--file FILE] [--network NAME] "
                          "[--interface NAME] [--json] [--yes]\n"
                          "              COMMAND [ARGS] [OPTIONS]\n");
    EXPECT_EQ(run.strOut, "");
    EXPECT_FALSE(CScratchDir::Exists(m_dir.File("bin/mrvmgr.dat")));
}

TEST_F(CtlProgram, ListingNeitherCreatesNorRewritesTheDataFile) {
    const std::string strData = m_dir.File("bin/mrvmgr.dat");
    EXPECT_EQ(Ctl({"networks", "list"}).nExit, 0);
    EXPECT_EQ(Ctl({"nodes"}).nExit, 0); // no network yet: an empty list
    EXPECT_FALSE(CScratchDir::Exists(strData));
    EXPECT_FALSE(CScratchDir::Exists(strData + ".lock"));

    ASSERT_EQ(Ctl({"networks", "add", "PLANT"}).nExit, 0);
    struct stat stBefore {};
    ASSERT_EQ(::stat(strData.c_str(), &stBefore), 0);
    for (auto vecArgs :
         {std::vector<std::string>{"networks", "show"}, std::vector<std::string>{"nodes", "list"},
          std::vector<std::string>{"defaults", "show"}}) {
        EXPECT_EQ(Ctl(vecArgs).nExit, 0) << vecArgs[0];
    }
    struct stat stAfter {};
    ASSERT_EQ(::stat(strData.c_str(), &stAfter), 0);
    // A save replaces the file by a new one: the same inode means untouched.
    EXPECT_EQ(stAfter.st_ino, stBefore.st_ino);

    // Choosing the current network with a listing is a change, and is kept.
    ASSERT_EQ(Ctl({"networks", "add", "LINE 2"}).nExit, 0);
    ASSERT_EQ(Ctl({"--network", "PLANT", "nodes", "list"}).nExit, 0);
    SProgramRun run = Ctl({"--json", "networks", "list"});
    CJsonValue json = CJsonValue::Parse(run.strOut);
    ASSERT_TRUE(json.IsValid()) << run.strOut;
    ASSERT_EQ(json["result"]["networks"].Size(), 2u);
    EXPECT_TRUE(json["result"]["networks"][0]["current"].Bool());
    EXPECT_FALSE(json["result"]["networks"][1]["current"].Bool());
}

TEST_F(CtlProgram, HelpAndVersionAnswer) {
    SProgramRun help = Ctl({"--help"});
    EXPECT_EQ(help.nExit, 0);
    EXPECT_NE(help.strOut.find("download kernel|app FILE NODE..."), std::string::npos);
    SProgramRun commandHelp = Ctl({"autoset", "--help"});
    EXPECT_EQ(commandHelp.nExit, 0);
    EXPECT_EQ(commandHelp.strOut.rfind("Usage: mrvctl autoset --base IP", 0), 0u)
        << commandHelp.strOut;
    SProgramRun version = Ctl({"--version"});
    EXPECT_EQ(version.nExit, 0);
    EXPECT_EQ(version.strOut, "mrvctl 0.94\n");
}

TEST_F(CtlProgram, TheRunningManagerIsSaidAndNothingIsTouched) {
    // The manager holds the data file for its whole run.
    const std::string strData = m_dir.File("bin/mrvmgr.dat");
    CDataFileLock lock(strData, "mrvmgr");
    ASSERT_EQ(lock.Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Held);
    const std::string strText = "the data file " + strData + " is in use by mrvmgr (pid " +
                                std::to_string(::getpid()) +
                                "); close the manager or wait with --wait SECONDS";
    SProgramRun run = Ctl({"networks", "add", "PLANT"});
    EXPECT_EQ(run.nExit, 6);
    EXPECT_EQ(run.strErr, "mrvctl: " + strText + "\n");
    EXPECT_FALSE(CScratchDir::Exists(strData));
    // As every outcome: one JSON object.
    run = Ctl({"--json", "nodes", "list"});
    EXPECT_EQ(run.nExit, 6);
    CJsonValue json = CJsonValue::Parse(run.strOut);
    ASSERT_TRUE(json.IsValid()) << run.strOut;
    EXPECT_EQ(json["exit"].Int(), 6);
    EXPECT_FALSE(json["ok"].Bool());
    ASSERT_EQ(json["messages"].Size(), 1u);
    EXPECT_EQ(json["messages"][0]["text"].Str(), strText);
    EXPECT_FALSE(CScratchDir::Exists(strData));
}

TEST_F(CtlProgram, JsonOutputIsOneObjectWithTheMessagesAndTheResult) {
    ASSERT_EQ(Ctl({"networks", "add", "PLANT", "--gateway", "192.168.1.1"}).nExit, 0);
    SProgramRun run = Ctl({"--json", "networks", "add", "PLANT"});
    EXPECT_EQ(run.nExit, 2);
    CJsonValue json = CJsonValue::Parse(run.strOut);
    ASSERT_TRUE(json.IsValid()) << run.strOut;
    EXPECT_EQ(json["command"].Str(), "networks");
    EXPECT_FALSE(json["ok"].Bool());
    EXPECT_EQ(json["exit"].Int(), 2);
    ASSERT_EQ(json["messages"].Size(), 1u);
    EXPECT_EQ(json["messages"][0]["text"].Str(), "ﾈｯﾄﾜｰｸ名が重複しています");
    EXPECT_EQ(json["messages"][0]["exit"].Int(), 2);
    EXPECT_EQ(run.strErr, "mrvctl: ﾈｯﾄﾜｰｸ名が重複しています\n");

    run = Ctl({"networks", "list", "--json"});
    json = CJsonValue::Parse(run.strOut);
    ASSERT_TRUE(json.IsValid()) << run.strOut;
    EXPECT_TRUE(json["ok"].Bool());
    ASSERT_EQ(json["result"]["networks"].Size(), 1u);
    EXPECT_EQ(json["result"]["networks"][0]["name"].Str(), "PLANT");
    EXPECT_EQ(json["result"]["networks"][0]["gateway"].Str(), "192.168.1.1");
    EXPECT_TRUE(json["result"]["networks"][0]["current"].Bool());
    // Nothing but the object: no progress when standard error is no terminal.
    EXPECT_EQ(run.strErr, "");
}

TEST(CtlOutput, JsonEscapesAndKeepsTheOrderOfMembers) {
    CJson json = CJson::Object();
    json.Set("b", CJson::Str("quote \" back \\ line\nctl\x01 ﾉｰﾄﾞ"));
    json.Set("a", CJson::Int(-3));
    CJson& arr = json["list"] = CJson::Array();
    arr.Push(CJson::Bool(true));
    arr.Push(CJson());
    json.Set("b", CJson::Int(1)); // replaced in place
    EXPECT_EQ(json.Dump(), "{\"b\":1,\"a\":-3,\"list\":[true,null]}");
    EXPECT_EQ(CJson::Str("quote \" back \\ line\nctl\x01 ﾉｰﾄﾞ").Dump(),
              "\"quote \\\" back \\\\ line\\nctl\\u0001 ﾉｰﾄﾞ\"");
}

TEST(CtlOutput, TextsAreSafeForATerminalAndJsonIsAlwaysUtf8) {
    // C0 and DEL as \xHH, C1 (here CSI, U+009B) as \u00HH, a stray byte as \xHH.
    EXPECT_EQ(TerminalText("a\x1B[2Jb\x7F\xC2\x9B\xFFz\tq\nr"),
              "a\\x1b[2Jb\\x7f\\u009b\\xffz\\x09q\\x0ar");
    EXPECT_EQ(TerminalText("line 1\nline 2", true), "line 1\nline 2");
    EXPECT_EQ(TerminalText("ﾉｰﾄﾞ 検索"), "ﾉｰﾄﾞ 検索");
    const std::string strFffd = "\xEF\xBF\xBD";
    EXPECT_EQ(CJson::Str("A\xFF\xC0\xAF"
                         "B\xE3\x81")
                  .Dump(),
              "\"A" + strFffd + strFffd + strFffd + "B" + strFffd + strFffd + "\"");
    EXPECT_TRUE(IsUtf8("ﾉｰﾄﾞ"));
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80")); // a surrogate
}

// Found by fuzzing: two keys that are no UTF-8 but are written alike became
// two members of the same name, which strict readers refuse.
TEST(CtlOutput, KeysWrittenAlikeAreOneMember) {
    CJson json = CJson::Object();
    json.Set("\xFF", CJson::Int(1));
    json.Set("\xFE", CJson::Int(2));
    json.Set("\xEF\xBF\xBD", CJson::Int(3));
    EXPECT_EQ(json.Dump(), "{\"\xEF\xBF\xBD\":3}");
}

// Found by fuzzing: a number with places that was none became "inf" or
// "nan", which no reader takes, and a large one was cut at 63 digits.
TEST(CtlOutput, ANumberWithPlacesIsWholeAndOneThatIsNoneIsNull) {
    EXPECT_EQ(CJson::Real(1.5, 3).Dump(), "1.500");
    EXPECT_EQ(CJson::Real(-HUGE_VAL, 3).Dump(), "null");
    EXPECT_EQ(CJson::Real(std::nan(""), 3).Dump(), "null");
    EXPECT_EQ(CJson::Real(1e70, 1).Dump(),
              "10000000000000000725314363815292351261583744096465219555182101554790400.0");
}

TEST(CtlOutput, TheTablePadsColumnsByCharacters) {
    SCtlResult result;
    result.vecHeader = {"No.", "機種", "MAC"};
    result.vecRows = {{"1", "MRV-620ｼﾘｰｽﾞ", "0080D4000001"}, {"10", "X", "0080D4000002"}};
    result.vecLines = {"done"};
    EXPECT_EQ(FormatCtlText(result), "No.  機種            MAC\n"
                                     "1    MRV-620ｼﾘｰｽﾞ  0080D4000001\n"
                                     "10   X             0080D4000002\n"
                                     "done\n");
}

TEST_F(CtlProgram, WithJsonEveryOutcomeIsOneObject) {
    struct SCase {
        std::vector<std::string> vecArgs;
        int nExit;
        std::string strMessage; // the first message; empty: none
    };
    const SCase arrCases[] = {
        {{"--json", "networks", "add"}, 2, "missing NAME"},
        {{"--json", "--bogus", "nodes"}, 2, "unknown option '--bogus'"},
        {{"nodes", "--bogus", "--json"}, 2, "unknown option '--bogus'"},
        {{"-j"}, 2, "no command given"},
        {{"--json", "bogus"}, 2, "unknown command 'bogus'"},
        {{"--json", "networks", "add", "N", "--gateway", "1.2.3"},
         2,
         "'1.2.3' is not an address of four decimal parts"},
        {{"--json", "--help"}, 0, ""},
        {{"--json", "search", "--help"}, 0, ""},
        {{"--json", "--version"}, 0, ""},
    };
    for (const SCase& c : arrCases) {
        SProgramRun run = Ctl(c.vecArgs);
        std::string strWhat = ::testing::PrintToString(c.vecArgs);
        EXPECT_EQ(run.nExit, c.nExit) << strWhat;
        CJsonValue json = CJsonValue::Parse(run.strOut);
        ASSERT_TRUE(json.IsValid()) << strWhat << ": " << run.strOut;
        EXPECT_EQ(json["exit"].Int(), c.nExit) << strWhat;
        EXPECT_EQ(json["ok"].Bool(), c.nExit == 0) << strWhat;
        if (!c.strMessage.empty()) {
            EXPECT_EQ(json["messages"][0]["text"].Str(), c.strMessage) << strWhat;
        }
    }
    CJsonValue help = CJsonValue::Parse(Ctl({"--json", "search", "--help"}).strOut);
    EXPECT_EQ(help["command"].Str(), "search");
    EXPECT_EQ(help["result"]["help"].Str().rfind("Usage: mrvctl search", 0), 0u);
    CJsonValue version = CJsonValue::Parse(Ctl({"--version", "--json"}).strOut);
    EXPECT_EQ(version["result"]["version"].Str(), "0.94");
}

TEST_F(CtlProgram, AnArgumentThatIsNoUtf8NeverBreaksTheObject) {
    SProgramRun run = Ctl({"--json", "networks", "select", "LINE-\xFF\xFE"});
    EXPECT_EQ(run.nExit, 2);
    CJsonValue json = CJsonValue::Parse(run.strOut);
    ASSERT_TRUE(json.IsValid()) << run.strOut;
    ASSERT_EQ(json["messages"].Size(), 2u) << run.strOut;
    // Said, then replaced.
    EXPECT_EQ(json["messages"][0]["text"].Str(),
              "argument 4 is not valid UTF-8; its invalid bytes are shown as U+FFFD");
    EXPECT_EQ(json["messages"][0]["exit"].Int(), 0);
    EXPECT_EQ(json["messages"][1]["text"].Str(), "no network 'LINE-\uFFFD\uFFFD'");

    run = Ctl({"--json", "\xC0\xAF"}); // an overlong "/" as the command
    EXPECT_EQ(run.nExit, 2);
    json = CJsonValue::Parse(run.strOut);
    ASSERT_TRUE(json.IsValid()) << run.strOut;
    EXPECT_EQ(json["command"].Str(), "\uFFFD\uFFFD");
}

TEST_F(CtlProgram, NodeTextsReachATerminalWithTheirControlBytesEscaped) {
    const std::string strRemarks = "\x1B]0;owned\x07\x1B[2J";
    ASSERT_EQ(Ctl({"networks", "add", "A\x1B[31mB"}).nExit, 0);
    ASSERT_EQ(Ctl({"nodes", "add", "0080D4000001", "--remarks", strRemarks}).nExit, 0);
    for (auto vecArgs : {std::vector<std::string>{"nodes", "list"},
                         std::vector<std::string>{"networks", "list"}}) {
        SProgramRun run = Ctl(vecArgs);
        EXPECT_EQ(run.nExit, 0);
        EXPECT_EQ(run.strOut.find_first_of("\x1B\x07"), std::string::npos) << run.strOut;
        EXPECT_NE(
            run.strOut.find(vecArgs[0] == "nodes" ? "\\x1b]0;owned\\x07\\x1b[2J" : "A\\x1b[31mB"),
            std::string::npos)
            << run.strOut;
    }
    // Messages on standard error too; JSON keeps the text as it is.
    SProgramRun run = Ctl({"networks", "select", "X\x1B[2J"});
    EXPECT_EQ(run.strErr, "mrvctl: no network 'X\\x1b[2J'\n");
    run = Ctl({"--json", "nodes", "list"});
    CJsonValue json = CJsonValue::Parse(run.strOut);
    ASSERT_TRUE(json.IsValid()) << run.strOut;
    EXPECT_EQ(json["result"]["nodes"][0]["remarks"].Str(), strRemarks);
}

TEST_F(CtlProgram, QuietSaysOnlyWhatFailed) {
    SProgramRun added = Ctl({"-q", "networks", "add", "PLANT"});
    EXPECT_EQ(added.nExit, 0);
    EXPECT_EQ(added.strOut, "");
    EXPECT_EQ(added.strErr, "");
    EXPECT_NE(Ctl({"networks", "list"}).strOut, ""); // without it, the listing
    EXPECT_EQ(Ctl({"--quiet", "networks", "list"}).strOut, "");

    SProgramRun failed = Ctl({"-q", "networks", "select", "NOWHERE"});
    EXPECT_NE(failed.nExit, 0);
    EXPECT_NE(failed.strErr.find("mrvctl: "), std::string::npos) << failed.strErr;
    // JSON is asked for by name: it stays, one object.
    SProgramRun json = Ctl({"-q", "--json", "networks", "list"});
    EXPECT_TRUE(CJsonValue::Parse(json.strOut).IsValid()) << json.strOut;
}
