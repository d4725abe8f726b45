#include "DocFixture.h"
#include "ScriptedUi.h"
#include "doc/VersionInfoDlg.h"
#include "res/Texts.h"

namespace {
constexpr uint32_t IP_NODE = 0x0A000007u; // 10.0.0.7

Bytes Response(uint16_t wCode, uint8_t byResult = 0, uint8_t byMode = 0, size_t nLen = 13,
               Bytes mac = {0x00, 0x80, 0xC8, 0xAB, 0xCD, 0xEF}) {
    Bytes vec(nLen, 0);
    Bytes head = {0x76, 0x01, uint8_t(wCode >> 8), uint8_t(wCode)};
    head.insert(head.end(), mac.begin(), mac.end());
    head.push_back(0x95);
    head.push_back(byMode);
    head.push_back(byResult);
    for (size_t i = 0; i < head.size() && i < nLen; ++i) {
        vec[i] = head[i];
    }
    return vec;
}

class ResponseDispatch : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    }
    void Deliver(const Bytes& vec, const std::string& strFrom = "10.0.0.7",
                 uint16_t wPort = 65533) {
        m_pSocket->Inject(vec, strFrom, wPort);
        m_pump.PumpPendingMessages();
    }
    int32_t& Pending() { return m_pDoc->GetSocket().m_nPending; }
    std::vector<COXParam>& Nodes() { return m_pDoc->m_pCurNet->m_arrNodes; }
};
} // namespace

TEST_F(ResponseDispatch, SearchReplyAddsTheNodeWithItsSenderAddress) {
    Pending() = PENDING_SEARCH;
    Deliver(Response(0x0201));
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(Nodes()[0].m_strMac, "0080C8ABCDEF");
    EXPECT_EQ(Nodes()[0].m_dwIp, IP_NODE);
    EXPECT_EQ(Nodes()[0].m_nModel, 0);
    EXPECT_EQ(Pending(), PENDING_NONE);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(ResponseDispatch, SearchReplyUpdatesALowerCaseRegisteredNodeAndKeepsItsTexts) {
    m_pDoc->AddOrUpdateNode(0, 0xC0A8C8FEu, "0080c8abcdef", true, "SN-1", "rack 4");
    Deliver(Response(0x0201));
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(Nodes()[0].m_strMac, "0080C8ABCDEF");
    EXPECT_EQ(Nodes()[0].m_dwIp, IP_NODE);
    EXPECT_EQ(Nodes()[0].m_strSerial, "SN-1");
    EXPECT_EQ(Nodes()[0].m_strRemarks, "rack 4");
}

TEST_F(ResponseDispatch, SameMacInAnotherNetworkIsAddedToTheCurrentOne) {
    m_pDoc->AddOrUpdateNode(0, IP_NODE, "0080C8ABCDEF", true, "", "");
    m_pDoc->AddNetwork("OTHER", 0xFFFFFF00u, 0x02020202u);
    Deliver(Response(0x0201));
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_arrNodes.size(), 1u);
}

TEST_F(ResponseDispatch, SearchReplyWithoutCurrentNetworkChangesNothing) {
    m_pDoc->DeleteCurrentNetwork();
    Deliver(Response(0x0201));
    EXPECT_TRUE(m_pDoc->m_arrNets.empty());
    EXPECT_TRUE(m_pDoc->m_setRefusedMacs.empty());
}

TEST_F(ResponseDispatch, SearchOrInitialiseReplyEndsAnotherOperationsWait) {
    for (uint16_t wCode : {uint16_t(0x0201), uint16_t(0x0202)}) {
        Pending() = PENDING_GET_VERSION;
        Deliver(Response(wCode));
        EXPECT_EQ(Pending(), PENDING_NONE) << std::hex << wCode;
    }
}

TEST_F(ResponseDispatch, OnlyDatagramsFromTheDevicePortCount) {
    Pending() = PENDING_SEARCH;
    Deliver(Response(0x0201), "10.0.0.7", 65532);
    Deliver(Response(0x0201), "10.0.0.7", 1024);
    EXPECT_TRUE(Nodes().empty());
    EXPECT_EQ(Pending(), PENDING_SEARCH);
}

TEST_F(ResponseDispatch, ForeignDatagramsAreDroppedSilently) {
    Pending() = PENDING_SET_PARAM;
    Bytes bad = Response(0x0204, 5);
    bad[0] = 0x77;
    Deliver(bad);
    Deliver(Response(0x0104, 5)); // a request, not a response
    Deliver(Response(0x0200, 5));
    Deliver(Response(0x0209, 5));
    Deliver(Bytes{0x76});
    Deliver(Bytes{});
    EXPECT_EQ(Pending(), PENDING_SET_PARAM);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(ResponseDispatch, ShortResponsesAreDroppedAtEveryLength) {
    // Every code, every length below what the code uses, in every state that
    // would accept it: nothing changes and nothing is read past the end.
    struct SCase {
        uint16_t wCode;
        int32_t nState;
        size_t nFull;
    };
    const SCase aCases[] = {{0x0201, PENDING_SEARCH, 13},       {0x0202, PENDING_INITIALIZE, 13},
                            {0x0203, PENDING_GET_ACCOUNT, 730}, {0x0203, PENDING_GET_PARAM, 730},
                            {0x0204, PENDING_SET_PARAM, 13},    {0x0205, PENDING_CHANGE_MODE, 13},
                            {0x0206, PENDING_CHANGE_MODE, 13},  {0x0208, PENDING_GET_VERSION, 32}};
    for (const SCase& c : aCases) {
        for (size_t nLen = 0; nLen < c.nFull; ++nLen) {
            Pending() = c.nState;
            Deliver(Response(c.wCode, 1, 0, nLen));
            ASSERT_EQ(Pending(), c.nState) << std::hex << c.wCode << std::dec << " len " << nLen;
        }
    }
    EXPECT_TRUE(Nodes().empty());
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_TRUE(m_ui.m_vecDialogs.empty());
}

TEST_F(ResponseDispatch, FullLengthResponsesAreTakenInEveryAcceptingState) {
    Pending() = PENDING_GET_VERSION;
    m_ui.ExpectDialog("CVersionInfoDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    Deliver(Response(0x0208, 0, 0, 32));
    EXPECT_EQ(Pending(), PENDING_NONE);
    Pending() = PENDING_GET_ACCOUNT;
    Deliver(Response(0x0203, 0, 0, 730));
    EXPECT_EQ(Pending(), PENDING_NONE);
    Pending() = PENDING_CHANGE_MODE;
    Deliver(Response(0x0205, 0, 0, 2048));
    EXPECT_EQ(Pending(), PENDING_NONE);
}

TEST_F(ResponseDispatch, SetRefusalShowsTheDetailBeforeTheStateTurnsToError) {
    Pending() = PENDING_SET_PARAM;
    int32_t nAtMessage = 0;
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0204\nMACｱﾄﾞﾚｽ=0080C8ABCDEF\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=07\n結果ｺｰﾄﾞ=05")
        .WhenShown([&] { nAtMessage = Pending(); });
    Deliver(Response(0x0204, 0x05, 0x07));
    EXPECT_EQ(m_ui.MessageTexts(),
              std::vector<std::string>{"MRV-620から異常応答を受信しました\n"
                                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0204\nMACｱﾄﾞﾚｽ=0080C8ABCDEF\n"
                                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=07\n結果ｺｰﾄﾞ=05"});
    EXPECT_EQ(m_ui.m_vecMessages[0].strCaption, "MRV設定ﾏﾈｰｼﾞｬ");
    EXPECT_EQ(nAtMessage, PENDING_SET_PARAM);
    EXPECT_EQ(Pending(), PENDING_ERROR);
}

TEST_F(ResponseDispatch, SetReplyIsTakenWhileTheSettingsDialogWaits) {
    Pending() = PENDING_GET_PARAM;
    Deliver(Response(0x0204));
    EXPECT_EQ(Pending(), PENDING_NONE);
    Pending() = PENDING_GET_PARAM;
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0204\nMACｱﾄﾞﾚｽ=0080C8ABCDEF\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=00\n結果ｺｰﾄﾞ=01");
    Deliver(Response(0x0204, 1));
    EXPECT_EQ(Pending(), PENDING_ERROR);
}

TEST_F(ResponseDispatch, RepliesForAnotherStateAreDropped) {
    Pending() = PENDING_NONE;
    Deliver(Response(0x0205, 3));
    Deliver(Response(0x0204, 3));
    Deliver(Response(0x0208, 0, 0, 232));
    Deliver(Response(0x0203, 0, 0, 730));
    EXPECT_EQ(Pending(), PENDING_NONE);
    Pending() = PENDING_SET_PARAM;
    Deliver(Response(0x0205, 3));
    Deliver(Response(0x0206));
    EXPECT_EQ(Pending(), PENDING_SET_PARAM);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_TRUE(m_ui.m_vecDialogs.empty());
    EXPECT_TRUE(Nodes().empty());
}

TEST_F(ResponseDispatch, ModeChangeOutcomes) {
    Pending() = PENDING_CHANGE_MODE;
    Deliver(Response(0x0205, 0, 7));
    EXPECT_EQ(Pending(), PENDING_NONE);
    Pending() = PENDING_CHANGE_MODE;
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0205\nMACｱﾄﾞﾚｽ=0080C8ABCDEF\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=07\n結果ｺｰﾄﾞ=02");
    Deliver(Response(0x0205, 2, 7));
    EXPECT_EQ(Pending(), PENDING_ERROR);
    ASSERT_EQ(m_ui.m_vecMessages.size(), 1u);
    EXPECT_NE(m_ui.m_vecMessages[0].strText.find("ｺﾏﾝﾄﾞｺｰﾄﾞ=0205"), std::string::npos);
}

TEST_F(ResponseDispatch, SpecialModeReplyTakesTheNodesAddressOnSuccessOnly) {
    Pending() = PENDING_CHANGE_MODE;
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0206\nMACｱﾄﾞﾚｽ=0080C8ABCDEF\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=00\n結果ｺｰﾄﾞ=04");
    Deliver(Response(0x0206, 4));
    EXPECT_EQ(Pending(), PENDING_ERROR);
    EXPECT_TRUE(Nodes().empty());
    Pending() = PENDING_CHANGE_MODE;
    Deliver(Response(0x0206), "10.0.0.9");
    EXPECT_EQ(Pending(), PENDING_NONE);
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(Nodes()[0].m_dwIp, 0x0A000009u);
}

TEST_F(ResponseDispatch, UnusedCodeNeverChangesTheState) {
    for (int32_t nState : {PENDING_NONE, PENDING_SEARCH, PENDING_SET_PARAM, PENDING_CHANGE_MODE,
                           PENDING_GET_VERSION, PENDING_GET_ACCOUNT}) {
        Pending() = nState;
        Deliver(Response(0x0207, 9));
        EXPECT_EQ(Pending(), nState);
    }
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(ResponseDispatch, AccountIsTakenFromTheParameterBlock) {
    Bytes vec = Response(0x0203, 0, 0, 730);
    const char szUser[] = "operator";
    const char szPass[] = "s3cret";
    std::copy(szUser, szUser + 8, vec.begin() + 36);
    std::copy(szPass, szPass + 6, vec.begin() + 52);
    Pending() = PENDING_GET_ACCOUNT;
    Deliver(vec);
    EXPECT_EQ(m_pDoc->GetSocket().m_strFtpUser, "operator");
    EXPECT_EQ(m_pDoc->GetSocket().m_strFtpPassword, "s3cret");
    EXPECT_EQ(Pending(), PENDING_NONE);
}

TEST_F(ResponseDispatch, EmptyAccountBecomesTheAnonymousUser) {
    Bytes vec = Response(0x0203, 0, 0, 730);
    vec[52] = 'x'; // a password without a user is not kept
    Pending() = PENDING_GET_ACCOUNT;
    Deliver(vec);
    EXPECT_EQ(m_pDoc->GetSocket().m_strFtpUser, "(none)");
    EXPECT_EQ(m_pDoc->GetSocket().m_strFtpPassword, "");
}

TEST_F(ResponseDispatch, UnterminatedAccountStopsAtItsField) {
    Bytes vec = Response(0x0203, 0, 0, 730);
    std::fill(vec.begin() + 36, vec.begin() + 68, uint8_t('A'));
    Pending() = PENDING_GET_ACCOUNT;
    Deliver(vec);
    EXPECT_EQ(m_pDoc->GetSocket().m_strFtpUser, std::string(15, 'A'));
    EXPECT_EQ(m_pDoc->GetSocket().m_strFtpPassword, std::string(15, 'A'));
}

TEST_F(ResponseDispatch, VersionReplyOpensTheVersionDialog) {
    Bytes vec = Response(0x0208, 3, 0, 232);
    Pending() = PENDING_GET_VERSION;
    std::string strKernel;
    m_ui.ExpectDialog("CVersionInfoDlg", [&](CDialogModel& dlg, CUi& ui) {
        strKernel = dlg.GetText(IDC_VER_KERNEL);
        EXPECT_EQ(Pending(), PENDING_GET_VERSION); // still waiting while it is open
        return Press(dlg, ui, DIALOG_OK);
    });
    vec[28] = 2;
    vec[29] = 10;
    Deliver(vec);
    EXPECT_EQ(m_ui.m_vecDialogs, std::vector<std::string>{"CVersionInfoDlg"});
    EXPECT_EQ(strKernel, "2.10");
    EXPECT_EQ(Pending(), PENDING_NONE); // whatever the result code
}

TEST(ModeName, EveryMode) {
    EXPECT_EQ(COrvixDoc::GetModeName(0), "通常動作0");
    EXPECT_EQ(COrvixDoc::GetModeName(1), "通常動作1");
    EXPECT_EQ(COrvixDoc::GetModeName(2), "通常動作2");
    EXPECT_EQ(COrvixDoc::GetModeName(3), "通常動作3");
    EXPECT_EQ(COrvixDoc::GetModeName(7), "ｾｯﾄｱｯﾌﾟ");
    EXPECT_EQ(COrvixDoc::GetModeName(4), "未定義ﾓｰﾄﾞ");
    EXPECT_EQ(COrvixDoc::GetModeName(6), "未定義ﾓｰﾄﾞ");
    EXPECT_EQ(COrvixDoc::GetModeName(255), "未定義ﾓｰﾄﾞ");
}

TEST(VersionInfoDlg, FillsBoardVersionsAndRowsUntilAnEmptyEntry) {
    CScriptedUi ui;
    Bytes vec(232, 0);
    const char szBoard[] = "BOARD-620A";
    std::copy(szBoard, szBoard + 10, vec.begin() + 14);
    vec[28] = 1;
    vec[29] = 5;
    vec[30] = 0xFF; // signed: -1
    vec[31] = 3;
    auto entry = [&](int k, const char* psz, uint8_t byMaj, uint8_t byMin, Bytes tail) {
        size_t nOfs = 32 + 20 * size_t(k);
        std::copy(psz, psz + std::strlen(psz), vec.begin() + long(nOfs));
        vec[nOfs + 14] = byMaj;
        vec[nOfs + 15] = byMin;
        std::copy(tail.begin(), tail.end(), vec.begin() + long(nOfs + 16));
    };
    entry(0, "TESTAPP", 1, 2, {0x01, 0x00, 0x34, 0x12});
    entry(1, "ABCDEFGHIJKLMN", 10, 99, {0x00, 0x07, 0x00, 0x00}); // fills all 14 bytes
    entry(3, "HIDDEN", 1, 0, {0, 1, 0, 0});                       // after the empty entry 2
    CVersionInfoDlg dlg(vec.data(), vec.size());
    EXPECT_EQ(dlg.GetText(IDC_VER_BOARD_ID), "BOARD-620A");
    EXPECT_EQ(dlg.GetText(IDC_VER_KERNEL), "1.05");
    EXPECT_EQ(dlg.GetText(IDC_VER_BOOT), "-1.03");
    EXPECT_EQ(dlg.GetText(1126), "TESTAPP");
    EXPECT_EQ(dlg.GetText(1127), "1.02");
    EXPECT_EQ(dlg.GetText(1128), "256");
    EXPECT_EQ(dlg.GetText(1208), "1234");
    EXPECT_EQ(dlg.GetText(1130), "ABCDEFGHIJKLMN");
    EXPECT_EQ(dlg.GetText(1131), "10.99");
    EXPECT_EQ(dlg.GetText(1132), "7");
    EXPECT_EQ(dlg.GetText(1209), "0000");
    for (int nRow = 2; nRow < 10; ++nRow) {
        EXPECT_EQ(dlg.GetText(CVersionInfoDlg::RowName(nRow)), "") << nRow;
        EXPECT_EQ(dlg.GetText(CVersionInfoDlg::RowSectors(nRow)), "") << nRow;
    }
    EXPECT_EQ(dlg.OnCommand(ui, DIALOG_OK).eKind, SDialogAction::Close);
}

TEST(VersionInfoDlg, ShortDatagramEndsTheTableWhereItEnds) {
    Bytes vec(40, 0);
    std::copy_n("APP", 3, vec.begin() + 32); // entry 0 cut after 8 bytes
    CVersionInfoDlg dlg(vec.data(), vec.size());
    EXPECT_EQ(dlg.GetText(1126), "APP");
    EXPECT_EQ(dlg.GetText(1127), "0.00");
    EXPECT_EQ(dlg.GetText(1130), "");
}
