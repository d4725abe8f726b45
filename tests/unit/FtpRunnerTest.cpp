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
    void UseServer(const CLoopbackFtpServer& server) {
        SFtpRunEnv env;
        env.strClient = m_fake.Program();
        env.strScriptDir = m_scripts.Dir();
        env.wCheckPort = server.Port();
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
    // Neither a script nor a working folder of the client is left.
    void ExpectNothingLeft() {
        EXPECT_EQ(m_scripts.CountEntries(), 0u);
        EXPECT_EQ(m_tmp.CountEntries(), 0u);
    }

    CLoopbackFtpServer m_server{"admin", SECRET};
    CFakeFtpClient m_fake{SECRET};
    CScratchDir m_scripts;
    CScratchDir m_tmp;
    CScratchDir m_files;
    std::string m_strImage;
    uint32_t m_dwTimeLimit = 180000;
    std::string m_strOldTmp;
    bool m_bHadTmp = false;
};
} // namespace

TEST_F(FtpRunner, ThirdPutWritesItsOwnScriptWithTheExactBytes) {
    std::string strListing = SYSTEM_LINES + AppLine("V1.02 APP.mot", IMAGE.size());
    m_fake.SetListing(strListing);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_OK);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_OK);
    ExpectListing(strListing);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 1), FTPRUN_OK);
    EXPECT_EQ(m_pDoc->m_nFtpScriptCount, 3);
    ASSERT_EQ(m_fake.Runs(), 3);
    // The path with its space is passed whole, quoted.
    EXPECT_EQ(m_fake.Run(3, "script"), "user admin s3cr3t-pw\nbin\nput \"" + m_files.Dir() +
                                           "with space/APP.mot\"\ndir > Dir.txt\nclose\nquit\n");
    EXPECT_EQ(m_fake.Run(1, "stdin-path").rfind(m_scripts.Dir() + "_ftpscr1_.txt", 0), 0u);
    EXPECT_EQ(m_fake.Run(3, "stdin-path").rfind(m_scripts.Dir() + "_ftpscr3_.txt", 0), 0u);
    EXPECT_EQ(m_fake.Run(3, "args"), "-A\n-i\n-n\n127.0.0.1\n");
    ExpectNothingLeft();
}

TEST_F(FtpRunner, AccountlessUserHasATrailingSpaceAndNoPassword) {
    CLoopbackFtpServer server("(none)", "");
    UseServer(server);
    m_fake.SetListing(AppLine("V1.02 APP.mot", IMAGE.size()));
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "(none)", "", 0), FTPRUN_OK);
    EXPECT_EQ(m_fake.Run(1, "script").substr(0, 13), "user (none) \n");
    EXPECT_EQ(m_fake.Run(1, "stdin-path").rfind(m_scripts.Dir() + "_ftpscr1_.txt", 0), 0u);
}

TEST_F(FtpRunner, ClientRunsInAPrivateFolderOnAPrivateScriptWithoutThePasswordInSight) {
    m_fake.SetListing(SYSTEM_LINES);
    ExpectListing(SYSTEM_LINES);
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", SECRET), FTPRUN_OK);
    ASSERT_EQ(m_fake.Runs(), 1);
    std::string strCwd = m_fake.Run(1, "cwd");
    char szOwn[4096] = {};
    ASSERT_NE(getcwd(szOwn, sizeof szOwn), nullptr);
    EXPECT_NE(strCwd, std::string(szOwn) + "\n");
    EXPECT_EQ(strCwd.rfind(m_tmp.Dir() + "mrvmgr-ftp-", 0), 0u) << strCwd;
    EXPECT_EQ(m_fake.Run(1, "stdin-mode"), "600\n");
    // Looked for on every command line while the client ran.
    EXPECT_EQ(m_fake.Run(1, "secret-seen"), "");
    ExpectNothingLeft();
}

TEST_F(FtpRunner, ListingScriptAndDeleteScriptBytes) {
    m_fake.SetListing(SYSTEM_LINES);
    ExpectListing(SYSTEM_LINES);
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", SECRET), FTPRUN_OK);
    EXPECT_EQ(m_fake.Run(1, "script"), "user admin s3cr3t-pw\ndir > dir.txt\nclose\nquit\n");
    EXPECT_EQ(m_fake.Run(1, "stdin-path").rfind(m_scripts.Dir() + "_ftpscr_.txt", 0), 0u);

    // A name with a space goes unquoted; an empty line follows the del line.
    m_pDoc->RunFtpDelete("admin", SECRET, HOST, "MY APP.mot", 0);
    EXPECT_EQ(m_fake.Run(2, "script"),
              "user admin s3cr3t-pw\nbin\ndel MY APP.mot\n\ndir > Dir.txt\nclose\nquit\n");
    EXPECT_EQ(m_fake.Run(2, "stdin-path").rfind(m_scripts.Dir() + "_ftpscr_.txt", 0), 0u);
    EXPECT_EQ(m_pDoc->m_nFtpScriptCount, 0); // only puts count
    ExpectNothingLeft();
}

TEST_F(FtpRunner, PutTheNodeDidNotKeepIsRefused) {
    // Listed without the file, or with another size: not taken.
    m_fake.SetListing(SYSTEM_LINES);
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_REFUSED);
    m_fake.SetListing(SYSTEM_LINES + AppLine("V1.02 APP.mot", IMAGE.size() + 1));
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_REFUSED);
    // No listing written at all (the login failed in the client).
    m_fake.ClearListing();
    ExpectListing("");
    m_ui.ExpectMessage("ｱﾌﾟﾘｹｰｼｮﾝ情報が取得できませんでした。");
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 1), FTPRUN_REFUSED);
    // A kernel is listed by its plain name.
    m_fake.SetListing("-r--r--r--   1 root     root     " + std::to_string(IMAGE.size()) +
                      " Jan  1 00:00 APP.mot\n");
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_OK);
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

TEST_F(FtpRunner, FailedConnectionCheckShowsTheLibrarysTextAndRunsNothing) {
    m_ui.ExpectMessageThat(testing::HasSubstr("530"));
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", "wrong", 1), FTPRUN_NO_CONNECTION);
    m_ui.ExpectMessageThat(testing::HasSubstr("530"));
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", "wrong"), FTPRUN_NO_CONNECTION);
    // The deletion says so once more.
    m_ui.ExpectMessageThat(testing::HasSubstr("530"));
    m_ui.ExpectMessage("ConnectErr");
    m_pDoc->RunFtpDelete("admin", "wrong", HOST, "APP.mot", 1);
    EXPECT_EQ(m_fake.Runs(), 0);
    EXPECT_EQ(m_pDoc->m_pFtpClient, nullptr);
    ExpectNothingLeft();
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
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", "pw\nput /etc/passwd"), FTPRUN_UNSAFE_TEXT);
    m_ui.ExpectMessage(szAccount);
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "ad\tmin", SECRET), FTPRUN_UNSAFE_TEXT);
    m_ui.ExpectMessage("削除するﾌｧｲﾙ名に改行などの制御文字が含まれているため、削除を中止しました");
    m_pDoc->RunFtpDelete("admin", SECRET, HOST, "APP.mot\rget x", 1);
    m_ui.ExpectMessage(
        "ﾌｧｲﾙ名に改行などの制御文字または「\"」が含まれているため、ﾀﾞｳﾝﾛｰﾄﾞできません");
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_files.File("a\"b.mot"), "admin", SECRET, 1),
              FTPRUN_UNSAFE_TEXT);
    EXPECT_EQ(m_fake.Runs(), 0);
    EXPECT_EQ(m_server.Connections(), 0);
    ExpectNothingLeft();
}

TEST_F(FtpRunner, HostileNameInTheListingIsRefusedBeforeAnyDeletion) {
    m_fake.SetListing(SYSTEM_LINES + AppLine("V1.00 GOOD.mot", 10) +
                      AppLine(std::string("V1.00 EV\x1bIL.mot"), 10));
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        Click(dlg, ui, IDC_APPINFO_ALL);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage("削除するﾌｧｲﾙ名に改行などの制御文字が含まれているため、削除を中止しました");
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "admin", SECRET), FTPRUN_UNSAFE_TEXT);
    EXPECT_EQ(m_fake.Runs(), 1); // the listing only
    ExpectNothingLeft();
}

TEST_F(FtpRunner, DeletingThreeApplicationsShowsOnlyTheLastListing) {
    std::string strListing = SYSTEM_LINES + AppLine("V1.00 A.mot", 10) +
                             AppLine("V2.00 BEE APP.mot", 20) + AppLine("V3.00 C.mot", 30);
    m_fake.SetListing(strListing);
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetItems(IDC_APPINFO_INSTALLED),
                  (std::vector<std::string>{"V1.00 A.mot", "V2.00 BEE APP.mot", "V3.00 C.mot"}));
        Click(dlg, ui, IDC_APPINFO_ALL);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage("「A.mot」\r\n「BEE APP.mot」\r\n「C.mot」\r\n"
                       "\r\n以上のアプリケーションを削除します。\r\n"
                       "よろしければ「OK」ボタンを押してください。",
                       EMsgAnswer::Ok)
        .WithButtons(EMsgButtons::OkCancel)
        .WithIcon(EMsgIcon::Question);
    ExpectListing(strListing);
    EXPECT_EQ(m_pDoc->RunFtpDeleteSelection(HOST, "admin", SECRET), FTPRUN_OK);
    ASSERT_EQ(m_fake.Runs(), 4);
    EXPECT_EQ(m_fake.Run(1, "script"), "user admin s3cr3t-pw\ndir > dir.txt\nclose\nquit\n");
    EXPECT_EQ(m_fake.Run(2, "script"),
              "user admin s3cr3t-pw\nbin\ndel A.mot\n\ndir > Dir.txt\nclose\nquit\n");
    EXPECT_EQ(m_fake.Run(3, "script"),
              "user admin s3cr3t-pw\nbin\ndel BEE APP.mot\n\ndir > Dir.txt\nclose\nquit\n");
    EXPECT_EQ(m_fake.Run(4, "script"),
              "user admin s3cr3t-pw\nbin\ndel C.mot\n\ndir > Dir.txt\nclose\nquit\n");
    // The dialog opened a fixed pause after the listing ended.
    EXPECT_EQ(m_clock.GetSleeps(), (std::vector<uint32_t>{1500}));
    ExpectNothingLeft();
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

TEST_F(FtpRunner, ScriptIsNeverWrittenThroughALinkNorLeftFromAnEarlierRun) {
    CScratchDir victim;
    CScratchDir::Write(victim.File("precious.txt"), "keep me\n");
    ASSERT_EQ(symlink(victim.File("precious.txt").c_str(), m_scripts.File("_ftpscr_.txt").c_str()),
              0);
    m_fake.SetListing(SYSTEM_LINES);
    ExpectListing(SYSTEM_LINES);
    EXPECT_EQ(m_pDoc->RunFtpListing(HOST, "admin", SECRET), FTPRUN_OK);
    EXPECT_EQ(CScratchDir::Read(victim.File("precious.txt")), "keep me\n");
    EXPECT_EQ(m_fake.Run(1, "script"), "user admin s3cr3t-pw\ndir > dir.txt\nclose\nquit\n");
    // A script a killed manager left behind is replaced, then removed.
    CScratchDir::Write(m_scripts.File("_ftpscr1_.txt"), "user old old\n");
    ::chmod(m_scripts.File("_ftpscr1_.txt").c_str(), 0644);
    m_fake.SetListing(AppLine("V1.02 APP.mot", IMAGE.size()));
    EXPECT_EQ(m_pDoc->RunFtpPut(HOST, m_strImage, "admin", SECRET, 0), FTPRUN_OK);
    EXPECT_EQ(m_fake.Run(2, "stdin-mode"), "600\n");
    ExpectNothingLeft();
}

TEST(FtpScripts, ListingShowsFileNeedsTheNameAtTheEndAndTheSizeAsAField) {
    std::string strListing = "-rwxr-xr-x 1 user user 94 Jan  1 00:00 V1.02 APP.mot\r\n"
                             "-r--r--r-- 1 root root 77 Jan  1 00:00 KERNEL.mot\n";
    EXPECT_TRUE(ListingShowsFile(strListing, "APP.mot", 94));
    EXPECT_TRUE(ListingShowsFile(strListing, "KERNEL.mot", 77));
    EXPECT_FALSE(ListingShowsFile(strListing, "APP.mot", 9));
    EXPECT_FALSE(ListingShowsFile(strListing, "P.mot", 94));
    EXPECT_FALSE(ListingShowsFile(strListing, "APP.mo", 94));
    EXPECT_FALSE(ListingShowsFile(strListing, "", 94));
    EXPECT_FALSE(ListingShowsFile("", "APP.mot", 94));
}

TEST(FtpScripts, SafeTextsHaveNoControlCharacters) {
    EXPECT_TRUE(IsScriptSafeText("admin"));
    EXPECT_TRUE(IsScriptSafeText("(none)"));
    EXPECT_TRUE(IsScriptSafeText("p@ss word!\x81\x40"));
    EXPECT_FALSE(IsScriptSafeText("a\nb"));
    EXPECT_FALSE(IsScriptSafeText("a\rb"));
    EXPECT_FALSE(IsScriptSafeText(std::string("a\0b", 3)));
    EXPECT_FALSE(IsScriptSafeText("a\x7f"));
    EXPECT_TRUE(IsScriptSafePath("/home/op/with space/APP.mot"));
    EXPECT_FALSE(IsScriptSafePath("/home/op/a\"b.mot"));
}
