// mrvctl's commands on a document over the in-memory socket: bad input ends
// with its exit status and the same message the window shows, and changes
// nothing; questions no option answers end the command; failures on the wire
// give their own statuses; what goes out is what the window sends.
#include "cli/CtlCommands.h"
#include "CtlFixture.h"
#include "DocFixture.h"
#include "SampleParam.h"
#include "cli/CtlParamKeys.h"
#include "cli/CtlUi.h"
#include "link/SettingsPayload.h"
#include "ops/NodeCommandDlgs.h"
#include "ops/NodeCommands.h"
#include "params/ParamControls.h"
#include "params/ParamFile.h"
#include "res/Texts.h"

#include <cstring>
#include <unistd.h>

namespace {
class CtlCommands : public CCtlFixture {};
} // namespace

// ------------------------------------------------------------------ bad input

TEST_F(CtlCommands, AnUnknownNodeIsRefusedBeforeAnythingIsSent) {
    EXPECT_EQ(Run({"mode", "9", "7"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"no node '9' in the current network"});
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlCommands, AnUnknownMacIsRefused) {
    EXPECT_EQ(Run({"version", "1", "0080C80000FF"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"no node '0080C80000FF' in the current network"});
    // The first node was not asked either: every name is found first.
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlCommands, AMalformedNodeAddressIsRefused) {
    EXPECT_EQ(Run({"get-params", "192.168.1"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"malformed address '192.168.1'"});
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlCommands, NodesAreNamedByMacInAnyCaseByAddressAndByRow) {
    EXPECT_EQ(Run({"nodes", "set", "0080c8000002", "--remarks", "by mac"}), 0);
    EXPECT_EQ(Run({"nodes", "set", "192.168.1.10", "--remarks", "by ip"}), 0);
    EXPECT_EQ(Run({"nodes", "set", "2", "--serial", "SN-X"}), 0);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[0].m_strRemarks, "by ip");
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[1].m_strRemarks, "by mac");
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[1].m_strSerial, "SN-X");
    EXPECT_TRUE(Texts().empty());
}

TEST_F(CtlCommands, TheRegistrationDialogsRefuseWithTheirOwnTexts) {
    EXPECT_EQ(Run({"networks", "add", "LINE-B", "--mask", "0.0.0.0"}), 2);
    EXPECT_EQ(Run({"networks", "add", "LINE-A"}), 2);
    EXPECT_EQ(Run({"nodes", "add", "12345"}), 2);
    EXPECT_EQ(Run({"nodes", "add", MAC1}), 2);
    EXPECT_EQ(Run({"nodes", "add", "0080C80000FF", "--ip", "127.0.0.1"}), 2);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です",
                           "ﾈｯﾄﾜｰｸ名が重複しています",
                           "MACｱﾄﾞﾚｽは16進数12文字を入力してください",
                           "MACｱﾄﾞﾚｽは既に使用されています",
                           "IPｱﾄﾞﾚｽの値が異常です",
                       }));
    EXPECT_EQ(m_pDoc->m_arrNets.size(), 1u);
    EXPECT_EQ(NodeCount(), 2u);
}

TEST_F(CtlCommands, AValueTheNodeSettingsRulesRefuseSendsNothing) {
    EXPECT_EQ(Run({"set-params", "1", "--defaults", "--set", "Mtu=100"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"MTU値が異常です(512-1500)"});
    EXPECT_TRUE(m_pSocket->GetSent().empty());
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[0].m_dwIp, IP1);
}

TEST_F(CtlCommands, AValueNoFieldTakesAndAnUnknownKeyAreRefused) {
    EXPECT_EQ(Run({"set-params", "1", "--defaults", "--set", "Speed=99"}), 2);
    EXPECT_EQ(Run({"set-params", "1", "--defaults", "--set", "Mtu=15x0"}), 2);
    EXPECT_EQ(Run({"set-params", "1", "--defaults", "--set", "Colour=blue"}), 2);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "value '99' cannot be entered for this key",
                           "value '15x0' cannot be entered for this key",
                           "unknown parameter key 'Colour'",
                       }));
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

// Found by fuzzing: the INI file ends a value at a line break, so such a value
// was stored cut while the command said it succeeded.
TEST_F(CtlCommands, AValueWithALineBreakIsRefusedNotCut) {
    EXPECT_EQ(Run({"defaults", "--set", "Location=room\r\n1"}), 2);
    EXPECT_EQ(Run({"set-params", "1", "--defaults", "--set", "User=ad\nmin"}), 2);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "value 'room\n1' cannot be entered for this key",
                           "value 'ad\nmin' cannot be entered for this key",
                       }));
    EXPECT_FALSE(CScratchDir::Exists(m_paramFile.m_strPath));
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlCommands, AFileThatIsNoParameterSetIsRefused) {
    std::string strPath = m_dir.File("notes.ini");
    CScratchDir::Write(strPath, "[Other]\r\nMtu=1400\r\n");
    EXPECT_EQ(Run({"set-params", "1", "--from", strPath}), 2);
    EXPECT_EQ(Run({"defaults", "--from", m_dir.File("missing.ini")}), 2);
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{
                  "'" + strPath + "' is not a parameter set (no section MRV-620_Parameter)",
                  "cannot read '" + m_dir.File("missing.ini") + "'",
              }));
    EXPECT_TRUE(m_pSocket->GetSent().empty());
    EXPECT_FALSE(CScratchDir::Exists(m_paramFile.m_strPath));
}

TEST_F(CtlCommands, ARefusedDefaultLeavesTheIniFileUnwritten) {
    EXPECT_EQ(Run({"defaults", "--set", "Mtu=100"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"MTUの値が異常です(514-1500)"});
    EXPECT_FALSE(CScratchDir::Exists(m_paramFile.m_strPath));
}

TEST_F(CtlCommands, DefaultsFromAFileGoThroughTheSheetSubDialogsIncluded) {
    CParamFile source;
    source.m_strPath = m_dir.File("line.ini");
    source.m_param = SampleParam();
    source.SaveParams();
    EXPECT_EQ(Run({"defaults", "--from", source.m_strPath, "--set", "Sp02=SECOND"}), 0)
        << ::testing::PrintToString(Texts());
    CParamFile written;
    written.m_strPath = m_paramFile.m_strPath;
    written.LoadParams();
    NODEPARAM expected = SampleParam();
    std::memset(expected.szStartProgram[1], 0, sizeof expected.szStartProgram[1]);
    std::strcpy(expected.szStartProgram[1], "SECOND");
    EXPECT_EQ(RenderParamFile(written.m_param), RenderParamFile(expected));
}

TEST_F(CtlCommands, TheAutomaticAssignmentDialogRefusesWithItsTexts) {
    EXPECT_EQ(Run({"autoset", "--base", "192.168.1.100", "--increment", "0"}), 2);
    EXPECT_EQ(Run({"autoset", "--base", "192.168.1.100", "--increment", "x"}), 2);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"1 から 99 までの整数を入力してください。",
                                                 "整数を入力してください。"}));
    EXPECT_TRUE(m_pSocket->GetSent().empty());
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[1].m_dwIp, UNSET);
}

TEST_F(CtlCommands, ABrokenImageIsRefusedBeforeAnyNodeIsTouched) {
    std::string strPath = m_dir.File("app.mot");
    CScratchDir::Write(strPath, "S1130000000102030405060708090A0B0C0D0E0F75\r\nS9030000FC\r\n");
    EXPECT_EQ(Run({"download", "app", strPath, "1"}), 2);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0].rfind("ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙがMOT形式(Sﾚｺｰﾄﾞ)として正しくありません\n", 0), 0u)
        << Texts()[0];
    EXPECT_EQ(Run({"download", "app", m_dir.File("none.mot"), "1"}), 2);
    EXPECT_EQ(Texts().back(), "cannot read '" + m_dir.File("none.mot") + "'");
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlCommands, ABatchNodeWithoutAnAddressOfItsOwnIsRefused) {
    std::string strPath = m_dir.File("app.mot");
    CScratchDir::Write(strPath, "S0100000544553544150502056312E303297\r\n"
                                "S1130000000102030405060708090A0B0C0D0E0F74\r\nS9030000FC\r\n");
    EXPECT_EQ(Run({"download", "app", strPath, "1", "2", "--yes"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"node 0080C8000002 has no address of its own (a "
                                                "batch finds its nodes by address)"});
    EXPECT_TRUE(m_pSocket->GetSent().empty());
    // One node whose address another node has too: the file could reach either.
    m_pDoc->AddOrUpdateNode(0, IP1, "0080C8000009", true, "", "");
    EXPECT_EQ(Run({"download", "app", strPath, "1"}), 2);
    EXPECT_EQ(Texts().back(), "他のﾉｰﾄﾞにも登録されているIPｱﾄﾞﾚｽのため、ﾀﾞｳﾝﾛｰﾄﾞできません\n"
                              "(192.168.1.10)");
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlCommands, NoCurrentNetworkIsSaid) {
    m_pDoc->DeleteCurrentNetwork();
    EXPECT_EQ(Run({"search"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"no current network (register or select one)"});
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlCommands, ASelectedNetworkIsCurrentForTheNextCommand) {
    EXPECT_EQ(Run({"networks", "add", "LINE-B"}), 0);
    EXPECT_EQ(m_pDoc->m_nCurNet, 1);
    EXPECT_EQ(Run({"networks", "select", "LINE-A"}), 0);
    EXPECT_EQ(m_pDoc->m_nCurNet, 0);
    EXPECT_EQ(m_result.json["network"]["name"].Dump(), "\"LINE-A\"");
    EXPECT_EQ(Run({"--network", "LINE-B", "nodes"}), 0);
    EXPECT_EQ(m_pDoc->m_nCurNet, 1);
    EXPECT_EQ(m_result.json.Dump(), "{\"network\":\"LINE-B\",\"nodes\":[]}");
    EXPECT_TRUE(Texts().empty());
}

TEST_F(CtlCommands, AnUnknownNetworkIsRefused) {
    EXPECT_EQ(Run({"--network", "LINE-Z", "nodes"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"no network 'LINE-Z'"});
}

// ------------------------------------------------------------------ questions

TEST_F(CtlCommands, AQuestionWithoutYesEndsTheCommandAndKeepsTheNetwork) {
    EXPECT_EQ(Run({"networks", "delete"}), 7);
    EXPECT_EQ(Texts(), std::vector<std::string>{"現在のﾈｯﾄﾜｰｸ設定を削除します。\n"
                                                "MRV-620の登録情報も失われます。\n"
                                                "よろしいですか?\n(answer it with --yes)"});
    EXPECT_EQ(m_pDoc->m_arrNets.size(), 1u);
    EXPECT_EQ(Run({"networks", "delete", "LINE-A", "--yes"}), 7); // the first failure stays
    EXPECT_TRUE(m_pDoc->m_arrNets.empty());
}

TEST_F(CtlCommands, AnInitialisationWithoutYesSendsNothing) {
    EXPECT_EQ(Run({"init", "1"}), 7);
    EXPECT_EQ(Texts(), std::vector<std::string>{"初期化\n(answer it with --yes)"});
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlCommands, ASilentNodeInARunWithoutAnAnswerEndsTheRun) {
    m_pNodes->SetResult(MAC1, CNodeResponder::SILENT);
    m_pDoc->AddOrUpdateNode(0, UNSET, "0080C8000003", true, "", "");
    EXPECT_EQ(Run({"init", "--model", "MRV-620", "--yes"}), 7);
    EXPECT_EQ(Texts(), std::vector<std::string>{"node 0080C8000001 did not reply; say with "
                                                "--on-silence continue|stop what to do then"});
    // Ended at the first node: the others were never asked.
    EXPECT_EQ(m_pNodes->RequestMacs(), std::vector<std::string>{MAC1});
}

TEST_F(CtlCommands, ASilentNodeInARunGoesOnWhenTold) {
    m_pNodes->SetResult(MAC1, CNodeResponder::SILENT);
    EXPECT_EQ(Run({"init", "--model", "MRV-620", "--yes", "--on-silence", "continue"}), 3);
    EXPECT_EQ(m_pNodes->RequestMacs(), (std::vector<std::string>{MAC1, MAC2}));
    EXPECT_EQ(m_result.json["silent"].Dump(), "[\"0080C8000001\"]");
}

// ------------------------------------------------------------- on the wire

TEST_F(CtlCommands, NoReplyAndAnAbnormalReplyHaveTheirStatuses) {
    m_pNodes->SetResult(MAC1, CNodeResponder::SILENT);
    EXPECT_EQ(Run({"mode", "1", "7"}), 3);
    EXPECT_EQ(Texts(), std::vector<std::string>{"MRV-620から応答がありません"});

    CCtlUi ui;
    m_pNodes->SetResult(MAC1, 3);
    std::vector<std::string> vecArgs = {"mrvctl", "mode", "1", "7"};
    std::string strError;
    ASSERT_EQ(ParseCtlArgs(vecArgs, m_args, strError), 0);
    // A document of its own, so the earlier failure does not count.
    auto pSocket = std::make_unique<CMemoryDatagramSocket>();
    CNodeResponder nodes(*pSocket);
    nodes.SetResult(MAC1, 3);
    COrvixDoc doc(SDocEnv{ui, m_pump, m_clock, m_settings, m_paramFile.m_param, ""},
                  std::move(pSocket));
    doc.AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
    doc.AddOrUpdateNode(0, IP1, MAC1, true, "", "");
    SCtlContext ctx{doc, m_paramFile, ui, m_args, m_result};
    RunCtlCommand(ctx);
    EXPECT_EQ(ui.GetExit(), 4);
    ASSERT_EQ(ui.GetMessages().size(), 1u);
    EXPECT_EQ(ui.GetMessages()[0].strText,
              "MRV-620から異常応答を受信しました\nｺﾏﾝﾄﾞｺｰﾄﾞ=0205\nMACｱﾄﾞﾚｽ=0080C8000001\n"
              "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=00\n結果ｺｰﾄﾞ=03");
}

TEST_F(CtlCommands, GetParamsWritesTheNodesSetAsAParameterFileAndSendsNothingBack) {
    NODEPARAM param = SampleParam();
    param.dwOwnIp = IP1;
    param.wMtu = 1400;
    SwapParamBlock(param, SWAP_TO_NETWORK);
    Bytes vecBlock(sizeof param);
    std::memcpy(vecBlock.data(), &param, sizeof param);
    m_pNodes->SetParamBlock(MAC1, vecBlock);

    std::string strOut = m_dir.File("node.ini");
    EXPECT_EQ(Run({"get-params", "1", "--out", strOut}), 0) << ::testing::PrintToString(Texts());
    EXPECT_EQ(m_pNodes->RequestLog(), std::vector<std::string>{"0103 0080C8000001"});
    std::string strFile = CScratchDir::Read(strOut);
    EXPECT_EQ(strFile.rfind("[MRV-620_Parameter]\r\nOwnportX=258\r\nDestipX=167772161\r\n", 0), 0u)
        << strFile;
    EXPECT_NE(strFile.find("\r\nMtu=1400\r\n"), std::string::npos) << strFile;
    EXPECT_EQ(m_result.json["params"]["Mtu"].Dump(), "\"1400\"");
    EXPECT_EQ(m_result.json["ip"].Dump(), "\"192.168.1.10\"");

    // The same file read back is the record the node holds.
    CParamFile back;
    back.m_strPath = strOut;
    back.LoadParams();
    // Copied out: the record is packed, its fields not aligned for a reference.
    const uint16_t wMtu = back.m_param.wMtu;
    const uint16_t wIdleTimer = back.m_param.wIdleTimer;
    EXPECT_EQ(wMtu, 1400);
    EXPECT_EQ(wIdleTimer, 0x1234);
}

TEST_F(CtlCommands, GetParamsNeverMergesIntoAFileThatIsThere) {
    NODEPARAM param = SampleParam();
    param.dwOwnIp = IP1;
    param.wMtu = 1400;
    SwapParamBlock(param, SWAP_TO_NETWORK);
    Bytes vecBlock(sizeof param);
    std::memcpy(vecBlock.data(), &param, sizeof param);
    m_pNodes->SetParamBlock(MAC1, vecBlock);
    // An operator's file, and a link to it where the output should go.
    const std::string strOwn = m_dir.File("own.ini");
    CScratchDir::Write(strOwn, "[Notes]\r\nKeep=1\r\n[MRV-620_Parameter]\r\nMtu=576\r\n");
    ASSERT_EQ(::symlink(strOwn.c_str(), m_dir.File("link.ini").c_str()), 0);
    for (const std::string& strOut : {strOwn, m_dir.File("link.ini")}) {
        EXPECT_EQ(Run({"get-params", "1", "--out", strOut}), 2);
        EXPECT_EQ(Texts().back(), "'" + strOut + "' exists already (--force replaces it)");
    }
    EXPECT_TRUE(m_pNodes->RequestLog().empty()); // refused before the node was asked
    EXPECT_EQ(CScratchDir::Read(strOwn), "[Notes]\r\nKeep=1\r\n[MRV-620_Parameter]\r\nMtu=576\r\n");

    // --force: replaced whole by the node's set, nothing of the old file kept.
    m_ui = CCtlUi();
    EXPECT_EQ(Run({"get-params", "1", "--out", strOwn, "--force"}), 0)
        << ::testing::PrintToString(Texts());
    std::string strFile = CScratchDir::Read(strOwn);
    EXPECT_EQ(strFile.rfind("[MRV-620_Parameter]\r\n", 0), 0u) << strFile;
    EXPECT_EQ(strFile.find("Notes"), std::string::npos) << strFile;
    EXPECT_NE(strFile.find("\r\nMtu=1400\r\n"), std::string::npos) << strFile;
}

TEST_F(CtlCommands, AStopEndsARunOverNodesAfterTheNodeInHandAndNamesTheRest) {
    // Asked while the first node is awaited: its exchange runs to its reply.
    m_pNodes->OnRequest([this](const CMemoryDatagramSocket::SDatagram&) { m_stop.Request(15); });
    EXPECT_EQ(Run({"set-params", "1", "2", "--defaults"}), 0) << ::testing::PrintToString(Texts());
    EXPECT_EQ(m_pNodes->RequestLog(), std::vector<std::string>{"0104 0080C8000001"});
    EXPECT_EQ(m_result.vecNotDone, std::vector<std::string>{MAC2});
    EXPECT_EQ(m_result.vecRows.size(), 1u);
}

TEST(CtlWire, SetParamsSendsTheBytesTheWindowSends) {
    // The window: the node settings dialog, MTU typed, "送信".
    struct CWindowRun : CDocFixture {
        void TestBody() override {}
        Bytes Run() {
            m_defParam = SampleParam();
            MakeDoc();
            AddNetworkWithNodes({{"0080C8000001", 0xC0A8010Au}});
            CNodeResponder nodes(*m_pSocket);
            m_ui.ExpectDialog("CParamEditor", [](CDialogModel& dlg, CUi& ui) {
                Type(dlg, ui, IDC_PED_MTU, "1400");
                return Press(dlg, ui, IDC_PED_SEND);
            });
            SetNodeIndividually(*m_pDoc, m_defParam, 0);
            Bytes vec = Sent().at(0).vecData;
            TearDown();
            return vec;
        }
    } window;
    Bytes vecWindow = window.Run();

    CCtlUi ui;
    CTestClock clock;
    CVirtualTimePump pump(clock);
    SAppSettings settings;
    CParamFile paramFile;
    paramFile.m_param = SampleParam();
    auto pSocket = std::make_unique<CMemoryDatagramSocket>();
    CMemoryDatagramSocket* pRaw = pSocket.get();
    CNodeResponder nodes(*pSocket);
    COrvixDoc doc(SDocEnv{ui, pump, clock, settings, paramFile.m_param, ""}, std::move(pSocket));
    doc.AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    doc.AddOrUpdateNode(0, 0xC0A8010Au, "0080C8000001", true, "", "");
    SCtlArgs args;
    std::string strError;
    ASSERT_EQ(ParseCtlArgs({"mrvctl", "set-params", "1", "--defaults", "--set", "Mtu=1400"}, args,
                           strError),
              0);
    SCtlResult result;
    SCtlContext ctx{doc, paramFile, ui, args, result};
    RunCtlCommand(ctx);
    EXPECT_EQ(ui.GetExit(), 0);
    ASSERT_EQ(pRaw->GetSent().size(), 1u);
    EXPECT_EQ(pRaw->GetSent()[0].vecData, vecWindow);
    EXPECT_EQ(result.json["nodes"].Dump(),
              "[{\"mac\":\"0080C8000001\",\"ip\":\"192.168.1.10\",\"exit\":0}]");
}

// ------------------------------------------------------------------ the UI

TEST(CtlUi, MessagesStandForTheirExitStatuses) {
    CCtlUi ui;
    auto Status = [&ui](const std::string& strText) {
        size_t nMark = ui.GetMessages().size();
        ui.ShowMessage(strText);
        return ui.GetExitSince(nMark);
    };
    EXPECT_EQ(Status("MRV-620から応答がありません"), 3);
    EXPECT_EQ(Status("MRV-620から異常応答を受信しました\nｺﾏﾝﾄﾞｺｰﾄﾞ=0104"), 4);
    EXPECT_EQ(Status("FTP接続失敗"), 5);
    EXPECT_EQ(Status("FTPﾌﾟﾛｾｽでﾀｲﾑｱｳﾄが発生しました"), 5);
    EXPECT_EQ(Status("通信用のポート(65532)が使用中です。\r\nMRV-620との通信が行なえません。"), 6);
    EXPECT_EQ(Status("ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました"), 0);
    // Texts with the server's words in them, or a note after them.
    EXPECT_EQ(Status("MRV-620がﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを受け付けませんでした\r\n(553 Could not create file.)"),
              5);
    EXPECT_EQ(Status("FTPｻｰﾊﾞｰがﾛｸﾞｲﾝを拒否しました(ﾕｰｻﾞｰ名またはﾊﾟｽﾜｰﾄﾞが違います) [67]"), 5);
    EXPECT_EQ(Status("FTP接続失敗\r\nMRV-620はﾀﾞｳﾝﾛｰﾄﾞﾓｰﾄﾞ(ﾓｰﾄﾞ7)のままです。"), 5);
    EXPECT_EQ(Status("MRV-620はﾀﾞｳﾝﾛｰﾄﾞﾓｰﾄﾞ(ﾓｰﾄﾞ7)のままです。\r\n"
                     "「管理」→「ﾓｰﾄﾞ変更」で通常動作0に戻してください。"),
              3);
    EXPECT_EQ(Status("ﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙが通常のﾌｧｲﾙではありません"), 2);
    EXPECT_EQ(Status("something else"), 1);
    ui.SetOtherFailure(5);
    EXPECT_EQ(Status("530 Login incorrect."), 5);
    // Line ends as a terminal shows them.
    EXPECT_EQ(ui.GetMessages()[4].strText,
              "通信用のポート(65532)が使用中です。\nMRV-620との通信が行なえません。");
}

TEST(CtlUi, QuestionsAreAnsweredByYesOnly) {
    CCtlUi ui;
    EXPECT_EQ(ui.ShowMessage("Go?", EMsgButtons::YesNo, EMsgIcon::Question), EMsgAnswer::No);
    EXPECT_EQ(ui.ShowMessage("Go?", EMsgButtons::OkCancel, EMsgIcon::Question), EMsgAnswer::Cancel);
    EXPECT_EQ(ui.GetExit(), 7);
    ui.SetYes(true);
    EXPECT_EQ(ui.ShowMessage("Go?", EMsgButtons::YesNo, EMsgIcon::Question), EMsgAnswer::Yes);
    EXPECT_EQ(ui.ShowMessage("Go?", EMsgButtons::OkCancel, EMsgIcon::Question), EMsgAnswer::Ok);
    EXPECT_EQ(ui.GetMessages().size(), 2u);
}

TEST(CtlUi, ADialogNoOptionAnswersIsCancelledAndSaid) {
    CCtlUi ui;
    CGetParamDlg dlg(true);
    EXPECT_EQ(ui.DoModal(dlg), DIALOG_CANCEL);
    EXPECT_EQ(ui.GetExit(), 7);
    EXPECT_EQ(ui.GetMessages().at(0).strText,
              "the dialog CGetParamDlg was not answered by any option");
    std::string strPath;
    EXPECT_FALSE(ui.ChooseFileToOpen({}, strPath));
    EXPECT_EQ(ui.GetMessages().at(1).strText, "no file was given for the file choice");
}
