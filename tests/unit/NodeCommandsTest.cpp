// The single-node commands and the initialisation of every node of a model,
// against nodes on the in-memory socket, with the operator scripted.
#include "ops/NodeCommands.h"
#include "DocFixture.h"
#include "NodeResponder.h"
#include "SampleParam.h"
#include "app/CommandTable.h"
#include "ops/NodeCommandDlgs.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "params/ParamFile.h"

namespace {
const std::string MAC1 = "0080C8000001"; // 192.168.1.10
const std::string MAC2 = "0080C8000002"; // no address
const std::string MAC3 = "0080C8000003"; // 192.168.1.12
constexpr uint32_t IP1 = 0xC0A8010Au;
constexpr uint32_t IP3 = 0xC0A8010Cu;
constexpr uint32_t UNSET = 0xC0A8C8FEu;

Bytes Slice(const Bytes& vec, size_t nFrom, size_t nLen) {
    return Bytes(vec.begin() + long(nFrom), vec.begin() + long(nFrom + nLen));
}

// Three nodes on network "LINE-A" (255.255.0.0, gateway 192.168.0.1); the
// three time-outs differ so that a wait shows which one it used.
class NodeCommandTest : public CDocFixture {
protected:
    void SetUp() override {
        m_defParam = SampleParam();
        m_settings.m_nTimeout = 3000;
        m_settings.m_nTimeoutInitial = 7000;
        m_settings.m_nTimeoutAutoSet = 9000;
        MakeDoc();
        m_pDoc->AddNetwork("LINE-A", 0xFFFF0000u, 0xC0A80001u);
        m_pDoc->AddOrUpdateNode(0, IP1, MAC1, true, "SN-1", "");
        m_pDoc->AddOrUpdateNode(0, UNSET, MAC2, true, "SN-2", "");
        m_pDoc->AddOrUpdateNode(0, IP3, MAC3, true, "SN-3", "");
        m_pNodes = std::make_unique<CNodeResponder>(*m_pSocket);
        m_ui.m_vecStatus.clear();
        m_ui.m_vecEnable.clear();
    }
    const COXParam& Node(size_t n) const { return m_pDoc->m_pCurNet->m_arrNodes.at(n); }
    int32_t Pending() { return m_pDoc->GetSocket().m_nPending; }
    // The busy scope ran: main window off then on, the text then "ﾚﾃﾞｨ".
    void ExpectBusyScope(const std::string& strText) {
        EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{strText, "ﾚﾃﾞｨ"}));
        EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
        EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
        EXPECT_EQ(Pending(), PENDING_NONE);
    }

    std::unique_ptr<CNodeResponder> m_pNodes;
};

// ------------------------------------------------------------ individual setting

class IndividualSetting : public NodeCommandTest {
protected:
    // The operator types the own IP (unless empty), ticks the box or not, and sends.
    void OperatorSends(const std::string& strIp, bool bOutside) {
        m_ui.ExpectDialog("CParamEditor", [=](CDialogModel& dlg, CUi& ui) {
            if (!strIp.empty()) {
                Type(dlg, ui, IDC_PED_OWN_IP, strIp);
            }
            Tick(dlg, ui, IDC_PED_OUTSIDE_NET, bOutside);
            return Press(dlg, ui, IDC_PED_SEND);
        });
    }
};

TEST_F(IndividualSetting, UnchangedDefaultsGoOutWithTheNodesAddressAndTheNetworksMaskAndGateway) {
    std::map<int, std::string> mapShown;
    std::string strTitle, strCancel;
    bool bModeShown = true;
    m_ui.ExpectDialog("CParamEditor", [&](CDialogModel& dlg, CUi& ui) {
        for (int nId : {IDC_PED_OWN_IP, IDC_PED_SUBNET_MASK, IDC_PED_GATEWAY, IDC_PED_DEST_IP,
                        IDC_PED_MTU, IDC_PED_RECORD_TERM}) {
            mapShown[nId] = dlg.GetText(nId);
        }
        strTitle = dlg.GetTitle();
        strCancel = dlg.GetCaption(DIALOG_CANCEL);
        bModeShown = dlg.IsVisible(IDC_PED_MODE) || dlg.IsVisible(IDC_PED_MODE_LABEL);
        EXPECT_EQ(Pending(), PENDING_SET_PARAM); // set before the dialog opens
        return Press(dlg, ui, IDC_PED_SEND);
    });
    SetNodeIndividually(*m_pDoc, m_defParam, 0);

    EXPECT_EQ(strTitle, "MRV-620ｼﾘｰｽﾞの個別設定");
    EXPECT_EQ(strCancel, "ｷｬﾝｾﾙ");
    EXPECT_FALSE(bModeShown);
    EXPECT_EQ(mapShown[IDC_PED_OWN_IP], "192.168.1.10");
    EXPECT_EQ(mapShown[IDC_PED_SUBNET_MASK], "255.255.0.0");
    EXPECT_EQ(mapShown[IDC_PED_GATEWAY], "192.168.0.1");
    EXPECT_EQ(mapShown[IDC_PED_DEST_IP], "10.0.0.1");
    EXPECT_EQ(mapShown[IDC_PED_MTU], "1500");
    EXPECT_EQ(mapShown[IDC_PED_RECORD_TERM], "0D0A");

    ASSERT_EQ(Sent().size(), 1u);
    const Bytes& vec = Sent()[0].vecData;
    ASSERT_EQ(vec.size(), 730u);
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu); // box clear: broadcast, the MAC names the node
    EXPECT_EQ(Slice(vec, 0, 13), (Bytes{0x76, 0x01, 0x01, 0x04, 0x00, 0x80, 0xC8, 0x00, 0x00, 0x01,
                                        0x95, 0x00, 0x00}));
    EXPECT_EQ(Slice(vec, 13, 4), (Bytes{0xC0, 0xA8, 0x01, 0x0A}));      // own IP: the listed one
    EXPECT_EQ(Slice(vec, 13 + 6, 6), (Bytes{0x0A, 0x00, 0x00, 0x01,     // defaults' destination
                                            0x27, 0x11}));              // and its port
    EXPECT_EQ(Slice(vec, 13 + 12, 4), (Bytes{0xC0, 0xA8, 0x00, 0x01})); // the network's gateway
    EXPECT_EQ(Slice(vec, 13 + 16, 4), (Bytes{0xFF, 0xFF, 0x00, 0x00})); // and mask
    EXPECT_EQ(Slice(vec, 13 + 62, 2), (Bytes{0x05, 0xDC}));             // MTU of the defaults
    EXPECT_EQ(Slice(vec, 13 + 341, 12), Bytes(12, 0));                  // reserved: the defaults'
    EXPECT_EQ(Node(0).m_dwIp, IP1);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ExpectBusyScope("ﾉｰﾄﾞ個別設定中");
}

TEST_F(IndividualSetting, TheTypedAddressIsTakenWhenTheNodeAcknowledges) {
    OperatorSends("192.168.1.77", true);
    SetNodeIndividually(*m_pDoc, m_defParam, 0);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].dwIp, IP1); // ticked: to the address the list shows
    EXPECT_EQ(Slice(Sent()[0].vecData, 13, 4), (Bytes{0xC0, 0xA8, 0x01, 0x4D}));
    EXPECT_EQ(Node(0).m_dwIp, 0xC0A8014Du);
    EXPECT_EQ(Node(0).m_strSerial, "SN-1");
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ExpectBusyScope("ﾉｰﾄﾞ個別設定中");
}

TEST_F(IndividualSetting, ANodeWithoutAddressIsSetByBroadcastEvenWithTheBoxTicked) {
    OperatorSends("192.168.1.11", true);
    SetNodeIndividually(*m_pDoc, m_defParam, 1);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu);
    EXPECT_EQ(Node(1).m_dwIp, 0xC0A8010Bu);
}

TEST_F(IndividualSetting, AnUnacknowledgedSettingRestoresTheListedAddress) {
    m_pNodes->SetResult(MAC1, CNodeResponder::SILENT);
    uint32_t dwDuringWait = 0;
    OperatorSends("192.168.1.77", false);
    m_ui.ExpectMessage("MRV-620から応答がありません").WhenShown([&] {
        dwDuringWait = Node(0).m_dwIp; // still the typed one while the message shows
    });
    uint32_t dwStart = m_clock.Now();
    SetNodeIndividually(*m_pDoc, m_defParam, 0);
    uint32_t dwWaited = m_clock.Now() - dwStart;
    EXPECT_GE(dwWaited, 3000u); // Timeout, not Timeout_Initial or Timeout_AutoSet
    EXPECT_LT(dwWaited, 7000u);
    EXPECT_EQ(dwDuringWait, 0xC0A8014Du);
    EXPECT_EQ(Node(0).m_dwIp, IP1);
    ExpectBusyScope("ﾉｰﾄﾞ個別設定中");
}

TEST_F(IndividualSetting, ARefusalRestoresTheAddressWithoutASecondMessage) {
    m_pNodes->SetResult(MAC1, 0x03);
    OperatorSends("192.168.1.77", false);
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0204\nMACｱﾄﾞﾚｽ=0080C8000001\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=00\n結果ｺｰﾄﾞ=03");
    SetNodeIndividually(*m_pDoc, m_defParam, 0);
    EXPECT_EQ(m_ui.m_vecMessages.size(), 1u);
    EXPECT_EQ(Node(0).m_dwIp, IP1);
    ExpectBusyScope("ﾉｰﾄﾞ個別設定中");
}

TEST_F(IndividualSetting, CancelSendsNothingAndUpdatesTheViews) {
    m_ui.ExpectDialog("CParamEditor",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    int nUpdates = m_ui.m_nViewUpdates;
    SetNodeIndividually(*m_pDoc, m_defParam, 0);
    EXPECT_TRUE(Sent().empty());
    EXPECT_GT(m_ui.m_nViewUpdates, nUpdates);
    EXPECT_EQ(Node(0).m_dwIp, IP1);
    ExpectBusyScope("ﾉｰﾄﾞ個別設定中");
}

TEST_F(IndividualSetting, ANodeOfAnotherModelGetsNoDialogAndNothingIsSent) {
    m_pDoc->m_pCurNet->m_arrNodes[0].m_nModel = 1;
    SetNodeIndividually(*m_pDoc, m_defParam, 0);
    EXPECT_TRUE(m_ui.m_vecDialogs.empty());
    EXPECT_TRUE(Sent().empty());
    ExpectBusyScope("ﾉｰﾄﾞ個別設定中");
}

// ------------------------------------------------------------------ get settings

class GetSettings : public NodeCommandTest {};

TEST_F(GetSettings, TheTickedBoxAsksTheNodesAddressAndTheReplyOpensTheSettingsDialog) {
    bool bBoxEnabled = false;
    std::string strTitle, strNotice;
    m_ui.ExpectDialog("CGetParamDlg", [&](CDialogModel& dlg, CUi& ui) {
        strTitle = dlg.GetTitle();
        strNotice = dlg.GetCaption(IDC_NODECMD_NOTICE);
        bBoxEnabled = dlg.IsEnabled(IDC_NODECMD_OUTSIDE_NET);
        EXPECT_EQ(dlg.GetInt(IDC_NODECMD_OUTSIDE_NET), 0);
        Tick(dlg, ui, IDC_NODECMD_OUTSIDE_NET, true);
        return Press(dlg, ui, DIALOG_OK);
    });
    std::string strEditorTitle;
    m_ui.ExpectDialog("CParamEditor", [&](CDialogModel& dlg, CUi& ui) {
        strEditorTitle = dlg.GetTitle();
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    GetNodeSettings(*m_pDoc, 0);
    EXPECT_EQ(strTitle, "設定の取得");
    EXPECT_EQ(strNotice, "選択されたﾉｰﾄﾞから設定を取得します");
    EXPECT_TRUE(bBoxEnabled);
    EXPECT_EQ(strEditorTitle, "MRV-620ｼﾘｰｽﾞの設定取得");
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x03, 0x00, 0x80, 0xC8, 0x00, 0x00, 0x01, 0x95}));
    EXPECT_EQ(Sent()[0].dwIp, IP1);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ExpectBusyScope("ﾉｰﾄﾞ設定取得中");
}

TEST_F(GetSettings, ANodeWithoutAddressIsAskedByBroadcastWithTheBoxClearedAndDisabled) {
    m_ui.ExpectDialog("CGetParamDlg", [&](CDialogModel& dlg, CUi& ui) {
        EXPECT_FALSE(dlg.IsEnabled(IDC_NODECMD_OUTSIDE_NET));
        EXPECT_EQ(dlg.GetInt(IDC_NODECMD_OUTSIDE_NET), 0);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectDialog("CParamEditor",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    GetNodeSettings(*m_pDoc, 1);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu);
    EXPECT_EQ(Slice(Sent()[0].vecData, 4, 6), (Bytes{0x00, 0x80, 0xC8, 0x00, 0x00, 0x02}));
}

TEST_F(GetSettings, SilenceGivesTheNoResponseMessageAfterTheTimeout) {
    m_pNodes->SetResult(MAC1, CNodeResponder::SILENT);
    m_ui.ExpectDialog("CGetParamDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    m_ui.ExpectMessage("MRV-620から応答がありません");
    uint32_t dwStart = m_clock.Now();
    GetNodeSettings(*m_pDoc, 0);
    EXPECT_GE(m_clock.Now() - dwStart, 3000u);
    EXPECT_LT(m_clock.Now() - dwStart, 7000u);
    ExpectBusyScope("ﾉｰﾄﾞ設定取得中");
}

TEST_F(GetSettings, CancelSendsNothing) {
    m_ui.ExpectDialog("CGetParamDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    GetNodeSettings(*m_pDoc, 0);
    EXPECT_TRUE(Sent().empty());
    ExpectBusyScope("ﾉｰﾄﾞ設定取得中");
}

TEST_F(GetSettings, ADoubleClickOnARowGetsThatNodesSettings) {
    m_ui.ExpectDialog("CGetParamDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    CParamFile paramFile;
    SCommandContext ctx{*m_pDoc, paramFile, 2};
    OnNodeDoubleClick(ctx);
    EXPECT_EQ(m_ui.m_vecDialogs, std::vector<std::string>{"CGetParamDlg"});
    SCommandContext ctxNone{*m_pDoc, paramFile, -1};
    OnNodeDoubleClick(ctxNone); // no row: nothing
    EXPECT_EQ(m_ui.m_vecDialogs.size(), 1u);
}

TEST_F(GetSettings, ChangedSettingsSentBackReachTheNodeAndTheListTakesTheNewAddress) {
    // The node's record, network order: 192.168.1.12, mask 255.255.0.0, gateway 192.168.0.1.
    Bytes vecBlock(717, 0);
    auto put = [&](size_t nOfs, Bytes bytes) {
        std::copy(bytes.begin(), bytes.end(), vecBlock.begin() + long(nOfs));
    };
    put(0, {0xC0, 0xA8, 0x01, 0x0C});
    put(4, {0x01, 0x01});
    put(6, {0x0A, 0x00, 0x00, 0x63});
    put(10, {0x02, 0x02});
    put(12, {0xC0, 0xA8, 0x00, 0x01});
    put(16, {0xFF, 0xFF, 0x00, 0x00});
    put(20, {0x05, 0x00, 0x07});
    put(62, {0x05, 0xDC});
    put(329, {0x05, 0x01});
    m_pNodes->SetParamBlock(MAC3, vecBlock);
    m_ui.ExpectDialog("CGetParamDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    m_ui.ExpectDialog("CParamEditor", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(IDC_PED_OWN_IP), "192.168.1.12");
        Type(dlg, ui, IDC_PED_OWN_IP, "192.168.1.99");
        Type(dlg, ui, IDC_PED_MTU, "1400");
        return Press(dlg, ui, IDC_PED_SEND);
    });
    GetNodeSettings(*m_pDoc, 2);
    ASSERT_EQ(m_pNodes->RequestLog(),
              (std::vector<std::string>{"0103 0080C8000003", "0104 0080C8000003"}));
    const Bytes& vecSet = Sent()[1].vecData;
    EXPECT_EQ(Slice(vecSet, 13, 4), (Bytes{0xC0, 0xA8, 0x01, 0x63}));
    EXPECT_EQ(Slice(vecSet, 13 + 62, 2), (Bytes{0x05, 0x78}));
    EXPECT_EQ(Slice(vecSet, 13 + 6, 4), (Bytes{0x0A, 0x00, 0x00, 0x63})); // as the node had it
    EXPECT_EQ(Node(2).m_dwIp, 0xC0A80163u);
    EXPECT_EQ(Node(2).m_strSerial, "SN-3");
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ExpectBusyScope("ﾉｰﾄﾞ設定取得中");
}

// ------------------------------------------------------------------- mode change

class ModeChange : public NodeCommandTest {};

TEST_F(ModeChange, EachOfTheSixButtonsSendsItsCode) {
    const std::vector<uint8_t> vecCodes = {0x00, 0x01, 0x02, 0x03, 0x07, 0x06};
    for (int nChoice = 0; nChoice < 6; ++nChoice) {
        m_pSocket->ClearSent();
        m_ui.ExpectDialog("CModeChangeDlg", [&](CDialogModel& dlg, CUi& ui) {
            EXPECT_EQ(dlg.GetTitle(), "モード変更");
            EXPECT_EQ(dlg.GetInt(IDC_MODE_GROUP), 0); // the first is preselected
            Select(dlg, ui, IDC_MODE_GROUP, nChoice);
            return Press(dlg, ui, DIALOG_OK);
        });
        ChangeNodeMode(*m_pDoc, 0);
        ASSERT_EQ(Sent().size(), 1u) << nChoice;
        EXPECT_EQ(Sent()[0].vecData, (Bytes{0x76, 0x01, 0x01, 0x05, 0x00, 0x80, 0xC8, 0x00, 0x00,
                                            0x01, 0x95, vecCodes[size_t(nChoice)]}))
            << nChoice;
        EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu); // box clear: broadcast
    }
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(ModeChange, TheButtonsReadAsTheOperatorKnowsThem) {
    CModeChangeDlg dlg(true);
    const SControl* pGroup = dlg.FindControl(IDC_MODE_GROUP);
    ASSERT_NE(pGroup, nullptr);
    ASSERT_EQ(pGroup->vecMembers.size(), 6u);
    std::vector<std::string> vecCaptions;
    for (int nId : pGroup->vecMembers) {
        vecCaptions.push_back(dlg.GetCaption(nId));
    }
    EXPECT_EQ(vecCaptions,
              (std::vector<std::string>{"通常動作（ロータリ0番）", "通常動作（ロータリ1番）",
                                        "通常動作（ロータリ2番）", "通常動作（ロータリ3番）",
                                        "ｾｯﾄｱｯﾌﾟ", "ﾌﾞｰﾄﾛｰﾀﾞ"}));
    EXPECT_EQ(dlg.GetCaption(IDC_NODECMD_OUTSIDE_NET), "ﾈｯﾄﾜｰｸ外");
}

TEST_F(ModeChange, TheTickedBoxSendsToTheNodesAddressAndANodeWithoutOneHasNoBox) {
    m_ui.ExpectDialog("CModeChangeDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_TRUE(dlg.IsEnabled(IDC_NODECMD_OUTSIDE_NET));
        Select(dlg, ui, IDC_MODE_GROUP, 4);
        Tick(dlg, ui, IDC_NODECMD_OUTSIDE_NET, true);
        return Press(dlg, ui, DIALOG_OK);
    });
    ChangeNodeMode(*m_pDoc, 2);
    m_ui.ExpectDialog("CModeChangeDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_FALSE(dlg.IsEnabled(IDC_NODECMD_OUTSIDE_NET));
        EXPECT_EQ(dlg.GetInt(IDC_NODECMD_OUTSIDE_NET), 0);
        return Press(dlg, ui, DIALOG_OK);
    });
    ChangeNodeMode(*m_pDoc, 1);
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(Sent()[0].dwIp, IP3);
    EXPECT_EQ(Sent()[0].vecData[11], 0x07);
    EXPECT_EQ(Sent()[1].dwIp, 0xFFFFFFFFu);
}

TEST_F(ModeChange, ARefusalEndsSilentlyAfterTheDispatchersMessage) {
    m_pNodes->SetResult(MAC1, 0x04);
    m_ui.ExpectDialog("CModeChangeDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0205\nMACｱﾄﾞﾚｽ=0080C8000001\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=00\n結果ｺｰﾄﾞ=04");
    ChangeNodeMode(*m_pDoc, 0);
    EXPECT_EQ(m_ui.m_vecMessages.size(), 1u);
    ExpectBusyScope("動作ﾓｰﾄﾞ変更中");
}

TEST_F(ModeChange, SilenceGivesTheNoResponseMessageAfterTheTimeout) {
    m_pNodes->SetResult(MAC1, CNodeResponder::SILENT);
    m_ui.ExpectDialog("CModeChangeDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    m_ui.ExpectMessage("MRV-620から応答がありません");
    uint32_t dwStart = m_clock.Now();
    ChangeNodeMode(*m_pDoc, 0);
    EXPECT_GE(m_clock.Now() - dwStart, 3000u);
    EXPECT_LT(m_clock.Now() - dwStart, 7000u);
    ExpectBusyScope("動作ﾓｰﾄﾞ変更中");
}

TEST_F(ModeChange, CancelSendsNothing) {
    m_ui.ExpectDialog("CModeChangeDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    ChangeNodeMode(*m_pDoc, 0);
    EXPECT_TRUE(Sent().empty());
    ExpectBusyScope("動作ﾓｰﾄﾞ変更中");
}

// ----------------------------------------------------- initialising the selected node

class InitializeNodeTest : public NodeCommandTest {};

TEST_F(InitializeNodeTest, AnAcknowledgedNodeIsBackOnTheUnsetAddress) {
    m_ui.ExpectDialog("CInitializeDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "初期化");
        EXPECT_EQ(dlg.GetCaption(IDC_NODECMD_NOTICE), "選択されたﾉｰﾄﾞを初期化します");
        // Always cleared and disabled, even for a node with an address.
        EXPECT_FALSE(dlg.IsEnabled(IDC_NODECMD_OUTSIDE_NET));
        EXPECT_EQ(dlg.GetInt(IDC_NODECMD_OUTSIDE_NET), 0);
        return Press(dlg, ui, DIALOG_OK);
    });
    int nUpdates = m_ui.m_nViewUpdates;
    InitializeNode(*m_pDoc, 2);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x02, 0x00, 0x80, 0xC8, 0x00, 0x00, 0x03, 0x95}));
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu);
    EXPECT_EQ(Node(2).m_dwIp, UNSET);
    EXPECT_GT(m_ui.m_nViewUpdates, nUpdates);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ExpectBusyScope("ﾉｰﾄﾞ初期化中");
}

TEST_F(InitializeNodeTest, SilenceKeepsTheAddressAfterTheInitialisationTimeout) {
    m_pNodes->SetResult(MAC3, CNodeResponder::SILENT);
    m_ui.ExpectDialog("CInitializeDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    m_ui.ExpectMessage("MRV-620から応答がありません");
    uint32_t dwStart = m_clock.Now();
    InitializeNode(*m_pDoc, 2);
    EXPECT_GE(m_clock.Now() - dwStart, 7000u); // Timeout_Initial
    EXPECT_LT(m_clock.Now() - dwStart, 9000u);
    EXPECT_EQ(Node(2).m_dwIp, IP3);
    ExpectBusyScope("ﾉｰﾄﾞ初期化中");
}

TEST_F(InitializeNodeTest, CancelSendsNothing) {
    m_ui.ExpectDialog("CInitializeDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    InitializeNode(*m_pDoc, 0);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Node(0).m_dwIp, IP1);
    ExpectBusyScope("ﾉｰﾄﾞ初期化中");
}

// ------------------------------------------------- initialising every node of a model

class InitializeModelTest : public NodeCommandTest {
protected:
    void OperatorConfirms() {
        m_ui.ExpectDialog("CInitModelDlg",
                          [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    }
    // The error dialog for strMac, answered with the button nButton.
    void OperatorAnswersNoReply(const std::string& strMac, int nButton) {
        m_ui.ExpectDialog("CInitErrorDlg", [=](CDialogModel& dlg, CUi& ui) {
            EXPECT_EQ(dlg.GetTitle(), "一括初期化エラー");
            EXPECT_EQ(dlg.GetCaption(IDC_NOREPLY_MAC_LABEL), "MACアドレス：");
            EXPECT_EQ(dlg.GetText(IDC_NOREPLY_MAC), strMac);
            EXPECT_EQ(dlg.GetCaption(IDC_NOREPLY_TEXT), "のMRV-620から応答がありません");
            EXPECT_EQ(dlg.GetCaption(IDC_NOREPLY_CONTINUE), "継続");
            EXPECT_EQ(dlg.GetCaption(IDC_NOREPLY_END), "終了");
            return Press(dlg, ui, nButton);
        });
    }
};

TEST_F(InitializeModelTest, TheDialogOffersTheModelTableWithTheFirstPreselected) {
    m_ui.ExpectDialog("CInitModelDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "一括初期化");
        EXPECT_EQ(dlg.GetCaption(IDC_NODECMD_NOTICE), "選択された機種のﾉｰﾄﾞﾞを一括で初期化します");
        EXPECT_EQ(dlg.GetCaption(IDC_INITALL_MODEL_LABEL), "対象機種");
        EXPECT_EQ(dlg.GetItems(IDC_INITALL_MODEL), std::vector<std::string>{"MRV-620"});
        EXPECT_EQ(dlg.GetInt(IDC_INITALL_MODEL), 0);
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    InitializeModel(*m_pDoc);
    EXPECT_TRUE(Sent().empty());
    ExpectBusyScope("ﾉｰﾄﾞ初期化中");
}

TEST_F(InitializeModelTest, EveryNodeOfTheModelIsInitialisedByBroadcast) {
    OperatorConfirms();
    uint32_t dwStart = m_clock.Now();
    InitializeModel(*m_pDoc);
    EXPECT_LT(m_clock.Now() - dwStart, 7000u);
    EXPECT_EQ(
        m_pNodes->RequestLog(),
        (std::vector<std::string>{"0102 0080C8000001", "0102 0080C8000002", "0102 0080C8000003"}));
    for (const auto& dg : Sent()) {
        EXPECT_EQ(dg.dwIp, 0xFFFFFFFFu);
    }
    for (size_t n = 0; n < 3; ++n) {
        EXPECT_EQ(Node(n).m_dwIp, UNSET) << n;
    }
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ExpectBusyScope("ﾉｰﾄﾞ初期化中");
}

TEST_F(InitializeModelTest, EndAtTheFirstSilentNodeTouchesNoFurtherNode) {
    m_pNodes->SetResult(MAC2, CNodeResponder::SILENT);
    OperatorConfirms();
    OperatorAnswersNoReply(MAC2, IDC_NOREPLY_END);
    uint32_t dwStart = m_clock.Now();
    InitializeModel(*m_pDoc);
    EXPECT_GE(m_clock.Now() - dwStart, 7000u); // Timeout_Initial for the silent one
    EXPECT_EQ(m_pNodes->RequestMacs(), (std::vector<std::string>{MAC1, MAC2}));
    EXPECT_EQ(Node(0).m_dwIp, UNSET);
    EXPECT_EQ(Node(2).m_dwIp, IP3);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ExpectBusyScope("ﾉｰﾄﾞ初期化中");
}

TEST_F(InitializeModelTest, ContinueOrClosingTheErrorDialogGoesOnWithTheNextNode) {
    m_pNodes->SetResult(MAC1, CNodeResponder::SILENT);
    m_pNodes->SetResult(MAC2, CNodeResponder::SILENT);
    OperatorConfirms();
    OperatorAnswersNoReply(MAC1, IDC_NOREPLY_CONTINUE);
    OperatorAnswersNoReply(MAC2, DIALOG_CANCEL); // the close box
    InitializeModel(*m_pDoc);
    EXPECT_EQ(m_pNodes->RequestMacs(), (std::vector<std::string>{MAC1, MAC2, MAC3}));
    EXPECT_EQ(Node(0).m_dwIp, IP1);
    EXPECT_EQ(Node(2).m_dwIp, UNSET);
    ExpectBusyScope("ﾉｰﾄﾞ初期化中");
}

TEST_F(InitializeModelTest, AModelNoNodeHasSendsNothing) {
    for (COXParam& node : m_pDoc->m_pCurNet->m_arrNodes) {
        node.m_nModel = 1;
    }
    OperatorConfirms();
    InitializeModel(*m_pDoc);
    EXPECT_TRUE(Sent().empty());
    ExpectBusyScope("ﾉｰﾄﾞ初期化中");
}

TEST_F(InitializeModelTest, ANodeFoundDuringTheRunIsInitialisedToo) {
    // A late search answer during the first wait adds a fourth node; the rows
    // are counted again before each node.
    bool bAdded = false;
    m_pNodes->OnRequest([&](const CMemoryDatagramSocket::SDatagram&) {
        if (!bAdded) {
            bAdded = true;
            m_pSocket->Inject(CNodeResponder::Reply(0x0201, "0080C8000004", 0, 0), "192.168.1.14",
                              65533);
        }
    });
    OperatorConfirms();
    InitializeModel(*m_pDoc);
    EXPECT_EQ(m_pNodes->RequestMacs(),
              (std::vector<std::string>{MAC1, MAC2, MAC3, "0080C8000004"}));
}

// --------------------------------------------------------------------- the commands

TEST(NodeCommandTable, TheNodeCommandsAreConnected) {
    for (int nId : {ID_NODE_AUTO_SET, ID_NODE_SET, ID_NODE_GET, ID_NODE_CHANGE_MODE, ID_INIT_NODE,
                    ID_INIT_MODEL}) {
        const SCommand* pCommand = FindCommand(nId);
        ASSERT_NE(pCommand, nullptr) << nId;
        EXPECT_TRUE(static_cast<bool>(pCommand->fnHandler)) << nId;
    }
}
} // namespace
