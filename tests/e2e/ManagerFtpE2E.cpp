// The manager's downloads and file commands against simulated nodes on a
// test network, with the real ftp client (tnftp): real sockets, the poll
// pump, fixed pauses shortened tenfold.
#include "RawNodeClient.h"
#include "ScriptedUi.h"
#include "ShortPauseClock.h"
#include "doc/AppInfoDlg.h"
#include "doc/OrvixDoc.h"
#include "doc/VersionInfoDlg.h"
#include "ops/NodeDownload.h"
#include "ops/NodeFiles.h"
#include "platform/IpText.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
const std::string GOOD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                               "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                               "S9030000FC\r\n";
const std::string BAD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                              "S1130000000102030405060708090A0B0C0D0E0F75\r\n"
                              "S9030000FC\r\n";
const std::string KERNEL_IMAGE = "S00F00004B45524E454C2056332E3035F3\n"
                                 "S20C100000AAAAAAAAAAAAAAAA93\n"
                                 "S804100000EB\n";
const std::string SYSTEM_LINES =
    "-r--r--r--   1 root     root         262144 Jan  1 00:00 mrv620.krn\n"
    "-r--r--r--   1 root     root          32768 Jan  1 00:00 boot.bin\n"
    "-r--r--r--   1 root     root            717 Jan  1 00:00 param.dat\n";

const char MAC_APP[] = "0080D4200001";    // 192.168.1.21, admin/secret
const char MAC_FILES[] = "0080D4200002";  // 192.168.1.22, three applications
const char MAC_KERNEL[] = "0080D4200003"; // 192.168.1.23, no account

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& str) {
    std::ofstream out(path, std::ios::binary);
    out << str;
}

bool Contains(const std::string& str, const std::string& strPart) {
    return str.find(strPart) != std::string::npos;
}

class ManagerFtp : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_TRUE(m_control.IsOpen());
        const char* pszDir = std::getenv("MRVT_DIR");
        ASSERT_NE(pszDir, nullptr);
        m_dir = fs::path(pszDir) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(m_dir / "tmp");
        fs::create_directories(m_dir / "images" / "with space");
        setenv("TMPDIR", (m_dir / "tmp").c_str(), 1);
        // The real client behind a watcher: the client's input is held back
        // until every command line has been looked at for the password while
        // the client runs (it has connected and waits for its commands).
        WriteFile(m_dir / "pattern", "secret\n");
        std::string d = m_dir.string();
        WriteFile(m_dir / "ftp-watched",
                  "#!/bin/sh\n"
                  "fifo='" +
                      d +
                      "/in.'$$\n"
                      "mkfifo \"$fifo\" || exit 126\n"
                      "ftp \"$@\" < \"$fifo\" &\n"
                      "pid=$!\n"
                      "exec 4> \"$fifo\"\n"
                      "rm -f \"$fifo\"\n"
                      "seen=0; found=0; n=0\n"
                      "while [ $n -lt 200000 ]; do\n"
                      "  n=$((n+1))\n"
                      "  case \"$(tr '\\0' ' ' < /proc/$pid/cmdline 2>/dev/null)\" in\n"
                      "    ftp\\ *) seen=1; break;;\n"
                      "  esac\n"
                      "done\n"
                      "if grep -q -a -F -f '" +
                      d +
                      "/pattern' /proc/[0-9]*/cmdline 2>/dev/null; then\n"
                      "  found=1\n"
                      "fi\n"
                      "cat >&4\n"
                      "exec 4>&-\n"
                      "wait $pid; rc=$?\n"
                      "echo \"$seen $found\" >> '" +
                      d +
                      "/watch'\n"
                      "exit $rc\n");
        chmod((m_dir / "ftp-watched").c_str(), 0700);

        m_pDoc =
            std::make_unique<COrvixDoc>(SDocEnv{m_ui, m_pump, m_clock, m_settings, m_param, ""},
                                        std::make_unique<CPosixDatagramSocket>());
        SFtpRunEnv env;
        env.strClient = (m_dir / "ftp-watched").string();
        m_pDoc->SetFtpRunEnv(env);
        m_pDoc->AddNetwork("LINE-F", 0xFFFFFF00u, 0xC0A80101u);
        m_pDoc->AddOrUpdateNode(0, 0xC0A80115u, MAC_APP, true, "", "");
        m_pDoc->AddOrUpdateNode(0, 0xC0A80116u, MAC_FILES, true, "", "");
        m_pDoc->AddOrUpdateNode(0, 0xC0A80117u, MAC_KERNEL, true, "", "");
    }
    void TearDown() override {
        m_pDoc.reset();
        m_ui.VerifyAllConsumed();
        // No working folder of the client (nor its script) is left.
        EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
        // Every run of the client was watched while it ran; no command line
        // ever carried the password.
        std::string strWatch = ReadFile(m_dir / "watch");
        std::istringstream in(strWatch);
        int nSeen = 0;
        int nFound = 0;
        while (in >> nSeen >> nFound) {
            EXPECT_GT(nSeen, 0);
            EXPECT_EQ(nFound, 0) << "the password was on a command line";
        }
        unsetenv("TMPDIR");
    }
    std::string Control(const std::string& strLine) { return m_control.Request(strLine); }
    std::string Image(const std::string& strName, const std::string& strText) {
        fs::path path = m_dir / "images" / "with space" / strName;
        WriteFile(path, strText);
        return path.string();
    }
    // The listing dialog; its text is kept.
    void ExpectListing(std::string* pstrListing) {
        m_ui.ExpectDialog("CFileInfoDlg", [pstrListing](CDialogModel& dlg, CUi& ui) {
            if (pstrListing != nullptr) {
                *pstrListing = dlg.GetText(1122);
            }
            return Press(dlg, ui, DIALOG_OK);
        });
    }

    CScriptedUi m_ui;
    CShortPauseClock m_clock{10};
    CPollMessagePump m_pump;
    SAppSettings m_settings;
    NODEPARAM m_param{};
    std::unique_ptr<COrvixDoc> m_pDoc;
    CSimControlClient m_control;
    fs::path m_dir;
};
} // namespace

TEST_F(ManagerFtp, ApplicationDownloadInstallsTheApplicationAndReturnsToModeZero) {
    std::string strImage = Image("TESTAPP.mot", GOOD_IMAGE);
    m_ui.ExpectFileChoice(strImage);
    std::string strListing;
    ExpectListing(&strListing);
    m_ui.ExpectMessage("ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました").WithIcon(EMsgIcon::Information);
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(strListing, SYSTEM_LINES + "-rwxr-xr-x   1 user     user             94 Jan  1 "
                                         "00:00 V1.02 TESTAPP.mot\n");
    EXPECT_EQ(Control("WAIT " + std::string(MAC_APP) + " mode=0 run=up timeout=5000"), "OK\n");

    // The node's version reply lists it.
    m_ui.ExpectDialog("CGetVersionDlg", [](CDialogModel& dlg, CUi& ui) {
        Tick(dlg, ui, 1058, true);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectDialog("CVersionInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(CVersionInfoDlg::RowName(0)), "TESTAPP.mot");
        EXPECT_EQ(dlg.GetText(CVersionInfoDlg::RowVersion(0)), "1.02");
        EXPECT_EQ(dlg.GetText(CVersionInfoDlg::RowName(1)), "");
        return Press(dlg, ui, DIALOG_OK);
    });
    ShowNodeVersions(*m_pDoc, 0);
}

TEST_F(ManagerFtp, KernelDownloadChangesTheKernel) {
    std::string strImage = Image("KERNEL.mot", KERNEL_IMAGE);
    m_ui.ExpectFileChoice(strImage);
    std::string strListing;
    ExpectListing(&strListing);
    m_ui.ExpectMessage("ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました");
    DownloadToSelectedNode(*m_pDoc, 2, DOWNLOAD_KERNEL);
    EXPECT_TRUE(Contains(strListing, " 77 Jan  1 00:00 KERNEL.mot\n")) << strListing;
    EXPECT_FALSE(Contains(strListing, "mrv620.krn")) << strListing;
    EXPECT_EQ(Control("WAIT " + std::string(MAC_KERNEL) + " mode=0 run=up timeout=5000"), "OK\n");
    std::string strState = Control("STATE " + std::string(MAC_KERNEL));
    EXPECT_TRUE(Contains(strState, "\nfile kernel \"KERNEL.mot\" 77 3.05\n")) << strState;
}

TEST_F(ManagerFtp, FileInformationShowsTheNodesListing) {
    std::string strListing;
    ExpectListing(&strListing);
    ShowNodeFiles(*m_pDoc, 1);
    EXPECT_EQ(strListing,
              SYSTEM_LINES +
                  "-rwxr-xr-x   1 user     user           1024 Jan  1 00:00 V1.00 ONE.mot\n"
                  "-rwxr-xr-x   1 user     user           2048 Jan  1 00:00 V2.00 TWO.mot\n"
                  "-rwxr-xr-x   1 user     user            512 Jan  1 00:00 V3.00 THREE.mot\n");
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(Control("WAIT " + std::string(MAC_FILES) + " mode=0 timeout=5000"), "OK\n");
}

TEST_F(ManagerFtp, DeletingTwoOfThreeApplicationsLeavesOne) {
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetItems(IDC_APPINFO_INSTALLED),
                  (std::vector<std::string>{"V1.00 ONE.mot", "V2.00 TWO.mot", "V3.00 THREE.mot"}));
        DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 0);
        DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 2);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage(
        "「ONE.mot」\r\n「THREE.mot」\r\n\r\n以上のアプリケーションを削除します。\r\n"
        "よろしければ「OK」ボタンを押してください。",
        EMsgAnswer::Ok);
    std::string strListing;
    ExpectListing(&strListing);
    DeleteNodeApplications(*m_pDoc, 1);
    EXPECT_EQ(strListing,
              SYSTEM_LINES +
                  "-rwxr-xr-x   1 user     user           2048 Jan  1 00:00 V2.00 TWO.mot\n");
    std::string strNode = MAC_FILES;
    EXPECT_EQ(Control("WAIT " + strNode +
                      " nofile=ONE.mot nofile=THREE.mot file=TWO.mot "
                      "mode=0 timeout=5000"),
              "OK\n");
}

TEST_F(ManagerFtp, RefusedLoginSaysSoInJapaneseAndTheNodeGoesBackToOperation) {
    ASSERT_EQ(Control("FAULT " + std::string(MAC_APP) + " nologin on"), "OK\n");
    m_ui.ExpectFileChoice(Image("TESTAPP.mot", GOOD_IMAGE));
    m_ui.ExpectMessage("FTPｻｰﾊﾞｰがﾛｸﾞｲﾝを拒否しました(ﾕｰｻﾞｰ名またはﾊﾟｽﾜｰﾄﾞが違います) [67]");
    m_ui.ExpectMessage("FTP接続失敗");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(Control("WAIT " + std::string(MAC_APP) + " mode=0 timeout=1"), "OK\n");
}

TEST_F(ManagerFtp, RefusedStoredFileIsReportedWithTheServersReply) {
    ASSERT_EQ(Control("FAULT " + std::string(MAC_APP) + " nostor on"), "OK\n");
    m_ui.ExpectFileChoice(Image("TESTAPP.mot", GOOD_IMAGE));
    ExpectListing(nullptr);
    m_ui.ExpectMessageThat(testing::MatchesRegex(
        "MRV-620がﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを受け付けませんでした\r\n\\(5[0-9][0-9] .*\\)"));
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(Control("WAIT " + std::string(MAC_APP) + " nofile=TESTAPP.mot mode=0 timeout=1"),
              "OK\n");
}

TEST_F(ManagerFtp, BrokenMotIsRefusedBeforeItIsPut) {
    Control("HISTORY " + std::string(MAC_APP) + " CLEAR");
    m_ui.ExpectFileChoice(Image("BADAPP.mot", BAD_IMAGE));
    m_ui.ExpectMessage("ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙがMOT形式(Sﾚｺｰﾄﾞ)として正しくありません\r\n"
                       "2行目: ﾁｪｯｸｻﾑが一致しません");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    // Nothing reached the node's FTP server; it is sent back to operation.
    EXPECT_EQ(Control("WAIT " + std::string(MAC_APP) + " mode=0 run=up timeout=5000"), "OK\n");
    std::string strHistory = Control("HISTORY " + std::string(MAC_APP));
    EXPECT_TRUE(Contains(strHistory, "0105 uc mode=07 answered")) << strHistory;
    EXPECT_TRUE(Contains(strHistory, "0105 uc mode=00")) << strHistory;
    EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
    EXPECT_FALSE(fs::exists(m_dir / "watch")); // the client never ran
    std::string strState = Control("STATE " + std::string(MAC_APP));
    EXPECT_FALSE(Contains(strState, "BADAPP")) << strState;
}
