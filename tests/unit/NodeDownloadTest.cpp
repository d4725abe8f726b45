// Download to one node, file information, application deletion and version
// information against a node played on the in-memory socket, with the fake
// FTP client and a loopback server for the connection check.
#include "ops/NodeDownload.h"
#include "DocFixture.h"
#include "DownloadReplies.h"
#include "FakeFtpClient.h"
#include "LoopbackFtpServer.h"
#include "ScratchDir.h"
#include "doc/AppInfoDlg.h"
#include "ops/MotImage.h"
#include "ops/NodeFiles.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char SECRET[] = "s3cr3t-pw";
const uint32_t IP_NODE = 0x7F000001u; // the connection check goes to the loopback server
const std::string IMAGE = "S00600004844521B\nS107000001020304EE\nS9030000FC\n";

// What the played node got: request code, and for a mode change its mode.
struct SSeen {
    uint16_t wCode;
    int nMode;
    size_t nSleepsBefore; // fixed pauses that had passed when it was sent
    bool operator==(const SSeen&) const = default;
};

class NodeCommands : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        AddNetworkWithNodes({{"0080C8000001", IP_NODE}});
        SFtpRunEnv env;
        env.strClient = m_fake.Program();
        env.wCheckPort = m_server.Port();
        m_pDoc->SetFtpRunEnv(env);
        m_strImage = m_files.File("APP.mot");
        CScratchDir::Write(m_strImage, IMAGE);
        m_fake.SetListing(AppLine("V1.02 APP.mot", IMAGE.size()));
        m_pSocket->SetSendHook([this](const CMemoryDatagramSocket::SDatagram& dg) { Play(dg); });
    }
    // The node: answers get-parameters with its account (after nSilentGets
    // unanswered ones) and mode changes with nModeResult (-1: silent).
    void Play(const CMemoryDatagramSocket::SDatagram& dg) {
        uint16_t wCode = RequestCode(dg);
        m_vecSeen.push_back(
            {wCode, wCode == 0x0105 ? dg.vecData[11] : -1, m_clock.GetSleeps().size()});
        m_vecSentAt.push_back(m_clock.Now());
        if (wCode == 0x0103 && m_nSilentGets-- <= 0) {
            m_pSocket->Inject(AccountReply(m_strUser, m_strPassword), "127.0.0.1", 65533);
        } else if (wCode == 0x0105 && m_nModeResult >= 0 &&
                   !(dg.vecData[11] == 0 && m_bSilentModeZero)) {
            Bytes vec = DownloadReply(0x0205, uint8_t(m_nModeResult), 13);
            vec[11] = dg.vecData[11];
            m_pSocket->Inject(vec, "127.0.0.1", 65533);
        } else if (wCode == 0x0108 && m_bAnswerVersion) {
            Bytes vec = DownloadReply(0x0208, 0, 232);
            std::copy_n("TESTAPP", 7, vec.begin() + 32);
            m_pSocket->Inject(vec, "127.0.0.1", 65533);
        }
    }

    void ExpectChoice(const std::string& strPath) { m_ui.ExpectFileChoice(strPath); }
    void ExpectListingDialog() {
        m_ui.ExpectDialog("CFileInfoDlg",
                          [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    }

    CLoopbackFtpServer m_server{"admin", SECRET};
    CFakeFtpClient m_fake{SECRET};
    CTmpDirScope m_tmp;
    CScratchDir m_files;
    std::string m_strImage;
    std::string m_strUser = "admin";
    std::string m_strPassword = SECRET;
    int m_nSilentGets = 0;
    int m_nModeResult = 0;
    bool m_bSilentModeZero = false;
    bool m_bAnswerVersion = true;
    std::vector<SSeen> m_vecSeen;
    std::vector<uint32_t> m_vecSentAt;
};
} // namespace

TEST_F(NodeCommands, KernelDownloadFetchesTheAccountOnceBeforeTheModeChange) {
    ExpectChoice(m_strImage);
    ExpectListingDialog();
    std::vector<std::string> vecInfo;
    m_ui.WatchModeless("CInformationDlg", [&](const CDialogModel& dlg) {
        vecInfo.push_back(dlg.GetCaption(10002));
        EXPECT_FALSE(dlg.IsVisible(DIALOG_CANCEL));
        EXPECT_EQ(dlg.GetTitle(), "インフォメーション");
    });
    m_ui.ExpectMessage("ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました").WithIcon(EMsgIcon::Information);
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_KERNEL);

    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0103, -1, 0}, {0x0105, 6, 0}, {0x0105, 0, 2}}));
    EXPECT_EQ(m_clock.GetSleeps(), (std::vector<uint32_t>{3000, 700}));
    EXPECT_EQ(vecInfo, std::vector<std::string>{"ダウンロード中です\nしばらくお待ちください"});
    ASSERT_EQ(m_ui.m_vecFileChoices.size(), 1u);
    const SFileChoice& choice = m_ui.m_vecFileChoices[0];
    EXPECT_EQ(choice.strTitle, "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙの選択");
    EXPECT_EQ(choice.strDefaultExt, ".mot");
    ASSERT_EQ(choice.vecFilters.size(), 2u);
    EXPECT_EQ(choice.vecFilters[0].strName, "MOT Files (*.mot)");
    EXPECT_EQ(choice.vecFilters[0].strPatterns, "*.mot");
    EXPECT_EQ(choice.vecFilters[1].strName, "All Files (*.*)");
    EXPECT_EQ(choice.vecFilters[1].strPatterns, "*");
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾀﾞｳﾝﾛｰﾄﾞ準備中", "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙの選択",
                                                          "ﾀﾞｳﾝﾛｰﾄﾞ中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
    // The account of the reply went into the script.
    EXPECT_EQ(m_fake.Run(1, "script"), "user admin s3cr3t-pw\nbin\nlpwd\nput " + m_strImage +
                                           " APP.mot\nlpwd\ndir . Dir.txt\nclose\nquit\n");
    EXPECT_EQ(m_ui.m_vecModeless.back().eKind, CScriptedUi::SModelessEvent::Close);
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
}

TEST_F(NodeCommands, KernelAccountGetsASingleAttempt) {
    m_nSilentGets = 99;
    m_ui.ExpectMessage("MRV-620から応答がありません");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_KERNEL);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0103, -1, 0}}));
}

TEST_F(NodeCommands, ApplicationFetchesTheAccountAfterThePauseWithRetries) {
    m_nSilentGets = 3; // the fourth request is answered
    ExpectChoice(m_strImage);
    ExpectListingDialog();
    m_ui.ExpectMessage("ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0},
                                             {0x0103, -1, 1},
                                             {0x0103, -1, 1},
                                             {0x0103, -1, 1},
                                             {0x0103, -1, 1},
                                             {0x0105, 0, 2}}));
    // Each silent request was waited for the whole time-out.
    EXPECT_EQ(m_vecSentAt[2] - m_vecSentAt[1], 5000u);
}

TEST_F(NodeCommands, ApplicationAccountThatNeverComesEndsAfterRetrycntPlusOneBackInOperation) {
    m_settings.m_nRetryGetParam = 2;
    m_nSilentGets = 99;
    m_ui.ExpectMessage("MRV-620から応答がありません");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(
        m_vecSeen,
        (std::vector<SSeen>{
            {0x0105, 7, 0}, {0x0103, -1, 1}, {0x0103, -1, 1}, {0x0103, -1, 1}, {0x0105, 0, 2}}));
}

TEST_F(NodeCommands, AStopBeforeTheTransferBringsTheNodeBackAndPutsNothing) {
    // Asked while the node restarts into its setup mode; the account still comes.
    m_pSocket->SetSendHook([this](const CMemoryDatagramSocket::SDatagram& dg) {
        if (RequestCode(dg) == 0x0105 && dg.vecData[11] == 7) {
            m_stop.Request(2);
        }
        Play(dg);
    });
    EXPECT_EQ(DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION), DLRESULT_STOPPED);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}, {0x0103, -1, 1}, {0x0105, 0, 2}}));
    EXPECT_EQ(m_clock.GetSleeps(), (std::vector<uint32_t>{3000, 700}));
    EXPECT_EQ(m_fake.Runs(), 0);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    // Asked before anything was sent: the node is not touched.
    m_vecSeen.clear();
    EXPECT_EQ(DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_KERNEL), DLRESULT_STOPPED);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0103, -1, 2}}));
}

TEST_F(NodeCommands, CancelledChoiceSendsOneModeZeroWithoutWaiting) {
    m_bSilentModeZero = true;
    m_ui.ExpectFileChoiceCancelled();
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}, {0x0103, -1, 1}, {0x0105, 0, 1}}));
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    // Nothing waited for the silent node after the last request.
    EXPECT_LT(m_clock.Now() - m_vecSentAt.back(), 5000u);
    EXPECT_EQ(m_fake.Runs(), 0);
}

TEST_F(NodeCommands, BrokenImageIsRefusedWithItsLineAndNothingIsPut) {
    std::string strBad = m_files.File("BAD.MOT");
    CScratchDir::Write(strBad, "S00600004844521B\r\nS107000001020304EF\r\nS9030000FC\r\n");
    ExpectChoice(strBad);
    m_ui.ExpectMessage("ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙがMOT形式(Sﾚｺｰﾄﾞ)として正しくありません\r\n"
                       "2行目: ﾁｪｯｸｻﾑが一致しません");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(m_fake.Runs(), 0);
    EXPECT_EQ(m_server.Connections(), 0);
    // Back to operation as after a cancel.
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}, {0x0103, -1, 1}, {0x0105, 0, 1}}));
}

TEST_F(NodeCommands, FailedConnectionCheckBringsTheNodeBackToOperationOrSaysItStays) {
    const char szLogin[] = "FTPｻｰﾊﾞｰがﾛｸﾞｲﾝを拒否しました(ﾕｰｻﾞｰ名またはﾊﾟｽﾜｰﾄﾞが違います) [67]";
    m_strPassword = "wrong";
    ExpectChoice(m_strImage);
    m_ui.ExpectMessage(szLogin);
    m_ui.ExpectMessage("FTP接続失敗");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}, {0x0103, -1, 1}, {0x0105, 0, 2}}));
    EXPECT_EQ(m_clock.GetSleeps(), (std::vector<uint32_t>{3000, 700}));
    EXPECT_EQ(m_fake.Runs(), 0);
    // A node that does not answer the way back is named as staying in its mode.
    m_bSilentModeZero = true;
    ExpectChoice(m_strImage);
    m_ui.ExpectMessage(szLogin);
    m_ui.ExpectMessage("FTP接続失敗\r\nMRV-620はﾀﾞｳﾝﾛｰﾄﾞﾓｰﾄﾞ(ﾓｰﾄﾞ7)のままです。\r\n"
                       "「管理」→「ﾓｰﾄﾞ変更」で通常動作0に戻してください。");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
}

TEST_F(NodeCommands, RefusedPutIsReportedWithTheServersReplyAndTheNodeGoesBack) {
    // The listing still holds an older file of that name and size.
    m_fake.SetPutReply("229 Entering Extended Passive Mode (|||40000|)\n550 Permission denied.\n");
    ExpectChoice(m_strImage);
    ExpectListingDialog();
    m_ui.ExpectMessage("MRV-620がﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを受け付けませんでした\r\n(550 Permission denied.)");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}, {0x0103, -1, 1}, {0x0105, 0, 2}}));
}

TEST_F(NodeCommands, AFileThatCanNeverBePutIsRefusedRightAfterTheChoice) {
    std::string strQuote = m_files.File("a\"b.mot");
    CScratchDir::Write(strQuote, IMAGE);
    std::string strFifo = m_files.File("fifo.mot");
    ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);
    for (const auto& [strPath, pszMessage] :
         {std::pair{strQuote, "ﾌｧｲﾙ名に改行などの制御文字または「\"」が含まれているため、"
                              "ﾀﾞｳﾝﾛｰﾄﾞできません"},
          {strFifo, "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙが通常のﾌｧｲﾙではありません"}}) {
        m_vecSeen.clear();
        size_t n = m_clock.GetSleeps().size();
        ExpectChoice(strPath);
        m_ui.ExpectMessage(pszMessage);
        DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
        // Back to operation as after a cancel; no FTP at all.
        EXPECT_EQ(m_vecSeen,
                  (std::vector<SSeen>{{0x0105, 7, n}, {0x0103, -1, n + 1}, {0x0105, 0, n + 1}}));
    }
    EXPECT_EQ(m_server.Connections(), 0);
    EXPECT_EQ(m_fake.Runs(), 0);
}

TEST_F(NodeCommands, ANodeWhoseAddressAnotherNodeHasIsRefusedBeforeAnythingIsSent) {
    m_pDoc->AddOrUpdateNode(0, IP_NODE, "0080C8000009", true, "", "");
    m_ui.ExpectMessage("他のﾉｰﾄﾞにも登録されているIPｱﾄﾞﾚｽのため、ﾀﾞｳﾝﾛｰﾄﾞできません\r\n"
                       "(127.0.0.1)");
    DownloadToSelectedNode(*m_pDoc, 1, DOWNLOAD_APPLICATION);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(NodeCommands, AbnormalModeReplyIsReportedTwice) {
    m_nModeResult = 4;
    m_ui.ExpectMessageThat(testing::StartsWith("MRV-620から異常応答を受信しました\n"));
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました");
    DownloadToSelectedNode(*m_pDoc, 0, DOWNLOAD_APPLICATION);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}}));
}

TEST_F(NodeCommands, FileInformationShowsTheListingBetweenTheModeChanges) {
    std::string strListing = AppLine("V1.02 APP.mot", 40);
    m_fake.SetListing(strListing);
    std::vector<std::string> vecInfo;
    m_ui.WatchModeless("CInformationDlg",
                       [&](const CDialogModel& dlg) { vecInfo.push_back(dlg.GetCaption(10002)); });
    m_ui.ExpectDialog("CFileInfoDlg", [&](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(1122), strListing);
        return Press(dlg, ui, DIALOG_OK);
    });
    ShowNodeFiles(*m_pDoc, 0);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}, {0x0103, -1, 1}, {0x0105, 0, 1}}));
    EXPECT_EQ(vecInfo, std::vector<std::string>{"ファイル情報取得中です\nしばらくお待ちください"});
    EXPECT_EQ(m_ui.m_vecStatus,
              (std::vector<std::string>{"ファイル情報取得準備中", "ファイル情報取得中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_fake.Run(1, "script"), "user admin s3cr3t-pw\ndir . dir.txt\nclose\nquit\n");
}

TEST_F(NodeCommands, FileInformationWithoutTheAccountStillBringsTheNodeBack) {
    m_nSilentGets = 99;
    m_ui.ExpectMessage("MRV-620から応答がありません");
    ShowNodeFiles(*m_pDoc, 0);
    EXPECT_EQ(m_vecSeen.back(), (SSeen{0x0105, 0, 2}));
    EXPECT_EQ(m_fake.Runs(), 0);
}

TEST_F(NodeCommands, FileInformationOnASilentNodeShowsOneMessageAndSendsNothingMore) {
    m_nModeResult = -1;
    m_ui.ExpectMessage("MRV-620から応答がありません");
    ShowNodeFiles(*m_pDoc, 0);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}}));
    EXPECT_EQ(m_fake.Runs(), 0);
}

TEST_F(NodeCommands, FailedFtpStepStillSendsTheNodeBackToOperation) {
    m_strPassword = "wrong";
    m_ui.ExpectMessageThat(testing::EndsWith("[67]"));
    ShowNodeFiles(*m_pDoc, 0);
    EXPECT_EQ(m_vecSeen, (std::vector<SSeen>{{0x0105, 7, 0}, {0x0103, -1, 1}, {0x0105, 0, 1}}));
}

TEST_F(NodeCommands, ApplicationDeletionDeletesTheChosenNames) {
    m_fake.SetListing(AppLine("V1.00 A.mot", 10) + AppLine("V1.00 B.mot", 10) +
                      AppLine("V1.00 C.mot", 10));
    m_ui.ExpectDialog("CAppInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 0);
        DoubleClick(dlg, ui, IDC_APPINFO_INSTALLED, 2);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessageThat(testing::StartsWith("「A.mot」\r\n「C.mot」\r\n\r\n"), EMsgAnswer::Ok);
    ExpectListingDialog();
    DeleteNodeApplications(*m_pDoc, 0);
    ASSERT_EQ(m_fake.Runs(), 3);
    EXPECT_NE(m_fake.Run(2, "script").find("\ndel A.mot\nlpwd\n"), std::string::npos);
    EXPECT_NE(m_fake.Run(3, "script").find("\ndel C.mot\nlpwd\n"), std::string::npos);
    EXPECT_EQ(m_vecSeen.back(), (SSeen{0x0105, 0, 2}));
}

TEST_F(NodeCommands, VersionInformationOpensTheDialogFromInsideTheWait) {
    m_ui.ExpectDialog("CGetVersionDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "設定の取得");
        EXPECT_TRUE(dlg.IsEnabled(1058));
        Tick(dlg, ui, 1058, true);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectDialog("CVersionInfoDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(1126), "TESTAPP");
        return Press(dlg, ui, DIALOG_OK);
    });
    ShowNodeVersions(*m_pDoc, 0);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].dwIp, IP_NODE);
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ｱﾌﾟﾘｹｰｼｮﾝ情報取得中", "ﾚﾃﾞｨ"}));
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(NodeCommands, VersionInformationWithoutAddressGoesByBroadcastAndSilenceIsReported) {
    m_pDoc->AddOrUpdateNode(0, 0xC0A8C8FEu, "0080C8000002", true, "", "");
    m_bAnswerVersion = false;
    m_ui.ExpectDialog("CGetVersionDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_FALSE(dlg.IsEnabled(1058));
        EXPECT_EQ(dlg.GetInt(1058), 0);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage("MRV-620から応答がありません");
    ShowNodeVersions(*m_pDoc, 1);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu);
    // Cancel sends nothing.
    m_ui.ExpectDialog("CGetVersionDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    ShowNodeVersions(*m_pDoc, 1);
    EXPECT_EQ(Sent().size(), 1u);
}

TEST(MotImage, FirstBadLineIsNamed) {
    size_t nLine = 0;
    EXPECT_EQ(FindSRecordFault(IMAGE, nLine), "");
    EXPECT_EQ(FindSRecordFault("S00600004844521B\r\n\r\nS107000001020304EE\r\nS9030000FC", nLine),
              "");
    auto fault = [&](const std::string& strText) {
        std::string strWhy = FindSRecordFault(strText, nLine);
        return std::to_string(nLine) + ": " + strWhy;
    };
    EXPECT_EQ(fault("S00600004844521B\nX107000001020304EE\nS9030000FC\n"),
              "2: Sﾚｺｰﾄﾞではありません");
    EXPECT_EQ(fault("S407000001020304EE\n"), "1: ﾚｺｰﾄﾞ種別が正しくありません");
    EXPECT_EQ(fault("S10700000102030GEE\n"), "1: 16進数でない文字があります");
    EXPECT_EQ(fault("S10800000102030411\n"), "1: ﾊﾞｲﾄ数が長さと一致しません");
    EXPECT_EQ(fault("S107000001020304E\n"), "1: ﾊﾞｲﾄ数が長さと一致しません");
    EXPECT_EQ(fault("S107000001020304EF\n"), "1: ﾁｪｯｸｻﾑが一致しません");
    EXPECT_EQ(fault("S107000001020304EE\nS9030000FC\nS107000001020304EE\n"),
              "3: 終了ﾚｺｰﾄﾞの後にﾚｺｰﾄﾞがあります");
    EXPECT_EQ(fault("S107000001020304EE\n"), "2: 終了ﾚｺｰﾄﾞ(S7/S8/S9)がありません");
    EXPECT_EQ(fault("S00600004844521B\nS9030000FC\n"), "3: ﾃﾞｰﾀﾚｺｰﾄﾞがありません");
    // Found by fuzzing: data records that carry no byte made an image that a
    // node refuses; they are no data.
    EXPECT_EQ(fault("S1030000FC\r\nS9030000FC\r\n"), "3: ﾃﾞｰﾀﾚｺｰﾄﾞがありません");
}

TEST(MotImage, AChosenFileIsLookedAtBoundedAndOnlyAsARegularFile) {
    CScratchDir dir;
    CScratchDir::Write(dir.File("image.bin"), "not an image");
    CScratchDir::Write(dir.File("app.Mot"), "not an image");
    ASSERT_EQ(symlink("/dev/zero", dir.File("zero.mot").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.File("pipe.mot").c_str(), 0600), 0);
    const char szNotAFile[] = "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙが通常のﾌｧｲﾙではありません";
    struct SCase {
        std::string strPath;
        const char* pszMessage; // "" accepted
    } aCases[] = {
        {dir.File("image.bin"), ""}, // only .mot files are read as images
        {dir.File("app.Mot"), "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙがMOT形式(Sﾚｺｰﾄﾞ)として正しくありません\r\n"
                              "1行目: Sﾚｺｰﾄﾞではありません"},
        {dir.File("missing.mot"), "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを読み込めません"},
        {dir.File("zero.mot"), szNotAFile}, // never read to the end of /dev/zero
        {dir.File("pipe.mot"), szNotAFile}, // nor waited on
        {dir.Dir(), szNotAFile},
    };
    for (const SCase& c : aCases) {
        std::string strMessage = "left over";
        EXPECT_EQ(CheckDownloadFile(c.strPath, strMessage), c.pszMessage[0] == '\0') << c.strPath;
        EXPECT_EQ(strMessage, c.pszMessage);
    }
    // Larger than any image, even without reading it.
    std::string strBig = dir.File("big.bin");
    CScratchDir::Write(strBig, "");
    ASSERT_EQ(truncate(strBig.c_str(), DOWNLOAD_FILE_MAX + 1), 0);
    std::string strMessage;
    EXPECT_FALSE(CheckDownloadFile(strBig, strMessage));
    EXPECT_EQ(strMessage, "ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙが大きすぎます(64MBまで)");
}
