// Batch download: the target dialog, the progress window and the batch over
// nodes played on the in-memory socket, with the fake FTP client and loopback
// servers for the connection checks (127.0.0.1 to 127.0.0.3 on one port).
#include "ops/DownloadBatch.h"
#include "DocFixture.h"
#include "DownloadReplies.h"
#include "FakeFtpClient.h"
#include "LoopbackFtpServer.h"
#include "ProgressRows.h"
#include "ScratchDir.h"
#include "app/CommandTable.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/DownloadTargetDlg.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {
const char SECRET[] = "s3cr3t-pw";
const std::string IMAGE = "S00600004844521B\nS107000001020304EE\nS9030000FC\n";
const std::string DONE_ALL = "全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡";
const std::string RETRY = "ﾀﾞｳﾝﾛｰﾄﾞNGのﾉｰﾄﾞにﾘﾄﾗｲしますか？";
const std::string FULL = "一度にダウンロード可能なノード数は16台までです。";
const std::string FIRST_16 =
    "一度にダウンロード可能なノード数は16台です。\r\n"
    "「登録ノード」の上位16台を「ダウンロード先ノードリスト」に追加します。";

using Rows = ProgressRows;

std::vector<std::string> Addresses(int nFirst, int nCount) {
    std::vector<std::string> vec;
    for (int n = nFirst; n < nFirst + nCount; ++n) {
        vec.push_back("10.0.0." + std::to_string(n));
    }
    return vec;
}

std::string Joined(const std::vector<std::string>& vec) {
    std::string str;
    for (const std::string& s : vec) {
        str += (str.empty() ? "" : ",") + s;
    }
    return str;
}

// ------------------------------------------------------------ target dialog

TEST(DownloadTargetDlg, AllWithSeventeenRegisteredAddsTheFirstSixteenAndSaysSoOnce) {
    CScriptedUi ui;
    CDownloadTargetDlg dlg(Joined(Addresses(1, 17)));
    EXPECT_EQ(dlg.GetTitle(), "一括ダウンロード先");
    EXPECT_EQ(dlg.GetCaption(IDC_BATCH_REGISTERED_LABEL), "登録ノード");
    EXPECT_EQ(dlg.GetCaption(IDC_BATCH_TARGETS_LABEL), "ダウンロード先ノードリスト");
    EXPECT_EQ(dlg.GetItems(IDC_BATCH_REGISTERED), Addresses(1, 17));
    EXPECT_FALSE(dlg.IsEnabled(DIALOG_OK));

    PressExpectingMessage(dlg, ui, IDC_BATCH_ALL, FIRST_16, 0);
    EXPECT_EQ(dlg.GetItems(IDC_BATCH_TARGETS), Addresses(1, 16));
    EXPECT_TRUE(dlg.IsEnabled(DIALOG_OK));

    // The seventeenth by hand: the list is full.
    Select(dlg, ui, IDC_BATCH_REGISTERED, 16);
    PressExpectingMessage(dlg, ui, IDC_BATCH_ADD, FULL, IDC_BATCH_REGISTERED);
    EXPECT_EQ(dlg.GetItems(IDC_BATCH_TARGETS).size(), 16u);
    // So is a double click.
    SDialogAction action = DoubleClick(dlg, ui, IDC_BATCH_REGISTERED, 16);
    EXPECT_EQ(action.strMessage, FULL);

    EXPECT_EQ(Press(dlg, ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(dlg.GetTargetText(), Joined(Addresses(1, 16)));
}

TEST(DownloadTargetDlg, AllWithExactlySixteenStillSaysSoAndAddsAll) {
    CScriptedUi ui;
    CDownloadTargetDlg dlg(Joined(Addresses(1, 16)));
    PressExpectingMessage(dlg, ui, IDC_BATCH_ALL, FIRST_16, 0);
    EXPECT_EQ(dlg.GetItems(IDC_BATCH_TARGETS), Addresses(1, 16));
    // Again with all sixteen chosen: the same message, nothing more.
    PressExpectingMessage(dlg, ui, IDC_BATCH_ALL, FIRST_16, 0);
    EXPECT_EQ(dlg.GetItems(IDC_BATCH_TARGETS), Addresses(1, 16));
}

TEST(DownloadTargetDlg, AllWithFifteenSaysNothingAndSkipsTargetsAlreadyChosen) {
    CScriptedUi ui;
    CDownloadTargetDlg dlg(Joined(Addresses(1, 15)));
    Select(dlg, ui, IDC_BATCH_REGISTERED, 4);
    Click(dlg, ui, IDC_BATCH_ADD);
    Click(dlg, ui, IDC_BATCH_ALL);
    std::vector<std::string> vecExpected = {"10.0.0.5"};
    for (const std::string& str : Addresses(1, 15)) {
        if (str != "10.0.0.5") {
            vecExpected.push_back(str);
        }
    }
    EXPECT_EQ(dlg.GetItems(IDC_BATCH_TARGETS), vecExpected);
    EXPECT_TRUE(ui.m_vecMessages.empty());
}

TEST(DownloadTargetDlg, AddressBesideALongerOneIsAddedAndTheSameOneOnlyOnce) {
    CScriptedUi ui;
    CDownloadTargetDlg dlg("192.168.0.10,192.168.0.1");
    DoubleClick(dlg, ui, IDC_BATCH_REGISTERED, 0);
    Select(dlg, ui, IDC_BATCH_REGISTERED, 1);
    Click(dlg, ui, IDC_BATCH_ADD);
    Click(dlg, ui, IDC_BATCH_ADD);
    DoubleClick(dlg, ui, IDC_BATCH_REGISTERED, 1);
    EXPECT_EQ(dlg.GetItems(IDC_BATCH_TARGETS),
              (std::vector<std::string>{"192.168.0.10", "192.168.0.1"}));
    EXPECT_EQ(Press(dlg, ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(dlg.GetTargetText(), "192.168.0.10,192.168.0.1");
}

TEST(DownloadTargetDlg, RemovingTheLastTargetDisablesOkAndNothingChosenIsACancel) {
    CScriptedUi ui;
    CDownloadTargetDlg dlg("10.0.0.1,10.0.0.2");
    // Nothing selected: nothing added.
    Click(dlg, ui, IDC_BATCH_ADD);
    EXPECT_TRUE(dlg.GetItems(IDC_BATCH_TARGETS).empty());
    EXPECT_FALSE(dlg.IsEnabled(DIALOG_OK));

    DoubleClick(dlg, ui, IDC_BATCH_REGISTERED, 1);
    DoubleClick(dlg, ui, IDC_BATCH_REGISTERED, 0);
    Select(dlg, ui, IDC_BATCH_TARGETS, 0);
    Click(dlg, ui, IDC_BATCH_REMOVE);
    EXPECT_EQ(dlg.GetItems(IDC_BATCH_TARGETS), std::vector<std::string>{"10.0.0.1"});
    EXPECT_TRUE(dlg.IsEnabled(DIALOG_OK));
    DoubleClick(dlg, ui, IDC_BATCH_TARGETS, 0);
    EXPECT_TRUE(dlg.GetItems(IDC_BATCH_TARGETS).empty());
    EXPECT_FALSE(dlg.IsEnabled(DIALOG_OK));
    // Enter with the button disabled.
    EXPECT_EQ(dlg.OnCommand(ui, DIALOG_OK).nResult, DIALOG_CANCEL);
    EXPECT_EQ(dlg.GetTargetText(), "");
}

// ------------------------------------------------------------ texts of the batch

TEST(BatchTexts, ConfirmationListsTheNodesThenNamesTheFileAlone) {
    EXPECT_EQ(BatchConfirmText("10.0.0.1,10.0.0.2", "C:\\work\\app.mot"),
              "10.0.0.1\r\n10.0.0.2\r\n\r\n以上のﾉｰﾄﾞに「app.mot」をダウンロードします。\r\n"
              "よろしければ「OK」を押してください。");
    EXPECT_EQ(BatchConfirmText("10.0.0.1", "/home/op/images/KERNEL.mot"),
              "10.0.0.1\r\n\r\n以上のﾉｰﾄﾞに「KERNEL.mot」をダウンロードします。\r\n"
              "よろしければ「OK」を押してください。");
}

TEST(BatchTexts, MarkingDoneTouchesOnlyTheExactEntry) {
    std::string str = "192.168.0.10,192.168.0.1,192.168.0.100";
    MarkTargetDone(str, "192.168.0.1");
    EXPECT_EQ(str, "192.168.0.10,***********,192.168.0.100");
    MarkTargetDone(str, "192.168.0.100");
    EXPECT_EQ(str, "192.168.0.10,***********,*************");
    MarkTargetDone(str, "192.168.0.1"); // already done: nothing left to mark
    MarkTargetDone(str, "10.0.0.1");
    EXPECT_EQ(str, "192.168.0.10,***********,*************");
    MarkTargetDone(str, "192.168.0.10");
    EXPECT_EQ(str, "************,***********,*************");
}

TEST(BatchTexts, RemainingTargetsSkipMarkedAndShortPieces) {
    EXPECT_EQ(RemainingTargets("********,10.0.0.2,1.2.3.4"),
              (std::vector<std::string>{"10.0.0.2", "1.2.3.4"}));
    // '*' inside a piece is left out before its length counts.
    EXPECT_EQ(RemainingTargets("10.0*.0.1,1.2*.3,,abcdef"), std::vector<std::string>{"10.0.0.1"});
    EXPECT_TRUE(RemainingTargets("").empty());
}

// ------------------------------------------------------------ progress window

TEST(DownloadProgressDlg, ColumnsButtonsAndRowsOfANewBatch) {
    CScriptedUi ui;
    CDownloadProgressDlg dlg;
    EXPECT_EQ(dlg.GetTitle(), "一括ダウンロード情報");
    const SControl* pList = dlg.FindControl(IDC_PROGRESS_LIST);
    ASSERT_NE(pList, nullptr);
    ASSERT_EQ(pList->vecColumns.size(), 3u);
    EXPECT_EQ(pList->vecColumns[0].strTitle, "IPアドレス");
    EXPECT_EQ(pList->vecColumns[0].nWidth, 110);
    EXPECT_EQ(pList->vecColumns[1].strTitle, "状態");
    EXPECT_EQ(pList->vecColumns[1].nWidth, 110);
    EXPECT_EQ(pList->vecColumns[2].strTitle, "結果");
    EXPECT_EQ(pList->vecColumns[2].nWidth, 80);
    EXPECT_FALSE(dlg.IsVisible(IDC_PROGRESS_STOP));
    EXPECT_FALSE(dlg.IsEnabled(IDC_PROGRESS_STOP));
    EXPECT_EQ(dlg.GetCaption(IDC_PROGRESS_STOP), "中止");

    dlg.Begin(ui, "10.0.0.1,10.0.0.2", "/x/app.mot");
    EXPECT_TRUE(dlg.IsOpen());
    EXPECT_FALSE(dlg.IsEnabled(DIALOG_OK));
    // State and result bytes as the list holds them.
    EXPECT_EQ(dlg.GetRows(IDC_PROGRESS_LIST),
              (Rows{{"10.0.0.1", "\x96\xA2\x8E\xC0\x8E\x7B", "\x81\x7C"},
                    {"10.0.0.2", "\x96\xA2\x8E\xC0\x8E\x7B", "\x81\x7C"}}));
    EXPECT_EQ(dlg.GetPath(), "/x/app.mot");

    // Enter while the batch runs, Escape and the hidden stop button only
    // record a stop request.
    EXPECT_EQ(dlg.OnCommand(ui, DIALOG_OK).eKind, SDialogAction::Stay);
    EXPECT_TRUE(dlg.IsOpen());
    EXPECT_FALSE(dlg.IsStopRequested());
    EXPECT_EQ(dlg.OnCommand(ui, DIALOG_CANCEL).eKind, SDialogAction::Stay);
    EXPECT_TRUE(dlg.IsStopRequested());
    EXPECT_TRUE(dlg.IsOpen());

    dlg.End(ui);
    Click(dlg, ui, DIALOG_OK);
    EXPECT_FALSE(dlg.IsOpen());
    using E = CScriptedUi::SModelessEvent;
    EXPECT_EQ(ui.m_vecModeless, (std::vector<E>{{E::Open, "CDownloadProgressDlg"},
                                                {E::Refresh, "CDownloadProgressDlg"},
                                                {E::Close, "CDownloadProgressDlg"}}));
}

TEST(CommandTable, BatchCommandsAreConnected) {
    for (int nId : {32821, 32823}) {
        ASSERT_NE(FindCommand(nId), nullptr) << nId;
        EXPECT_TRUE(FindCommand(nId)->fnHandler) << nId;
        EXPECT_EQ(FindCommand(nId)->eEnable, EEnable::Always) << nId;
    }
}

// ------------------------------------------------------------ the batch

// What a played node got.
struct SSeen {
    int nNode; // last byte of its address
    uint16_t wCode;
    int nMode; // of a mode change; -1 otherwise
    bool operator==(const SSeen&) const = default;
};

// How a played node behaves.
struct SPlayedNode {
    int nMode = 0;
    bool bSilentInSetup = false; // no reply to get-parameters in mode 7
    bool bSilentModeZero = false;
};

class DownloadBatchRun : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        AddNetworkWithNodes({{"0080C8000001", 0x7F000001u},
                             {"0080C8000002", 0x7F000002u},
                             {"0080C8000003", 0x7F000003u}});
        m_vecServers.push_back(std::make_unique<CLoopbackFtpServer>("admin", SECRET));
        uint16_t wPort = m_vecServers[0]->Port();
        for (const char* pszAddr : {"127.0.0.2", "127.0.0.3"}) {
            m_vecServers.push_back(
                std::make_unique<CLoopbackFtpServer>("admin", SECRET, pszAddr, wPort));
            ASSERT_EQ(m_vecServers.back()->Port(), wPort) << pszAddr;
        }
        SFtpRunEnv env;
        env.strClient = m_fake.Program();
        env.wCheckPort = wPort;
        m_pDoc->SetFtpRunEnv(env);
        m_strImage = m_files.File("APP.mot");
        CScratchDir::Write(m_strImage, IMAGE);
        m_fake.SetListing(AppLine("V1.02 APP.mot", IMAGE.size()));
        m_pSocket->SetSendHook([this](const CMemoryDatagramSocket::SDatagram& dg) { Play(dg); });
        m_ui.WatchModeless("CDownloadProgressDlg", [this](const CDialogModel& dlg) {
            m_vecShown.push_back(ShownProgressRows(dlg));
            m_vecOkEnabled.push_back(dlg.IsEnabled(DIALOG_OK));
        });
    }
    void TearDown() override {
        if (m_progress.IsOpen()) {
            Click(m_progress, m_ui, DIALOG_OK);
        }
        CDocFixture::TearDown();
    }

    void Play(const CMemoryDatagramSocket::SDatagram& dg) {
        int nNode = static_cast<int>(dg.dwIp & 0xFF);
        uint16_t wCode = RequestCode(dg);
        int nMode = wCode == 0x0105 ? dg.vecData[11] : -1;
        m_vecSeen.push_back({nNode, wCode, nMode});
        SPlayedNode& node = m_mapNodes[nNode];
        if (wCode == 0x0103 && !(node.nMode == 7 && node.bSilentInSetup)) {
            m_pSocket->Inject(AccountReply("admin", SECRET), "127.0.0.1", 65533);
        } else if (wCode == 0x0105 && !(nMode == 0 && node.bSilentModeZero)) {
            node.nMode = nMode;
            Bytes vec = DownloadReply(0x0205, 0, 13);
            vec[11] = uint8_t(nMode);
            m_pSocket->Inject(vec, "127.0.0.1", 65533);
        } else if (wCode == 0x0105) {
            node.nMode = nMode; // carried out, not answered
        }
    }

    // The requests node nNode got, in order.
    std::vector<SSeen> SeenBy(int nNode) const {
        std::vector<SSeen> vec;
        for (const SSeen& seen : m_vecSeen) {
            if (seen.nNode == nNode) {
                vec.push_back(seen);
            }
        }
        return vec;
    }

    // The states row nRow went through, each once, in order.
    std::vector<std::string> StatesOfRow(size_t nFirstShown, size_t nEndShown, size_t nRow) const {
        std::vector<std::string> vec;
        for (size_t n = nFirstShown; n < nEndShown && n < m_vecShown.size(); ++n) {
            if (nRow < m_vecShown[n].size()) {
                std::string str = m_vecShown[n][nRow][1] + "/" + m_vecShown[n][nRow][2];
                if (vec.empty() || vec.back() != str) {
                    vec.push_back(str);
                }
            }
        }
        return vec;
    }

    // The operator chooses every registered node.
    void ExpectAllChosen() {
        m_ui.ExpectDialog("CDownloadTargetDlg", [](CDialogModel& dlg, CUi& ui) {
            Click(dlg, ui, IDC_BATCH_ALL);
            return Press(dlg, ui, DIALOG_OK);
        });
    }

    CDownloadProgressDlg m_progress;
    std::vector<std::unique_ptr<CLoopbackFtpServer>> m_vecServers;
    CFakeFtpClient m_fake{SECRET};
    CTmpDirScope m_tmp;
    CScratchDir m_files;
    std::string m_strImage;
    std::map<int, SPlayedNode> m_mapNodes;
    std::vector<SSeen> m_vecSeen;
    std::vector<Rows> m_vecShown;
    std::vector<bool> m_vecOkEnabled;
};
} // namespace

TEST_F(DownloadBatchRun, SilentSecondNodeIsRetriedAloneAfterTheOperatorsOk) {
    m_mapNodes[2].bSilentInSetup = true;
    ExpectAllChosen();
    m_ui.ExpectFileChoice(m_strImage);
    m_ui.ExpectMessage("127.0.0.1\r\n127.0.0.2\r\n127.0.0.3\r\n\r\n"
                       "以上のﾉｰﾄﾞに「APP.mot」をダウンロードします。\r\n"
                       "よろしければ「OK」を押してください。")
        .WithButtons(EMsgButtons::OkCancel)
        .WithIcon(EMsgIcon::Question);
    Rows rowsAtQuestion;
    size_t nShownAtQuestion = 0;
    m_ui.ExpectMessage(RETRY, EMsgAnswer::Ok)
        .WithButtons(EMsgButtons::OkCancel)
        .WithIcon(EMsgIcon::Question)
        .WhenShown([&] {
            rowsAtQuestion = m_vecShown.back();
            nShownAtQuestion = m_vecShown.size();
            m_mapNodes[2].bSilentInSetup = false; // it answers on the second pass
        });
    m_ui.ExpectMessage(DONE_ALL).WithButtons(EMsgButtons::Ok).WithIcon(EMsgIcon::Information);
    DownloadToChosenNodes(*m_pDoc, m_progress, BATCH_APPLICATION);

    EXPECT_EQ(rowsAtQuestion, (Rows{{"127.0.0.1", "ダウンロード済み", "OK"},
                                    {"127.0.0.2", "設定取得エラー", "NG"},
                                    {"127.0.0.3", "ダウンロード済み", "OK"}}));
    // The rebuilt list: the second node alone, not yet done.
    ASSERT_GT(m_vecShown.size(), nShownAtQuestion);
    EXPECT_EQ(m_vecShown[nShownAtQuestion], (Rows{{"127.0.0.2", "未実施", "－"}}));
    EXPECT_EQ(m_vecShown.back(), (Rows{{"127.0.0.2", "ダウンロード済み", "OK"}}));
    // Each row moved through its states where the operator could see it.
    EXPECT_EQ(StatesOfRow(0, nShownAtQuestion, 0),
              (std::vector<std::string>{"未実施/－", "準備中/－", "ダウンロード中/－",
                                        "ダウンロード済み/OK"}));
    EXPECT_EQ(StatesOfRow(0, nShownAtQuestion, 1),
              (std::vector<std::string>{"未実施/－", "準備中/－", "設定取得エラー/NG"}));
    // OK stays disabled while the batch runs and is enabled at its end.
    ASSERT_FALSE(m_vecOkEnabled.empty());
    EXPECT_EQ(std::count(m_vecOkEnabled.begin(), m_vecOkEnabled.end() - 1, true), 0);
    EXPECT_TRUE(m_vecOkEnabled.back());

    // The silent node: mode 7, the pause, four requests, nothing more in that pass.
    std::vector<SSeen> vecSecond = SeenBy(2);
    ASSERT_GE(vecSecond.size(), 5u);
    EXPECT_EQ(
        std::vector<SSeen>(vecSecond.begin(), vecSecond.begin() + 5),
        (std::vector<SSeen>{
            {2, 0x0105, 7}, {2, 0x0103, -1}, {2, 0x0103, -1}, {2, 0x0103, -1}, {2, 0x0103, -1}}));
    // The first node once only, back in operation.
    EXPECT_EQ(SeenBy(1), (std::vector<SSeen>{{1, 0x0105, 7}, {1, 0x0103, -1}, {1, 0x0105, 0}}));
    EXPECT_EQ(m_fake.Runs(), 3);
    EXPECT_EQ(m_fake.Run(2, "args"), "-i\n-n\n-g\n-v\n127.0.0.3\n");
    EXPECT_EQ(m_fake.Run(3, "args"), "-i\n-n\n-g\n-v\n127.0.0.2\n");
    // Without its account the silent node was sent back to operation at once.
    EXPECT_EQ(vecSecond[5], (SSeen{2, 0x0105, 0}));
    // One restart pause per node and pass, and the pause before that return.
    EXPECT_EQ(m_clock.GetSleeps(), (std::vector<uint32_t>{3000, 3000, 700, 3000, 3000}));
    // Disabled with the status text through the whole batch.
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙの選択", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
    // The window stays open after the batch until its OK.
    EXPECT_TRUE(m_progress.IsOpen());
}

TEST_F(DownloadBatchRun, NodeThatMissesTheReturnToOperationIsReportedAndNotRetried) {
    m_mapNodes[2].bSilentModeZero = true;
    std::string strTargets = "127.0.0.1,127.0.0.2,127.0.0.3";
    m_ui.ExpectMessage("127.0.0.2\r\n\r\n"
                       "上記ﾉｰﾄﾞに対してのﾀﾞｳﾝﾛｰﾄﾞは正常終了しましたが、運用ﾓｰﾄﾞへのﾘﾌﾞｰﾄに"
                       "失敗しました。\r\n「管理」→「ﾓｰﾄﾞ変更」でﾓｰﾄﾞ変更を行なってください。")
        .WithButtons(EMsgButtons::Ok);
    m_ui.ExpectMessage(DONE_ALL);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
    EXPECT_EQ(m_vecShown.back(), (Rows{{"127.0.0.1", "ダウンロード済み", "OK"},
                                       {"127.0.0.2", "リブートエラー", "OK"},
                                       {"127.0.0.3", "ダウンロード済み", "OK"}}));
    EXPECT_EQ(strTargets, "*********,*********,*********");
}

TEST_F(DownloadBatchRun, AStopEndsTheBatchBeforeTheNextTransferWithEveryNodeInOperation) {
    // Asked while the second node restarts into its setup mode.
    m_pSocket->SetSendHook([this](const CMemoryDatagramSocket::SDatagram& dg) {
        if ((dg.dwIp & 0xFF) == 2 && RequestCode(dg) == 0x0105 && dg.vecData[11] == 7) {
            m_stop.Request(2);
        }
        Play(dg);
    });
    std::string strTargets = "127.0.0.1,127.0.0.2,127.0.0.3";
    // No retry question, no "all done": only what ends the batch early.
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
    EXPECT_EQ(m_vecShown.back(), (Rows{{"127.0.0.1", "ダウンロード済み", "OK"},
                                       {"127.0.0.2", "未実施", "－"},
                                       {"127.0.0.3", "未実施", "－"}}));
    EXPECT_EQ(SeenBy(2), (std::vector<SSeen>{{2, 0x0105, 7}, {2, 0x0103, -1}, {2, 0x0105, 0}}));
    EXPECT_TRUE(SeenBy(3).empty());
    EXPECT_EQ(m_fake.Runs(), 1);
    EXPECT_EQ(strTargets, "*********,127.0.0.2,127.0.0.3");
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
}

TEST_F(DownloadBatchRun, TwoNodesMissingTheReturnAreListedOnALineEach) {
    m_mapNodes[1].bSilentModeZero = true;
    m_mapNodes[3].bSilentModeZero = true;
    std::string strTargets = "127.0.0.1,127.0.0.2,127.0.0.3";
    m_ui.ExpectMessage("127.0.0.1\r\n127.0.0.3\r\n\r\n"
                       "上記ﾉｰﾄﾞに対してのﾀﾞｳﾝﾛｰﾄﾞは正常終了しましたが、運用ﾓｰﾄﾞへのﾘﾌﾞｰﾄに"
                       "失敗しました。\r\n「管理」→「ﾓｰﾄﾞ変更」でﾓｰﾄﾞ変更を行なってください。");
    m_ui.ExpectMessage(DONE_ALL);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
}

TEST_F(DownloadBatchRun, RefusedPutIsAFailureNeverCalledDownloadedAndOfferedForRetry) {
    m_fake.SetPutReply(
        "229 Entering Extended Passive Mode (|||40000|)\n553 Could not create file.\n",
        "127.0.0.2");
    std::string strTargets = "127.0.0.1,127.0.0.2,127.0.0.3";
    m_ui.ExpectMessage(RETRY, EMsgAnswer::Cancel);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
    EXPECT_EQ(m_vecShown.back(), (Rows{{"127.0.0.1", "ダウンロード済み", "OK"},
                                       {"127.0.0.2", "ダウンロード失敗", "NG"},
                                       {"127.0.0.3", "ダウンロード済み", "OK"}}));
    EXPECT_EQ(m_progress.GetDetail("127.0.0.2"), "553 Could not create file.");
    // It went back to operation all the same.
    EXPECT_EQ(SeenBy(2).back(), (SSeen{2, 0x0105, 0}));
    EXPECT_EQ(strTargets, "*********,127.0.0.2,*********");
    EXPECT_TRUE(m_vecOkEnabled.back());
}

TEST_F(DownloadBatchRun, FailedNodesLeftInTheirDownloadModeAreNamedBeforeTheRetryQuestion) {
    m_fake.SetPutReply("550 Permission denied.\n", "127.0.0.2");
    m_mapNodes[2].bSilentModeZero = true;
    std::string strTargets = "127.0.0.1,127.0.0.2";
    m_ui.ExpectMessage("127.0.0.2\r\n\r\n上記ﾉｰﾄﾞはﾀﾞｳﾝﾛｰﾄﾞに失敗し、ﾀﾞｳﾝﾛｰﾄﾞﾓｰﾄﾞのままです。\r\n"
                       "「管理」→「ﾓｰﾄﾞ変更」で通常動作0に戻してください。");
    m_ui.ExpectMessage(RETRY, EMsgAnswer::Cancel);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
    EXPECT_EQ(m_vecShown.back(), (Rows{{"127.0.0.1", "ダウンロード済み", "OK"},
                                       {"127.0.0.2", "リブートエラー", "NG"}}));
    EXPECT_EQ(strTargets, "*********,127.0.0.2");
}

TEST_F(DownloadBatchRun, TargetWithoutANodeIsSkippedInEveryPass) {
    m_mapNodes[3].bSilentInSetup = true;
    std::string strTargets = "127.0.0.9,127.0.0.3,127.0.0.1";
    m_ui.ExpectMessage(RETRY, EMsgAnswer::Ok).WhenShown([this] {
        // The silent node is deleted while the question is up: the second
        // pass skips it as well.
        m_pDoc->DeleteNode(2);
    });
    m_ui.ExpectMessage(DONE_ALL);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
    EXPECT_TRUE(SeenBy(9).empty());
    // The mode change, four unanswered requests, the way back to operation.
    EXPECT_EQ(SeenBy(3).size(), 6u);
    EXPECT_EQ(SeenBy(1), (std::vector<SSeen>{{1, 0x0105, 7}, {1, 0x0103, -1}, {1, 0x0105, 0}}));
    EXPECT_EQ(m_vecShown.back(),
              (Rows{{"127.0.0.9", "未実施", "－"}, {"127.0.0.3", "未実施", "－"}}));
    EXPECT_EQ(strTargets, "127.0.0.9,127.0.0.3,*********");
}

TEST_F(DownloadBatchRun, KernelBatchFetchesTheAccountFirstWithRetries) {
    m_mapNodes[1].nMode = 0;
    std::string strTargets = "127.0.0.1";
    m_ui.ExpectMessage(DONE_ALL);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_KERNEL);
    EXPECT_EQ(SeenBy(1), (std::vector<SSeen>{{1, 0x0103, -1}, {1, 0x0105, 6}, {1, 0x0105, 0}}));
    EXPECT_EQ(m_clock.GetSleeps(), std::vector<uint32_t>{3000});
}

TEST_F(DownloadBatchRun, KernelAccountThatNeverComesIsASettingsError) {
    m_settings.m_nRetryGetParam = 1;
    m_mapNodes[1].nMode = 7; // silent for get-parameters from the start
    m_mapNodes[1].bSilentInSetup = true;
    std::string strTargets = "127.0.0.1";
    m_ui.ExpectMessage(RETRY, EMsgAnswer::Cancel);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_KERNEL);
    EXPECT_EQ(SeenBy(1), (std::vector<SSeen>{{1, 0x0103, -1}, {1, 0x0103, -1}}));
    EXPECT_EQ(m_vecShown.back(), (Rows{{"127.0.0.1", "設定取得エラー", "NG"}}));
    EXPECT_TRUE(m_clock.GetSleeps().empty());
}

TEST_F(DownloadBatchRun, SecondBatchReusesTheOpenWindowAndAClosedOneOpensAgain) {
    std::string strTargets = "127.0.0.1,127.0.0.2";
    m_ui.ExpectMessage(DONE_ALL);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
    strTargets = "127.0.0.3";
    m_ui.ExpectMessage(DONE_ALL);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
    using E = CScriptedUi::SModelessEvent;
    EXPECT_EQ(std::count(m_ui.m_vecModeless.begin(), m_ui.m_vecModeless.end(),
                         E{E::Open, "CDownloadProgressDlg"}),
              1);
    EXPECT_EQ(m_vecShown.back(), (Rows{{"127.0.0.3", "ダウンロード済み", "OK"}}));

    Click(m_progress, m_ui, DIALOG_OK);
    strTargets = "127.0.0.1";
    m_ui.ExpectMessage(DONE_ALL);
    DownloadBatch(*m_pDoc, m_progress, m_strImage, strTargets, BATCH_APPLICATION);
    EXPECT_EQ(std::count(m_ui.m_vecModeless.begin(), m_ui.m_vecModeless.end(),
                         E{E::Open, "CDownloadProgressDlg"}),
              2);
}

TEST_F(DownloadBatchRun, CancelAtAnyStepBeforeTheBatchSendsNothing) {
    m_ui.ExpectDialog("CDownloadTargetDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    DownloadToChosenNodes(*m_pDoc, m_progress, BATCH_APPLICATION);
    EXPECT_TRUE(m_ui.m_vecEnable.empty()); // the window was never disabled

    ExpectAllChosen();
    m_ui.ExpectFileChoiceCancelled();
    DownloadToChosenNodes(*m_pDoc, m_progress, BATCH_KERNEL);

    ExpectAllChosen();
    m_ui.ExpectFileChoice(m_strImage);
    m_ui.ExpectMessage("127.0.0.1\r\n127.0.0.2\r\n127.0.0.3\r\n\r\n"
                       "以上のﾉｰﾄﾞに「APP.mot」をダウンロードします。\r\n"
                       "よろしければ「OK」を押してください。",
                       EMsgAnswer::Cancel);
    DownloadToChosenNodes(*m_pDoc, m_progress, BATCH_APPLICATION);

    // A file that can never be put is refused before anything is sent: no
    // row changes, no retry question.
    std::string strBad = m_files.File("BAD.mot");
    CScratchDir::Write(strBad, "S00600004844521B\nS107000001020304EF\nS9030000FC\n");
    std::string strQuote = m_files.File("a\"b.mot");
    CScratchDir::Write(strQuote, IMAGE);
    for (const auto& [strPath, pszMessage] :
         {std::pair{strBad, "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙがMOT形式(Sﾚｺｰﾄﾞ)として正しくありません\r\n"
                            "2行目: ﾁｪｯｸｻﾑが一致しません"},
          {strQuote, "ﾌｧｲﾙ名に改行などの制御文字または「\"」が含まれているため、"
                     "ﾀﾞｳﾝﾛｰﾄﾞできません"},
          {m_files.Dir(), "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙが通常のﾌｧｲﾙではありません"}}) {
        ExpectAllChosen();
        m_ui.ExpectFileChoice(strPath);
        m_ui.ExpectMessage(pszMessage);
        DownloadToChosenNodes(*m_pDoc, m_progress, BATCH_APPLICATION);
    }

    EXPECT_TRUE(m_vecSeen.empty());
    EXPECT_FALSE(m_progress.IsOpen());
    EXPECT_EQ(m_ui.m_vecEnable,
              (std::vector<bool>{false, true, false, true, false, true, false, true, false, true}));
    ASSERT_EQ(m_ui.m_vecFileChoices.size(), 5u);
    EXPECT_EQ(m_ui.m_vecFileChoices[0].strTitle, "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙの選択");
    EXPECT_EQ(m_ui.m_vecFileChoices[0].strDefaultExt, ".mot");
}
