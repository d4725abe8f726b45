// The mrvctl program around its commands, run for real on commands that send
// nothing: usage errors, help, version, the running manager, and --json; and
// its output forms.
#include "JsonReader.h"
#include "ProgramRun.h"
#include "ScratchDir.h"
#include "cli/CtlOutput.h"
#include "platform/DataFileLock.h"

#include <gtest/gtest.h>

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
