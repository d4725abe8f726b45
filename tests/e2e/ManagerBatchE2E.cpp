// The batch download against simulated nodes on a test network, with the real
// ftp client (tnftp): real sockets, the poll pump, fixed pauses shortened
// tenfold.
#include "ProgressRows.h"
#include "RawNodeClient.h"
#include "ScriptedUi.h"
#include "ShortPauseClock.h"
#include "SimState.h"
#include "TestFolder.h"
#include "doc/OrvixDoc.h"
#include "ops/DownloadBatch.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/DownloadTargetDlg.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"
#include "res/Texts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {
const std::string GOOD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                               "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                               "S9030000FC\r\n";
const char MAC_FIRST[] = "0080D4300001";  // 192.168.1.31
const char MAC_SECOND[] = "0080D4300002"; // 192.168.1.32
const char MAC_THIRD[] = "0080D4300003";  // 192.168.1.33

using Rows = ProgressRows;

class ManagerBatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_TRUE(m_control.IsOpen());
        m_dir = MakeTestFolder({"tmp"});
        ASSERT_FALSE(m_dir.empty()) << "no MRVT_DIR";
        setenv("TMPDIR", (m_dir / "tmp").c_str(), 1);
        m_pDoc =
            std::make_unique<COrvixDoc>(SDocEnv{m_ui, m_pump, m_clock, m_settings, m_param, ""},
                                        std::make_unique<CPosixDatagramSocket>());
        m_pDoc->SetFtpRunEnv(SFtpRunEnv{});
        m_pDoc->AddNetwork("LINE-B", 0xFFFFFF00u, 0xC0A80101u);
        m_pDoc->AddOrUpdateNode(0, 0xC0A8011Fu, MAC_FIRST, true, "", "");
        m_pDoc->AddOrUpdateNode(0, 0xC0A80120u, MAC_SECOND, true, "", "");
        m_pDoc->AddOrUpdateNode(0, 0xC0A80121u, MAC_THIRD, true, "", "");
        m_strImage = (m_dir / "TESTAPP.mot").string();
        std::ofstream(m_strImage, std::ios::binary) << GOOD_IMAGE;
        m_ui.WatchModeless("CDownloadProgressDlg", [this](const CDialogModel& dlg) {
            m_vecShown.push_back(ShownProgressRows(dlg));
        });
    }
    void TearDown() override {
        if (m_progress.IsOpen()) {
            Click(m_progress, m_ui, DIALOG_OK);
        }
        m_pDoc.reset();
        m_ui.VerifyAllConsumed();
        // No working folder of the client (nor its script) is left.
        EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
        unsetenv("TMPDIR");
    }
    std::string Control(const std::string& strLine) { return m_control.Request(strLine); }
    // A batch of three where the second node refuses the file until the
    // retry; strApp is the name under which the nodes hold the application.
    void RefusingNodeIsRetried(bool bInstall, const std::string& strApp) {
        ASSERT_EQ(Control(std::string("SET * store ") + (bInstall ? "install" : "keep")), "OK\n");
        ASSERT_EQ(Control("FAULT " + std::string(MAC_SECOND) + " nostor on"), "OK\n");
        m_ui.ExpectDialog("CDownloadTargetDlg", [](CDialogModel& dlg, CUi& ui) {
            Click(dlg, ui, IDC_BATCH_ALL);
            return Press(dlg, ui, DIALOG_OK);
        });
        m_ui.ExpectFileChoice(m_strImage);
        m_ui.ExpectMessage("192.168.1.31\r\n192.168.1.32\r\n192.168.1.33\r\n\r\n"
                           "以上のﾉｰﾄﾞに「TESTAPP.mot」をダウンロードします。\r\n"
                           "よろしければ「OK」を押してください。",
                           EMsgAnswer::Ok);
        Rows rowsAtQuestion;
        std::string strModes;
        m_ui.ExpectMessage(TXT_BATCH_RETRY, EMsgAnswer::Ok).WhenShown([&] {
            rowsAtQuestion = m_vecShown.back();
            for (const char* pszMac : {MAC_FIRST, MAC_SECOND, MAC_THIRD}) {
                strModes += NodeState(m_control, pszMac)["mode"];
            }
            Control("FAULT " + std::string(MAC_SECOND) + " nostor off");
        });
        m_ui.ExpectMessage(TXT_BATCH_ALL_DONE);
        DownloadToChosenNodes(*m_pDoc, m_progress, BATCH_APPLICATION);

        EXPECT_EQ(rowsAtQuestion, (Rows{{"192.168.1.31", "ダウンロード済み", "OK"},
                                        {"192.168.1.32", "ダウンロード失敗", "NG"},
                                        {"192.168.1.33", "ダウンロード済み", "OK"}}));
        EXPECT_EQ(strModes, "000"); // every node back in operation, the refusing one too
        // The retry brought it there too.
        EXPECT_EQ(m_vecShown.back(), (Rows{{"192.168.1.32", "ダウンロード済み", "OK"}}));
        for (const char* pszMac : {MAC_FIRST, MAC_SECOND, MAC_THIRD}) {
            EXPECT_EQ(
                Control("WAIT " + std::string(pszMac) + " mode=0 file=" + strApp + " timeout=1"),
                "OK\n");
        }
        std::string strHistory = Control("HISTORY " + std::string(MAC_FIRST));
        EXPECT_EQ(strHistory.find("mode=07", strHistory.find("mode=00")), std::string::npos)
            << "the first node was visited again: " << strHistory;
        EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
    }

    CScriptedUi m_ui;
    CShortPauseClock m_clock{10};
    CPollMessagePump m_pump;
    SAppSettings m_settings;
    NODEPARAM m_param{};
    std::unique_ptr<COrvixDoc> m_pDoc;
    CSimControlClient m_control;
    CDownloadProgressDlg m_progress;
    std::vector<Rows> m_vecShown;
    std::string m_strImage;
    fs::path m_dir;
};
} // namespace

TEST_F(ManagerBatch, RefusingKeepingNodeIsOfferedForRetryAndGetsTheFile) {
    RefusingNodeIsRetried(false, "TESTAPP.mot");
}

TEST_F(ManagerBatch, RefusingInstallingNodeIsOfferedForRetryAndGetsTheApplication) {
    RefusingNodeIsRetried(true, "TESTAPP");
}
