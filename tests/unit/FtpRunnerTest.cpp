// The FTP runs against a fake command-line client and a loopback FTP server
// for the connection check: script bytes, names, the client's surroundings,
// result codes, refusals, and nothing left behind.
#include "DocFixture.h"
#include "FakeFtpClient.h"
#include "LoopbackFtpServer.h"
#include "ScratchDir.h"
#include "doc/AppInfoDlg.h"
#include "doc/FtpRun.h"
#include "platform/FtpSession.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char SECRET[] = "s3cr3t-pw";
const char HOST[] = "127.0.0.1";

// An image; the node lists it with its size after taking it.
const std::string IMAGE = "S00600004844521B\nS107000001020304EE\nS9030000FC\n";
const std::string SYSTEM_LINES =
    "-r--r--r--   1 root     root         262144 Jan  1 00:00 mrv620.krn\n"
    "-r--r--r--   1 root     root            717 Jan  1 00:00 param.dat\n";

std::string AppLine(const std::string& strEntry, size_t nSize) {
    char sz[128];
    std::snprintf(sz, sizeof sz, "-rwxr-xr-x   1 user     user     %10zu Jan  1 00:00 %s\n", nSize,
                  strEntry.c_str());
    return sz;
}

std::string NoSlash(std::string str) {
    if (!str.empty() && str.back() == '/') {
        str.pop_back();
    }
    return str;
}

class FtpRunner : public CDocFixture {
protected:
    void SetUp() override {
        // The client's private folders are made under TMPDIR: a scratch
        // folder of this test, so that anything left behind shows.
        const char* pszOld = std::getenv("TMPDIR");
        m_strOldTmp = pszOld != nullptr ? pszOld : "";
        m_bHadTmp = pszOld != nullptr;
        setenv("TMPDIR", NoSlash(m_tmp.Dir()).c_str(), 1);
        MakeDoc();
        UseServer(m_server);
        std::filesystem::create_directories(m_files.File("with space"));
        m_strImage = m_files.File("with space/APP.mot");
        CScratchDir::Write(m_strImage, IMAGE);
    }
    void TearDown() override {
        CDocFixture::TearDown();
        if (m_bHadTmp) {
            setenv("TMPDIR", m_strOldTmp.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    void UseServer(const CLoopbackFtpServer& server) { UsePort(server.Port()); }
    void UsePort(uint16_t wPort) {
        SFtpRunEnv env;
        env.strClient = m_fake.Program();
        env.wCheckPort = wPort;
        env.dwTimeLimit = m_dwTimeLimit;
        m_pDoc->SetFtpRunEnv(env);
    }
    void SetTimeLimit(uint32_t dwMs) {
        SFtpRunEnv env = m_pDoc->GetFtpRunEnv();
        env.dwTimeLimit = dwMs;
        m_pDoc->SetFtpRunEnv(env);
    }
    // The listing dialog shows exactly this text; the operator closes it.
    void ExpectListing(const std::string& strListing) {
        m_ui.ExpectDialog("CFileInfoDlg", [strListing](CDialogModel& dlg, CUi& ui) {
            EXPECT_EQ(dlg.GetText(1122), strListing);
            return Press(dlg, ui, DIALOG_OK);
        });
    }
    // No working folder of the client (with its script) is left.
    void ExpectNothingLeft() { EXPECT_EQ(m_tmp.CountEntries(), 0u); }
    // The script of run n, with the folder it was read from.
    std::string ScriptOf(int n) const {
        std::string strCwd = m_fake.Run(n, "cwd");
        EXPECT_EQ(m_fake.Run(n, "stdin-path").rfind(strCwd.substr(0, strCwd.size() - 1) + "/", 0),
                  0u)
            << "the script lies in the client's private folder";
        return m_fake.Run(n, "script");
    }

    CLoopbackFtpServer m_server{"admin", SECRET};
    CFakeFtpClient m_fake{SECRET};
    CScratchDir m_tmp;
    CScratchDir m_files;
    std::string m_strImage;
    uint32_t m_dwTimeLimit = 180000;
    std::string m_strOldTmp;
    bool m_bHadTmp = false;
};
} // namespace

TEST_F(FtpRunner, ThirdPutWritesItsOwnScriptWithTheExactBytes) {
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_OK);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_OK);
    m_fake.SetListing(SYSTEM_LINES);
    ExpectListing(SYSTEM_LINES);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 1), FTPRUN_OK);
    EXPECT_EQ(m_pDoc->m_nFtpScriptCount, 3);
    ASSERT_EQ(m_fake.Runs(), 3);
    // Stored under its own name; the blank of the path escaped, not quoted.
    EXPECT_EQ(ScriptOf(3), "user admin s3cr3t-pw\nbin\nlpwd\nput " + m_files.Dir() +
                               "with\\ space/APP.mot APP.mot\nlpwd\ndir . Dir.txt\nclose\nquit\n");
    EXPECT_NE(m_fake.Run(1, "stdin-path").find("/_ftpscr1_.txt"), std::string::npos);
    EXPECT_NE(m_fake.Run(3, "stdin-path").find("/_ftpscr3_.txt"), std::string::npos);
    // Passive with the client's fallback to active: no "-A".
    EXPECT_EQ(m_fake.Run(3, "args"), "-i\n-n\n-g\n-v\n127.0.0.1\n");
    ExpectNothingLeft();
}

TEST_F(FtpRunner, AnEmptyPasswordIsTheEmptyLineTheClientReadsForIt) {
    CLoopbackFtpServer server("(none)", "");
    UseServer(server);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "(none)", "", 0), FTPRUN_OK);
    EXPECT_EQ(ScriptOf(1).substr(0, 17), "user (none)\n\nbin\n");
}

TEST_F(FtpRunner, ClientRunsInAPrivateFolderOnAPrivateScriptWithoutThePasswordInSight) {
    m_fake.SetListing(SYSTEM_LINES);
    ExpectListing(SYSTEM_LINES);
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", SECRET), FTPRUN_OK);
    ASSERT_EQ(m_fake.Runs(), 1);
    std::string strCwd = m_fake.Run(1, "cwd");
    // Named after our process, so that a later start can tell a dead run's.
    EXPECT_EQ(strCwd.rfind(m_tmp.Dir() + "mrvmgr-ftp-" + std::to_string(getpid()) + "-", 0), 0u)
        << strCwd;
    EXPECT_EQ(m_fake.Run(1, "stdin-mode"), "600\n");
    EXPECT_EQ(ScriptOf(1), "user admin s3cr3t-pw\ndir . dir.txt\nclose\nquit\n");
    // Looked for on every command line while the client ran.
    EXPECT_EQ(m_fake.Run(1, "secret-seen"), "");
    ExpectNothingLeft();
}

TEST_F(FtpRunner, EachStepIsToldWithTheAccountMasked) {
    CLoopbackFtpServer server("adm in", SECRET);
    UseServer(server);
    SFtpRunEnv env = m_pDoc->GetFtpRunEnv();
    std::vector<std::string> vecLines;
    env.fnTrace = [&](const std::string& strLine) { vecLines.push_back(strLine); };
    m_pDoc->SetFtpRunEnv(env);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "adm in", SECRET, 0), FTPRUN_OK);
    ASSERT_GE(vecLines.size(), 8u);
    EXPECT_EQ(vecLines[0], "ftp 127.0.0.1: connection check with the node's account");
    EXPECT_EQ(vecLines[1], "ftp 127.0.0.1: logged in");
    EXPECT_EQ(vecLines[2].rfind("ftp 127.0.0.1: " + m_fake.Program() + " -i -n -g -v 127.0.0.1", 0),
              0u)
        << vecLines[2];
    EXPECT_EQ(vecLines[3], "ftp> user ****");
    EXPECT_EQ(vecLines[4], "ftp> bin");
    EXPECT_EQ(vecLines.back(), "ftp 127.0.0.1: the client ended (status 0)");
    for (const std::string& strLine : vecLines) {
        EXPECT_EQ(strLine.find(SECRET), std::string::npos) << strLine;
        EXPECT_EQ(strLine.find("adm"), std::string::npos) << strLine;
    }
    // Wherever the account shows in what the client or server says.
    EXPECT_EQ(MaskFtpAccount("331 Password required for adm\\ in.", "adm in", "pw"),
              "331 Password required for ****.");
    EXPECT_EQ(MaskFtpAccount("530 ** ** no", "**", "*"), "530 **** **** no");
}

TEST_F(FtpRunner, EveryArgumentReachesTheClientWholeInItsOwnQuoting) {
    CLoopbackFtpServer server("adm in", "p\"w \\x");
    UseServer(server);
    m_pDoc->RunFtpDelete("adm in", "p\"w \\x", HOST, "\"q q\"", 0);
    m_pDoc->RunFtpDelete("adm in", "p\"w \\x", HOST, "x,ONE.mot", 0);
    EXPECT_EQ(ScriptOf(1), "user adm\\ in p\\\"w\\ \\\\x\nbin\nlpwd\ndel \\\"q\\ q\\\"\nlpwd\n"
                           "dir . Dir.txt\nclose\nquit\n");
    EXPECT_NE(ScriptOf(2).find("\ndel x,ONE.mot\n"), std::string::npos);
    EXPECT_EQ(m_pDoc->m_nFtpScriptCount, 0); // only puts count
    ExpectNothingLeft();
}

TEST_F(FtpRunner, TheServersReplyToThePutDecidesNeverTheListing) {
    struct SCase {
        const char* pszClientSays; // after "put", as tnftp prints it
        int nResult;
        const char* pszReply;
    } aCases[] = {
        {"229 Entering Extended Passive Mode (|||40001|)\n150 Ok to send data.\n"
         "226 Transfer complete.\n94 bytes sent in 00:00 (1.00 KiB/s)\n",
         FTPRUN_OK, "226 Transfer complete."},
        // Passive refused, then active carried it; a size is no reply.
        {"550 Permission denied.\n200 PORT command successful.\n150 Ok to send data.\n"
         "226 Transfer complete.\n512 bytes sent in 00:00 (1.00 KiB/s)\n",
         FTPRUN_OK, "226 Transfer complete."},
        {"229 Entering Extended Passive Mode (|||40002|)\n553 Could not create file.\n",
         FTPRUN_REFUSED, "553 Could not create file."},
        {"227 Entering Passive Mode (127,0,0,1,156,65)\n150 Ok.\n451-Local error\n"
         "451 in processing.\n",
         FTPRUN_REFUSED, "451 in processing."},
        {"150 Ok to send data.\n", FTPRUN_UNCONFIRMED, "150 Ok to send data."},
        {"Not connected.\n", FTPRUN_UNCONFIRMED, "Not connected."},
    };
    // The node lists the file under another name and size: it does not matter.
    m_fake.SetListing(SYSTEM_LINES + AppLine("V1.02 APPLICATION", 4096));
    for (const SCase& c : aCases) {
        m_fake.SetPutReply(c.pszClientSays);
        EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), c.nResult)
            << c.pszClientSays;
        EXPECT_EQ(m_pDoc->GetFtpReply().strText, c.pszReply);
    }
    m_fake.SetUnreachable();
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_NO_CONNECTION);
    EXPECT_EQ(m_pDoc->GetFtpReply().strText,
              "ftp: Can't connect to `127.0.0.1:21': Connection refused");
    ExpectNothingLeft();
}

TEST_F(FtpRunner, ClientThatNeverEndsIsEndedAtTheLimitAndReported) {
    m_fake.SetHang();
    SetTimeLimit(300);
    m_ui.ExpectMessage("FTPﾌﾟﾛｾｽでﾀｲﾑｱｳﾄが発生しました");
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 1), FTPRUN_TIMEOUT);
    ASSERT_EQ(m_fake.Runs(), 1);
    std::string strPid = m_fake.Run(1, "pid");
    ASSERT_FALSE(strPid.empty());
    // Terminated and reaped: the process is gone.
    EXPECT_NE(access(("/proc/" + std::to_string(std::stoi(strPid))).c_str(), F_OK), 0);
    ExpectNothingLeft();

    // The listing and the deletion carry on silently, without their dialogs.
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", SECRET), FTPRUN_OK);
    m_pDoc->RunFtpDelete("admin", SECRET, HOST, "APP.mot", 1);
    EXPECT_EQ(m_fake.Runs(), 3);
    ExpectNothingLeft();
}

TEST_F(FtpRunner, ClientThatCannotStartGivesNoProcess) {
    SFtpRunEnv env = m_pDoc->GetFtpRunEnv();
    env.strClient = m_files.File("no-such-ftp");
    m_pDoc->SetFtpRunEnv(env);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 1), FTPRUN_NO_PROCESS);
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", SECRET), FTPRUN_OK);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ExpectNothingLeft();
}

TEST_F(FtpRunner, FailedConnectionCheckSaysWhyInJapaneseAndRunsNothing) {
    const char szLogin[] = "FTPｻｰﾊﾞｰがﾛｸﾞｲﾝを拒否しました(ﾕｰｻﾞｰ名またはﾊﾟｽﾜｰﾄﾞが違います) [67]";
    m_ui.ExpectMessage(szLogin);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", "wrong", 1), FTPRUN_NO_CONNECTION);
    m_ui.ExpectMessage(szLogin);
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", "wrong"), FTPRUN_NO_CONNECTION);
    // The deletion says so once more.
    m_ui.ExpectMessage(szLogin);
    m_ui.ExpectMessage("ConnectErr");
    m_pDoc->RunFtpDelete("admin", "wrong", HOST, "APP.mot", 1);
    // Nothing listens: refused.
    uint16_t wClosed = 0;
    {
        CLoopbackFtpServer gone("admin", SECRET);
        wClosed = gone.Port();
    }
    UsePort(wClosed);
    m_ui.ExpectMessage("FTPｻｰﾊﾞｰが接続を拒否しました [7]");
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 1), FTPRUN_NO_CONNECTION);
    EXPECT_EQ(m_fake.Runs(), 0);
    EXPECT_EQ(m_pDoc->m_pFtpClient, nullptr);
    ExpectNothingLeft();
}

TEST(FtpScripts, TheLibrarysFailuresAnOperatorMeetsAreOursWithTheCode) {
    struct SCase {
        int nCode;
        int nErrno;
        const char* pszShown; // nullptr: the library's own text
    } aCases[] = {
        {67, 0, "FTPｻｰﾊﾞｰがﾛｸﾞｲﾝを拒否しました(ﾕｰｻﾞｰ名またはﾊﾟｽﾜｰﾄﾞが違います) [67]"},
        {7, ECONNREFUSED, "FTPｻｰﾊﾞｰが接続を拒否しました [7]"},
        {7, EHOSTUNREACH, "FTPｻｰﾊﾞｰに到達できません [7]"},
        {7, ENETUNREACH, "FTPｻｰﾊﾞｰに到達できません [7]"},
        {7, ETIMEDOUT, "FTPｻｰﾊﾞｰが時間内に応答しませんでした [7]"},
        {28, 0, "FTPｻｰﾊﾞｰが時間内に応答しませんでした [28]"},
        {6, 0, "ﾎｽﾄ名を解決できません [6]"},
        {56, ECONNRESET, "FTPｻｰﾊﾞｰとの接続が切断されました [56]"},
        {52, 0, "FTPｻｰﾊﾞｰとの接続が切断されました [52]"},
        {8, 0, nullptr},
        {7, EACCES, nullptr},
    };
    for (const SCase& c : aCases) {
        EXPECT_EQ(DescribeFtpError(CFtpError("library text", c.nCode, c.nErrno)),
                  c.pszShown != nullptr ? c.pszShown : "library text")
            << c.nCode << " " << c.nErrno;
    }
}

TEST_F(FtpRunner, SessionThatCannotBeCreatedGivesNoSessionSilently) {
    SFtpRunEnv env = m_pDoc->GetFtpRunEnv();
    env.fnCreateClient = []() -> std::unique_ptr<CFtpClient> { throw CFtpError("no library"); };
    m_pDoc->SetFtpRunEnv(env);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 1), FTPRUN_NO_SESSION);
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", SECRET), FTPRUN_NO_SESSION);
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "admin", SECRET), FTPRUN_NO_SESSION);
    m_pDoc->RunFtpDelete("admin", SECRET, HOST, "APP.mot", 1);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_fake.Runs(), 0);
    EXPECT_EQ(m_server.Connections(), 0);
}

TEST_F(FtpRunner, HostileAccountOrNameIsRefusedAndNothingRuns) {
    const char szAccount[] =
        "MRV-620のFTPｱｶｳﾝﾄに改行などの制御文字が含まれているため、FTP処理を中止しました";
    m_ui.ExpectMessage(szAccount);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin\n!sh", SECRET, 1), FTPRUN_UNSAFE_TEXT);
    m_ui.ExpectMessage(szAccount);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "", SECRET, 1), FTPRUN_UNSAFE_TEXT);
    m_ui.ExpectMessage(szAccount);
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", "pw\nput /etc/passwd"), FTPRUN_UNSAFE_TEXT);
    m_ui.ExpectMessage(szAccount);
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "ad\tmin", SECRET), FTPRUN_UNSAFE_TEXT);
    m_ui.ExpectMessage("削除するﾌｧｲﾙ名に改行などの制御文字が含まれているため、削除を中止しました");
    m_pDoc->RunFtpDelete("admin", SECRET, HOST, "APP.mot\rget x", 1);
    const char szPath[] =
        "ﾌｧｲﾙ名に改行などの制御文字または「\"」が含まれているため、ﾀﾞｳﾝﾛｰﾄﾞできません";
    m_ui.ExpectMessage(szPath);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_files.File("a\"b.mot"), "admin", SECRET, 1),
              FTPRUN_UNSAFE_TEXT);
    // A relative name could read as "|command" to the client.
    m_ui.ExpectMessage(szPath);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, "|sh", "admin", SECRET, 1), FTPRUN_UNSAFE_TEXT);
    EXPECT_EQ(m_fake.Runs(), 0);
    EXPECT_EQ(m_server.Connections(), 0);
    ExpectNothingLeft();
}

TEST_F(FtpRunner, ANameThatCannotBeSentWholeIsNeverOfferedForDeletion) {
    m_fake.SetListing(SYSTEM_LINES + AppLine("V1.00 GOOD.mot", 10) +
                      AppLine(std::string("V1.00 EV\x1bIL.mot"), 10));
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        PressExpectingMessage(
            dlg, ui, IDC_APPINFO_ALL,
            "ﾌｧｲﾙ名に改行などの制御文字が含まれているため、削除リストに追加できません",
            IDC_APPINFO_INSTALLED);
        EXPECT_EQ(dlg.GetItems(IDC_APPINFO_DELETE_LIST), std::vector<std::string>{"GOOD.mot"});
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessageThat(testing::StartsWith("「GOOD.mot」\r\n\r\n"), EMsgAnswer::Cancel);
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "admin", SECRET), FTPRUN_OK);
    EXPECT_EQ(m_fake.Runs(), 1); // the listing only
    ExpectNothingLeft();
}

TEST_F(FtpRunner, DeletingThreeApplicationsDeletesEachNameWholeAndShowsOnlyTheLastListing) {
    std::string strListing = SYSTEM_LINES + AppLine("V1.00 A.mot", 10) +
                             AppLine("V2.00 BEE APP.mot", 20) + AppLine("V3.00 x,ONE.mot", 30);
    m_fake.SetListing(strListing);
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(
            dlg.GetItems(IDC_APPINFO_INSTALLED),
            (std::vector<std::string>{"V1.00 A.mot", "V2.00 BEE APP.mot", "V3.00 x,ONE.mot"}));
        Click(dlg, ui, IDC_APPINFO_ALL);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage("「A.mot」\r\n「BEE APP.mot」\r\n「x,ONE.mot」\r\n"
                       "\r\n以上のアプリケーションを削除します。\r\n"
                       "よろしければ「OK」ボタンを押してください。",
                       EMsgAnswer::Ok)
        .WithButtons(EMsgButtons::OkCancel)
        .WithIcon(EMsgIcon::Question);
    ExpectListing(strListing);
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "admin", SECRET), FTPRUN_OK);
    ASSERT_EQ(m_fake.Runs(), 4);
    EXPECT_EQ(ScriptOf(1), "user admin s3cr3t-pw\ndir . dir.txt\nclose\nquit\n");
    for (auto [n, pszName] : {std::pair{2, "A.mot"}, {3, "BEE\\ APP.mot"}, {4, "x,ONE.mot"}}) {
        EXPECT_EQ(ScriptOf(n), std::string("user admin s3cr3t-pw\nbin\nlpwd\ndel ") + pszName +
                                   "\nlpwd\ndir . Dir.txt\nclose\nquit\n");
    }
    // The dialog opened a fixed pause after the listing ended.
    EXPECT_EQ(m_clock.GetSleeps(), (std::vector<uint32_t>{1500}));
    ExpectNothingLeft();
}

TEST_F(FtpRunner, ARefusedDeletionIsReportedWithTheServersReply) {
    m_fake.SetDeleteReply("550 Permission denied.\n");
    m_fake.SetListing(SYSTEM_LINES);
    m_ui.ExpectMessage("次のﾌｧｲﾙを削除できませんでした\r\n「A.mot」\r\n(550 Permission denied.)");
    ExpectListing(SYSTEM_LINES);
    m_pDoc->RunFtpDelete("admin", SECRET, HOST, "A.mot", 1);
}

TEST_F(FtpRunner, DeletionCancelledAtTheConfirmationDeletesNothing) {
    m_fake.SetListing(AppLine("V1.00 A.mot", 10));
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 0);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage("「A.mot」\r\n\r\n以上のアプリケーションを削除します。\r\n"
                       "よろしければ「OK」ボタンを押してください。",
                       EMsgAnswer::Cancel);
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "admin", SECRET), FTPRUN_OK);
    EXPECT_EQ(m_fake.Runs(), 1);
}

TEST_F(FtpRunner, ListingWithoutUserApplicationsEndsWithNothingToDelete) {
    m_fake.SetListing(SYSTEM_LINES);
    m_ui.ExpectMessage("ユーザアプリケーションが搭載されていません。");
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "admin", SECRET), FTPRUN_OK);
    EXPECT_TRUE(m_ui.m_vecDialogs.empty());
    EXPECT_EQ(m_fake.Runs(), 1);
}

TEST_F(FtpRunner, UnreadableListingIsReportedAndTheDialogsOpenEmpty) {
    m_fake.ClearListing();
    m_ui.ExpectMessage("ｱﾌﾟﾘｹｰｼｮﾝ情報が取得できませんでした。");
    ExpectListing("");
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", SECRET), FTPRUN_OK);
    m_ui.ExpectMessage("ｱﾌﾟﾘｹｰｼｮﾝ情報が取得できませんでした。");
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_TRUE(dlg.GetItems(IDC_APPINFO_INSTALLED).empty());
        EXPECT_FALSE(dlg.IsEnabled(DIALOG_OK));
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "admin", SECRET), FTPRUN_OK);
}

TEST(FtpScripts, QuotingKeepsEveryByteAndSafeTextsHaveNoControlCharacters) {
    EXPECT_EQ(QuoteFtpArgument("plain.mot"), "plain.mot");
    EXPECT_EQ(QuoteFtpArgument("a b\tc\"d\\e"), "a\\ b\\\tc\\\"d\\\\e");
    // A CP932 trail byte 0x5C is escaped like any backslash.
    EXPECT_EQ(QuoteFtpArgument("\x83\x5C[1]*.mot"), "\x83\\\x5C[1]*.mot");
    EXPECT_TRUE(IsScriptSafeText("p@ss word!\x81\x40"));
    EXPECT_FALSE(IsScriptSafeText("a\nb"));
    EXPECT_FALSE(IsScriptSafeText("a\rb"));
    EXPECT_FALSE(IsScriptSafeText(std::string("a\0b", 3)));
    EXPECT_FALSE(IsScriptSafeText("a\x7f"));
    EXPECT_TRUE(IsScriptSafePath("/home/op/with space/APP[1].mot"));
    EXPECT_FALSE(IsScriptSafePath("/home/op/a\"b.mot"));
    EXPECT_FALSE(IsScriptSafePath("app.mot"));
}

TEST(FtpScripts, TheMarkedReplyIsTheLastReplyBetweenTheMarkers) {
    const std::string strMark = "Local directory: /tmp/w";
    const std::string strOut = "Connected to 10.0.0.1.\n220 ready\n331 pw\n230 in\n200 Type I\n" +
                               strMark + "\nlocal: /a.mot remote: a.mot\n553 No.\n" + strMark +
                               "\n229 EPSV\n150 list\n226 Directory send OK.\n221 Bye.\n";
    SFtpReply reply = ReadMarkedReply(strOut, "", strMark);
    EXPECT_TRUE(reply.bConnected);
    EXPECT_EQ(reply.nCode, 553);
    EXPECT_EQ(reply.strText, "553 No.");
    // No reply in the section: the client's own last word, its prompt left out.
    reply = ReadMarkedReply("Connected to x.\n" + strMark + "\nNot connected.\n" + strMark + "\n",
                            "Password:ftp: Can't open `/a.mot': Permission denied\n", strMark);
    EXPECT_EQ(reply.nCode, 0);
    EXPECT_EQ(reply.strText, "ftp: Can't open `/a.mot': Permission denied");
    EXPECT_EQ(TransferResult(reply), FTPRUN_UNCONFIRMED);
    // A marker that never came (the client died): no reply.
    EXPECT_EQ(ReadMarkedReply(strOut, "", "Local directory: /elsewhere").nCode, 0);
}
