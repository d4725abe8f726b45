#include "DocFixture.h"
#include "ScriptedUi.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "res/Texts.h"

namespace {
const Bytes NODE_MAC = {0x00, 0x80, 0xC8, 0x01, 0x02, 0x03};

// A 0x0203 reply as a node sends it: the block big-endian at offset 13.
Bytes GetParamReply(uint8_t byMode) {
    Bytes vec(730, 0);
    Bytes head = {0x76, 0x01, 0x02, 0x03};
    head.insert(head.end(), NODE_MAC.begin(), NODE_MAC.end());
    head.insert(head.end(), {0x95, byMode, 0x00});
    std::copy(head.begin(), head.end(), vec.begin());
    auto put = [&](size_t nOfs, Bytes bytes) {
        std::copy(bytes.begin(), bytes.end(), vec.begin() + long(13 + nOfs));
    };
    put(0, {0xC0, 0xA8, 0x01, 0x0A});  // own IP 192.168.1.10
    put(4, {0x01, 0x01});              // own port 257
    put(6, {0x0A, 0x00, 0x00, 0x63});  // destination 10.0.0.99
    put(10, {0x02, 0x02});             // destination port 514
    put(12, {0xC0, 0xA8, 0x01, 0x01}); // gateway 192.168.1.1
    put(16, {0xFF, 0xFF, 0xFF, 0x00}); // mask
    put(20, {0x05, 0x00, 0x07});       // connect timer 5, trigger 0, no-comm timer 7
    put(23, {'o', 'p'});
    put(39, {'p', 'w'});
    put(55, {0x00});                   // no file terminator
    put(62, {0x05, 0xDC});             // MTU 1500
    put(66, {0x0A, 0x00, 0x00, 0x01}); // trap 10.0.0.1
    put(70, {'4', '8', '2', '1', '3'});
    put(86, {'K', 'e', 'l', 'p', 'i', 'e'});
    put(102, {'K', 'e', 'l', 'p', 'i', 'e'});
    put(118, {'K', 'e', 'l', 'p', 'i', 'e'});
    put(329, {0x05, 0x01});       // 9,600 bps, 8 bits
    put(334, {0x02, 0x0D, 0x0A}); // record terminator 0D 0A
    put(339, {0x01, 0x00});       // idle timer 256
    put(341, Bytes(12, 0xEE));    // reserved bytes the node made up
    put(561, {'F', 't', 'p', 'S', 'v'});
    put(574, {'S', 'e', 'r', 'i', 'a', 'l'});
    return vec;
}

Bytes SetParamReply(uint8_t byResult) {
    Bytes vec = {0x76, 0x01, 0x02, 0x04};
    vec.insert(vec.end(), NODE_MAC.begin(), NODE_MAC.end());
    vec.insert(vec.end(), {0x95, 0x07, byResult});
    return vec;
}

class SettingsExchange : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
        m_pDoc->AddOrUpdateNode(0, 0xC0A8010Au, "0080c8010203", true, "SN-9", "by the door");
        Pending() = PENDING_GET_PARAM;
    }
    // The node answers a set-parameters request with the given result, or not at all.
    void NodeAnswersSet(int nResult) {
        m_pSocket->SetSendHook([this, nResult](const CMemoryDatagramSocket::SDatagram& dg) {
            m_vecSet = dg.vecData;
            m_dwSetDest = dg.dwIp;
            if (nResult >= 0) {
                m_pSocket->Inject(SetParamReply(uint8_t(nResult)), "192.168.1.10", 65533);
            }
        });
    }
    // The operator changes the own IP (and ticks "ﾈｯﾄﾜｰｸ外") and presses "送信".
    void OperatorSends(const std::string& strNewIp, bool bOutside) {
        m_ui.ExpectDialog("CParamEditor", [=](CDialogModel& dlg, CUi& ui) {
            Type(dlg, ui, IDC_PED_OWN_IP, strNewIp);
            Tick(dlg, ui, IDC_PED_OUTSIDE_NET, bOutside);
            return Press(dlg, ui, IDC_PED_SEND);
        });
    }
    void Deliver(const Bytes& vec) {
        m_pSocket->Inject(vec, "192.168.1.10", 65533);
        m_pump.PumpPendingMessages();
    }
    int32_t& Pending() { return m_pDoc->GetSocket().m_nPending; }
    const COXParam& Node() { return m_pDoc->m_pCurNet->m_arrNodes.at(0); }

    Bytes m_vecSet;
    uint32_t m_dwSetDest = 0;
};
} // namespace

TEST_F(SettingsExchange, DialogShowsTheNodesSettingsInHostOrder) {
    std::map<int, std::string> mapTexts;
    std::map<int, int> mapInts;
    std::string strTitle, strCancel;
    bool bModeShown = false;
    m_ui.ExpectDialog("CParamEditor", [&](CDialogModel& dlg, CUi& ui) {
        for (int nId :
             {IDC_PED_OWN_IP, IDC_PED_OWN_PORT, IDC_PED_DEST_IP, IDC_PED_DEST_PORT, IDC_PED_GATEWAY,
              IDC_PED_SUBNET_MASK, IDC_PED_CONNECT_TIMER, IDC_PED_NOCOMM_TIMER, IDC_PED_USER_NAME,
              IDC_PED_PASSWORD, IDC_PED_MTU, IDC_PED_FILE_TERM, IDC_PED_RECORD_TERM,
              IDC_PED_IDLE_TIMER, IDC_PED_LAN_PROTOCOL, IDC_PED_MODE}) {
            mapTexts[nId] = dlg.GetText(nId);
        }
        mapInts[IDC_PED_BAUD_RATE] = dlg.GetInt(IDC_PED_BAUD_RATE);
        mapInts[IDC_PED_DATA_BITS] = dlg.GetInt(IDC_PED_DATA_BITS);
        strTitle = dlg.GetTitle();
        strCancel = dlg.GetCaption(DIALOG_CANCEL);
        bModeShown = dlg.IsVisible(IDC_PED_MODE);
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    Deliver(GetParamReply(7));
    EXPECT_EQ(mapTexts[IDC_PED_OWN_IP], "192.168.1.10");
    EXPECT_EQ(mapTexts[IDC_PED_OWN_PORT], "257");
    EXPECT_EQ(mapTexts[IDC_PED_DEST_IP], "10.0.0.99");
    EXPECT_EQ(mapTexts[IDC_PED_DEST_PORT], "514");
    EXPECT_EQ(mapTexts[IDC_PED_GATEWAY], "192.168.1.1");
    EXPECT_EQ(mapTexts[IDC_PED_SUBNET_MASK], "255.255.255.0");
    EXPECT_EQ(mapTexts[IDC_PED_CONNECT_TIMER], "5");
    EXPECT_EQ(mapTexts[IDC_PED_NOCOMM_TIMER], "7");
    EXPECT_EQ(mapTexts[IDC_PED_USER_NAME], "op");
    EXPECT_EQ(mapTexts[IDC_PED_PASSWORD], "pw");
    EXPECT_EQ(mapTexts[IDC_PED_MTU], "1500");
    EXPECT_EQ(mapTexts[IDC_PED_FILE_TERM], "");
    EXPECT_EQ(mapTexts[IDC_PED_RECORD_TERM], "0D0A");
    EXPECT_EQ(mapTexts[IDC_PED_IDLE_TIMER], "256");
    EXPECT_EQ(mapTexts[IDC_PED_LAN_PROTOCOL], "FtpSv");
    EXPECT_EQ(mapTexts[IDC_PED_MODE], "\xBE\xAF\xC4\xB1\xAF\xCC\xDF"); // ｾｯﾄｱｯﾌﾟ in CP932
    EXPECT_EQ(mapInts[IDC_PED_BAUD_RATE], 5);
    EXPECT_EQ(mapInts[IDC_PED_DATA_BITS], 1);
    EXPECT_EQ(strTitle, "MRV-620ｼﾘｰｽﾞの設定取得");
    EXPECT_EQ(strCancel, "戻る");
    EXPECT_TRUE(bModeShown);
}

TEST_F(SettingsExchange, CancelSendsNothingAndChangesNothing) {
    m_ui.ExpectDialog("CParamEditor",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    Deliver(GetParamReply(0));
    EXPECT_EQ(m_ui.m_vecDialogs, std::vector<std::string>{"CParamEditor"});
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Pending(), PENDING_NONE);
    EXPECT_EQ(Node().m_dwIp, 0xC0A8010Au);
    EXPECT_EQ(Node().m_strMac, "0080c8010203");
}

TEST_F(SettingsExchange, AcceptedSetTakesTheNewAddress) {
    NodeAnswersSet(0);
    OperatorSends("192.168.1.20", false);
    Deliver(GetParamReply(0));
    ASSERT_EQ(m_vecSet.size(), 730u);
    EXPECT_EQ(
        Bytes(m_vecSet.begin(), m_vecSet.begin() + 13),
        (Bytes{0x76, 0x01, 0x01, 0x04, 0x00, 0x80, 0xC8, 0x01, 0x02, 0x03, 0x95, 0x00, 0x00}));
    EXPECT_EQ(m_dwSetDest, 0xFFFFFFFFu); // not ticked: by broadcast, with the node's MAC
    EXPECT_EQ(Bytes(m_vecSet.begin() + 13, m_vecSet.begin() + 17), (Bytes{0xC0, 0xA8, 0x01, 0x14}));
    EXPECT_EQ(Bytes(m_vecSet.begin() + 75, m_vecSet.begin() + 77), (Bytes{0x05, 0xDC}));
    EXPECT_EQ(Bytes(m_vecSet.begin() + 79, m_vecSet.begin() + 83), (Bytes{0x0A, 0x00, 0x00, 0x01}));
    // The reserved bytes are the defaults' (zero), not what the node sent.
    EXPECT_EQ(Bytes(m_vecSet.begin() + 13 + 341, m_vecSet.begin() + 13 + 353), Bytes(12, 0));
    unsigned nSum = 0;
    for (size_t i = 0; i < 728; ++i) {
        nSum += m_vecSet[i];
    }
    EXPECT_EQ(m_vecSet[728], uint8_t(nSum));
    EXPECT_EQ(Pending(), PENDING_NONE);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    ASSERT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 1u);
    EXPECT_EQ(Node().m_dwIp, 0xC0A80114u);
    EXPECT_EQ(Node().m_strMac, "0080C8010203");
    EXPECT_EQ(Node().m_strSerial, "SN-9");
}

TEST_F(SettingsExchange, AnUntouchedRoundTripKeepsTheTerminatorBytesBehindTheirCount) {
    NodeAnswersSet(0);
    m_ui.ExpectDialog("CParamEditor", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(IDC_PED_RECORD_TERM), "0D");
        EXPECT_EQ(dlg.GetText(IDC_PED_FILE_TERM), "");
        return Press(dlg, ui, IDC_PED_SEND);
    });
    Bytes reply = GetParamReply(0);
    std::copy_n(Bytes{0x01, 0x0D, 0x0A}.begin(), 3, reply.begin() + 13 + 334);
    std::copy_n(Bytes{0x00, 0x1A, 0x04}.begin(), 3, reply.begin() + 13 + 55);
    Deliver(reply);
    ASSERT_EQ(m_vecSet.size(), 730u);
    EXPECT_EQ(Bytes(m_vecSet.begin() + 13 + 334, m_vecSet.begin() + 13 + 337),
              (Bytes{0x01, 0x0D, 0x0A}));
    EXPECT_EQ(Bytes(m_vecSet.begin() + 13 + 55, m_vecSet.begin() + 13 + 58),
              (Bytes{0x00, 0x1A, 0x04}));
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(SettingsExchange, OutsideTheNetworkGoesToTheNodesCurrentAddress) {
    NodeAnswersSet(0);
    OperatorSends("192.168.1.20", true);
    Deliver(GetParamReply(0));
    EXPECT_EQ(m_dwSetDest, 0xC0A8010Au);
}

TEST_F(SettingsExchange, RefusedSetKeepsTheOldAddressAfterBothMessages) {
    NodeAnswersSet(3);
    OperatorSends("192.168.1.20", false);
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0204\nMACｱﾄﾞﾚｽ=0080C8010203\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=07\n結果ｺｰﾄﾞ=03");
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました");
    Deliver(GetParamReply(0));
    EXPECT_EQ(m_ui.MessageTexts(),
              (std::vector<std::string>{"MRV-620から異常応答を受信しました\n"
                                        "ｺﾏﾝﾄﾞｺｰﾄﾞ=0204\nMACｱﾄﾞﾚｽ=0080C8010203\n"
                                        "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=07\n結果ｺｰﾄﾞ=03",
                                        "MRV-620から異常応答を受信しました"}));
    EXPECT_EQ(Pending(), PENDING_NONE);
    EXPECT_EQ(Node().m_dwIp, 0xC0A8010Au);
}

TEST_F(SettingsExchange, SilentNodeKeepsTheOldAddressAfterTheTimeout) {
    NodeAnswersSet(-1);
    OperatorSends("192.168.1.20", false);
    m_ui.ExpectMessage("MRV-620から応答がありません");
    uint32_t dwStart = m_clock.Now();
    Deliver(GetParamReply(0));
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{"MRV-620から応答がありません"});
    EXPECT_GE(m_clock.Now() - dwStart, 5000u);
    EXPECT_EQ(Pending(), PENDING_NONE);
    EXPECT_EQ(Node().m_dwIp, 0xC0A8010Au);
}

TEST_F(SettingsExchange, ALateSetReplyChangesNothing) {
    NodeAnswersSet(-1);
    OperatorSends("192.168.1.20", false);
    m_ui.ExpectMessage("MRV-620から応答がありません");
    Deliver(GetParamReply(0));
    Deliver(SetParamReply(0));
    EXPECT_EQ(Pending(), PENDING_NONE);
    EXPECT_EQ(Node().m_dwIp, 0xC0A8010Au);
    EXPECT_EQ(m_ui.m_vecMessages.size(), 1u);
}

// The settings dialog pumps messages while the operator edits: a reply that
// comes meanwhile (a late search answer, an initialise answer, another node's
// set answer) settles the pending state. The set that "送信" sends must still
// be awaited as this exchange's, or a refusal or silence would pass for success.
namespace {
enum class EStray { LateSearchAnswer, InitializeAnswer, OtherNodesSetAnswer };

class StrayReplyDuringTheDialog : public SettingsExchange,
                                  public ::testing::WithParamInterface<EStray> {
protected:
    Bytes StrayReply() const {
        switch (GetParam()) {
        case EStray::LateSearchAnswer:
            return {0x76, 0x01, 0x02, 0x01, 0x00, 0x80, 0xC8, 0x09, 0x09, 0x09, 0x95, 0x00, 0x00};
        case EStray::InitializeAnswer:
            return {0x76, 0x01, 0x02, 0x02, 0x00, 0x80, 0xC8, 0x09, 0x09, 0x09, 0x95, 0x00, 0x00};
        case EStray::OtherNodesSetAnswer:
            return {0x76, 0x01, 0x02, 0x04, 0x00, 0x80, 0xC8, 0x09, 0x09, 0x09, 0x95, 0x00, 0x00};
        }
        return {};
    }
    // The stray reply is taken in while the dialog is open; then the operator
    // changes the address and sends.
    void OperatorSendsAfterAStrayReply() {
        m_ui.ExpectDialog("CParamEditor", [this](CDialogModel& dlg, CUi& ui) {
            m_pSocket->Inject(StrayReply(), "192.168.1.99", 65533);
            m_pump.PumpPendingMessages();
            EXPECT_EQ(Pending(), PENDING_NONE); // the stray reply did settle it
            Type(dlg, ui, IDC_PED_OWN_IP, "192.168.1.20");
            return Press(dlg, ui, IDC_PED_SEND);
        });
    }
};
} // namespace

TEST_P(StrayReplyDuringTheDialog, ARefusingNodeIsReportedAndKeepsItsOldAddress) {
    NodeAnswersSet(3);
    OperatorSendsAfterAStrayReply();
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0204\nMACｱﾄﾞﾚｽ=0080C8010203\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=07\n結果ｺｰﾄﾞ=03");
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました");
    Deliver(GetParamReply(0));
    EXPECT_EQ(m_vecSet.size(), 730u);
    EXPECT_EQ(Node().m_dwIp, 0xC0A8010Au);
    EXPECT_EQ(Pending(), PENDING_NONE);
}

TEST_P(StrayReplyDuringTheDialog, ASilentNodeGivesTheNoResponseMessage) {
    NodeAnswersSet(-1);
    OperatorSendsAfterAStrayReply();
    m_ui.ExpectMessage("MRV-620から応答がありません");
    uint32_t dwStart = m_clock.Now();
    Deliver(GetParamReply(0));
    EXPECT_GE(m_clock.Now() - dwStart, 5000u);
    EXPECT_EQ(Node().m_dwIp, 0xC0A8010Au);
    EXPECT_EQ(Pending(), PENDING_NONE);
}

TEST_P(StrayReplyDuringTheDialog, AGoodAnswerTakesTheNewAddress) {
    NodeAnswersSet(0);
    OperatorSendsAfterAStrayReply();
    Deliver(GetParamReply(0));
    EXPECT_EQ(Node().m_dwIp, 0xC0A80114u);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(Pending(), PENDING_NONE);
}

INSTANTIATE_TEST_SUITE_P(, StrayReplyDuringTheDialog,
                         ::testing::Values(EStray::LateSearchAnswer, EStray::InitializeAnswer,
                                           EStray::OtherNodesSetAnswer),
                         [](const ::testing::TestParamInfo<EStray>& info) {
                             switch (info.param) {
                             case EStray::LateSearchAnswer:
                                 return "LateSearchAnswer";
                             case EStray::InitializeAnswer:
                                 return "InitializeAnswer";
                             case EStray::OtherNodesSetAnswer:
                                 return "OtherNodesSetAnswer";
                             }
                             return "Unknown";
                         });

TEST(ParamEditor, SendRunsTheChecksAndEnterDoesNothing) {
    CScriptedUi ui;
    NODEPARAM defParam{};
    CParamEditor dlg(defParam);
    dlg.SetPcAddressFn([](uint32_t) { return std::vector<uint32_t>(); });
    EXPECT_EQ(dlg.GetTitle(), "MRV-620ｼﾘｰｽﾞの設定");
    dlg.SetMode(PARAMEDIT_SET, "", PARAMEDIT_NO_MODE);
    EXPECT_EQ(dlg.GetTitle(), "MRV-620ｼﾘｰｽﾞの個別設定");
    EXPECT_EQ(dlg.GetCaption(DIALOG_CANCEL), "ｷｬﾝｾﾙ");
    EXPECT_FALSE(dlg.IsVisible(IDC_PED_MODE));
    EXPECT_FALSE(dlg.IsVisible(IDC_PED_MODE_LABEL));
    // An empty dialog fails its first check and stays open.
    SDialogAction action = dlg.OnCommand(ui, IDC_PED_SEND);
    EXPECT_EQ(action.eKind, SDialogAction::Message);
    EXPECT_FALSE(action.strMessage.empty());
    EXPECT_EQ(dlg.OnCommand(ui, DIALOG_OK).eKind, SDialogAction::Stay);
    EXPECT_EQ(dlg.OnCommand(ui, DIALOG_CANCEL).nResult, DIALOG_CANCEL);
}

TEST(ParamEditor, GetModeWithTheNoModeSwitchHidesTheModeDisplay) {
    NODEPARAM defParam{};
    CParamEditor dlg(defParam);
    dlg.SetMode(PARAMEDIT_GET, "通常動作0", PARAMEDIT_NO_MODE);
    EXPECT_FALSE(dlg.IsVisible(IDC_PED_MODE));
    EXPECT_EQ(dlg.GetCaption(DIALOG_CANCEL), "戻る");
}
