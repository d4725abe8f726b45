// The manager's downloads and file commands against simulated nodes on a
// test network, with the real ftp client (tnftp): real sockets, the poll
// pump, fixed pauses shortened tenfold. Downloads run against both storing
// behaviours of a node: keeping the file as sent, or installing it as an
// application under its own name and size.
#include "ManagerFtpFixture.h"
#include "doc/AppInfoDlg.h"
#include "doc/VersionInfoDlg.h"
#include "ops/NodeDownload.h"
#include "ops/NodeFiles.h"

#include <sstream>
#include <sys/stat.h>

using namespace e2e;

namespace {
const std::string BAD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                              "S1130000000102030405060708090A0B0C0D0E0F75\r\n"
                              "S9030000FC\r\n";
const std::string KERNEL_IMAGE = "S00F00004B45524E454C2056332E3035F3\n"
                                 "S20C100000AAAAAAAAAAAAAAAA93\n"
                                 "S804100000EB\n";
// Its header names an application one character too long for a node.
const std::string LONG_NAME_IMAGE = "S0170000464F55525445454E5F43484152532056312E30307B\r\n"
                                    "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                                    "S9030000FC\r\n";
const std::string SYSTEM_LINES =
    "-r--r--r--   1 root     root         262144 Jan  1 00:00 mrv620.krn\n"
    "-r--r--r--   1 root     root          32768 Jan  1 00:00 boot.bin\n"
    "-r--r--r--   1 root     root            717 Jan  1 00:00 param.dat\n";

const char MAC_APP[] = "0080D4200001";      // 192.168.1.21, admin/secret
const char MAC_FILES[] = "0080D4200002";    // 192.168.1.22, three applications
const char MAC_KERNEL[] = "0080D4200003";   // 192.168.1.23, no account
const char MAC_SHARED_A[] = "0080D4200004"; // 192.168.1.24, as the next one
const char MAC_SHARED_B[] = "0080D4200005";

std::vector<std::string> Lines(const std::string& str) {
    std::vector<std::string> vec;
    std::istringstream in(str);
    std::string strLine;
    while (std::getline(in, strLine)) {
        vec.push_back(strLine);
    }
    return vec;
}

class ManagerFtp : public CManagerFtpFixture {
protected:
    void SetUp() override {
        CManagerFtpFixture::SetUp();
        m_pDoc->AddOrUpdateNode(0, 0xC0A80115u, MAC_APP, true, "", "");
        m_pDoc->AddOrUpdateNode(0, 0xC0A80116u, MAC_FILES, true, "", "");
        m_pDoc->AddOrUpdateNode(0, 0xC0A80117u, MAC_KERNEL, true, "", "");
    }
    SFtpRunEnv RunEnv() override {
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

        SFtpRunEnv env;
        env.strClient = (m_dir / "ftp-watched").string();
        return env;
    }
    void TearDown() override {
        CManagerFtpFixture::TearDown();
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
    }
    // The node keeps or installs what it is sent.
    void SetStore(const std::string& strMac, bool bInstall) {
        ASSERT_EQ(Control("SET " + strMac + " store " + (bInstall ? "install" : "keep")), "OK\n");
    }
    // The FTP command lines the node received that start with strVerb.
    std::vector<std::string> Commands(const std::string& strMac, const std::string& strVerb) {
        std::vector<std::string> vec;
        for (const std::string& strLine : Lines(Control("FTPLOG " + strMac))) {
            if (strLine.rfind(strVerb, 0) == 0) {
                vec.push_back(strLine);
            }
        }
        return vec;
    }

    // An application download that succeeds: the listing shows strLine, the
    // version reply the application under strApp.
    void DownloadsAndLists(bool bInstall, const std::string& strLine, const std::string& strApp) {
        SetStore(MAC_APP, bInstall);
        m_ui.ExpectFileChoice(Image("TESTAPP.mot", GOOD_IMAGE));
        std::string strListing;
        ExpectListing(&strListing);
        m_ui.ExpectMessage(TXT_DOWNLOAD_DONE).WithIcon(EMsgIcon::Information);
        DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
        EXPECT_EQ(strListing, SYSTEM_LINES + strLine);
        EXPECT_EQ(Commands(MAC_APP, "STOR"), std::vector<std::string>{"STOR TESTAPP.mot"});
        EXPECT_EQ(NodeMode(MAC_APP), "0");
        ASSERT_EQ(Control("WAIT " + std::string(MAC_APP) + " run=up timeout=5000"), "OK\n");

        // The node's version reply lists it.
        m_ui.ExpectDialog("CGetVersionDlg", [](CDialogModel& dlg, CUi& ui) {
            Tick(dlg, ui, 1058, true);
            return Press(dlg, ui, DIALOG_OK);
        });
        m_ui.ExpectDialog("CVersionInfoDlg", [strApp](CDialogModel& dlg, CUi& ui) {
            EXPECT_EQ(dlg.GetText(CVersionInfoDlg::RowName(0)), strApp);
            EXPECT_EQ(dlg.GetText(CVersionInfoDlg::RowVersion(0)), "1.02");
            EXPECT_EQ(dlg.GetText(CVersionInfoDlg::RowName(1)), "");
            return Press(dlg, ui, DIALOG_OK);
        });
        ShowNodeVersions(*m_pDoc, 0);
    }
    // An application download the node refuses with strReply; it is back in mode 0.
    void IsRefused(const std::string& strImage, const std::string& strReply) {
        m_ui.ExpectFileChoice(Image("TESTAPP.mot", strImage));
        ExpectListing(nullptr);
        m_ui.ExpectMessage(PutRefused(strReply));
        DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
        EXPECT_EQ(NodeMode(MAC_APP), "0");
        std::string strState = Control("STATE " + std::string(MAC_APP));
        EXPECT_FALSE(Contains(strState, "file app")) << strState;
    }
};
} // namespace

TEST_F(ManagerFtp, KeepingNodeHoldsTheApplicationUnderItsFileName) {
    DownloadsAndLists(
        false, "-rwxr-xr-x   1 user     user             94 Jan  1 00:00 V1.02 TESTAPP.mot\n",
        "TESTAPP.mot");
}

TEST_F(ManagerFtp, InstallingNodeListsTheApplicationUnderItsOwnNameAndSize) {
    DownloadsAndLists(true,
                      "-rwxr-xr-x   1 user     user            512 Jan  1 00:00 V1.02 TESTAPP\n",
                      "TESTAPP");
}

TEST_F(ManagerFtp, KeepingNodeRefusingTheFileIsReportedWithItsReply) {
    SetStore(MAC_APP, false);
    ASSERT_EQ(Control("FAULT " + std::string(MAC_APP) + " nostor on"), "OK\n");
    IsRefused(GOOD_IMAGE, "550 TESTAPP.mot: Permission denied.");
}

TEST_F(ManagerFtp, InstallingNodeRefusingTheImageAfterItsDataIsReportedWithItsReply) {
    SetStore(MAC_APP, true);
    IsRefused(LONG_NAME_IMAGE, "553 FOURTEEN_CHARS: Application name too long.");
}

TEST_F(ManagerFtp, KernelDownloadChangesTheKernel) {
    SetStore(MAC_KERNEL, true); // a kernel is the kernel, whatever the node does with applications
    std::string strImage = Image("KERNEL.mot", KERNEL_IMAGE);
    m_ui.ExpectFileChoice(strImage);
    std::string strListing;
    ExpectListing(&strListing);
    m_ui.ExpectMessage(TXT_DOWNLOAD_DONE);
    DownloadToSelectedNode(*m_pDoc, 2, DOWNLOAD_KERNEL);
    EXPECT_TRUE(Contains(strListing, " 77 Jan  1 00:00 KERNEL.mot\n")) << strListing;
    EXPECT_FALSE(Contains(strListing, "mrv620.krn")) << strListing;
    EXPECT_EQ(NodeMode(MAC_KERNEL), "0");
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
    EXPECT_EQ(Commands(MAC_FILES, "LIST"), std::vector<std::string>{"LIST ."});
    EXPECT_EQ(NodeMode(MAC_FILES), "0");
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
    EXPECT_EQ(
        Control("WAIT " + strNode + " nofile=ONE.mot nofile=THREE.mot file=TWO.mot timeout=1"),
        "OK\n");
    EXPECT_EQ(Commands(MAC_FILES, "DELE"),
              (std::vector<std::string>{"DELE ONE.mot", "DELE THREE.mot"}));
    EXPECT_EQ(NodeMode(MAC_FILES), "0");
}

TEST_F(ManagerFtp, RefusedLoginIsSaidInJapaneseAndTheNodeReturnsToModeZero) {
    ASSERT_EQ(Control("FAULT " + std::string(MAC_APP) + " nologin on"), "OK\n");
    m_ui.ExpectFileChoice(Image("TESTAPP.mot", GOOD_IMAGE));
    m_ui.ExpectMessage(WithCode(TXT_FTPERR_LOGIN_DENIED, 67));
    m_ui.ExpectMessage(TXT_FTP_CONNECT_FAILED);
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(NodeMode(MAC_APP), "0");
}

TEST_F(ManagerFtp, SharedAddressIsRefusedBeforeAnythingIsSent) {
    // Two registered nodes at one address: an FTP connection could reach either.
    m_pDoc->AddOrUpdateNode(0, 0xC0A80118u, MAC_SHARED_A, true, "", "");
    m_pDoc->AddOrUpdateNode(0, 0xC0A80118u, MAC_SHARED_B, true, "", "");
    char sz[512];
    std::snprintf(sz, sizeof sz, TXT_DOWNLOAD_SHARED_ADDRESS, "192.168.1.24");
    m_ui.ExpectMessage(sz);
    DownloadToSelectedNode(*m_pDoc, 3, DOWNLOAD_APPLICATION);
    EXPECT_EQ(Control("HISTORY " + std::string(MAC_SHARED_A)), "OK\n");
    EXPECT_EQ(Control("HISTORY " + std::string(MAC_SHARED_B)), "OK\n");
    EXPECT_FALSE(fs::exists(m_dir / "watch")); // the client never ran
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
