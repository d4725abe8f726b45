#include "ops/NodeSearch.h"
#include "DocFixture.h"
#include "ScriptedUi.h"
#include "SearchReplies.h"
#include "ops/IpSearchDlg.h"
#include "res/Texts.h"

#include <cstdio>

namespace {
std::string NodeIp(uint32_t nNode) {
    return "10.1." + std::to_string(nNode / 250) + "." + std::to_string(nNode % 250 + 1);
}

class NodeSearch : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    }
    // Every node answers every broadcast probe, as a real segment does.
    void AnswerProbes(uint32_t nNodes) {
        m_pSocket->SetSendHook([this, nNodes](const CMemoryDatagramSocket::SDatagram& dg) {
            if (dg.dwIp != 0xFFFFFFFFu) {
                return;
            }
            for (uint32_t n = 0; n < nNodes; ++n) {
                m_pSocket->Inject(SearchReply(n), NodeIp(n), 65533);
            }
        });
    }
    std::vector<COXParam>& Nodes() { return m_pDoc->m_pCurNet->m_arrNodes; }
};
} // namespace

TEST_F(NodeSearch, SixteenRepliesPerNodeGiveOneRowEach) {
    AnswerProbes(3);
    int nUpdatesBefore = m_ui.m_nViewUpdates;
    uint32_t dwStart = m_clock.Now();
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Nodes().size(), 3u);
    for (uint32_t n = 0; n < 3; ++n) {
        EXPECT_EQ(Nodes()[n].m_strMac, NodeMac(n));
        EXPECT_EQ(Nodes()[n].m_dwIp, 0x0A010001u + n);
    }
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
    // Ready again, and the counts in their own pane.
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ検索中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecCounts, (std::vector<std::string>{"応答 3 / 登録 3 / 無応答 0"}));
    EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
    // 48 replies, one rebuild of the list.
    EXPECT_EQ(m_ui.m_nViewUpdates - nUpdatesBefore, 1);
    // 16 paced probes, then the whole collection window.
    EXPECT_GE(m_clock.Now() - dwStart, 16u * 51u + 1500u);
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(NodeSearch, RepliesTakenInDuringThePacingKeepTheirOrder) {
    // The same node answers from a new address later: the last reply wins.
    int nProbe = 0;
    m_pSocket->SetSendHook([&](const CMemoryDatagramSocket::SDatagram&) {
        m_pSocket->Inject(SearchReply(7), nProbe < 15 ? "10.0.0.1" : "10.0.0.2", 65533);
        ++nProbe;
    });
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(Nodes()[0].m_dwIp, 0x0A000002u);
}

TEST_F(NodeSearch, CollectionWindowFollowsTheSetting) {
    m_settings.m_nTimeoutSearch = 3000;
    uint32_t dwStart = m_clock.Now();
    SearchNodes(*m_pDoc);
    uint32_t dwCollect = m_clock.Now() - dwStart - 16u * 51u;
    EXPECT_GE(dwCollect, 3000u);
    EXPECT_LT(dwCollect, 3100u);
}

TEST_F(NodeSearch, ALateReplyIsStillMergedWhenItArrives) {
    SearchNodes(*m_pDoc);
    EXPECT_TRUE(Nodes().empty());
    m_pSocket->Inject(SearchReply(1), "10.0.0.9", 65533);
    m_pump.PumpPendingMessages();
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
}

TEST_F(NodeSearch, SendFailureIsReportedOnceAndTheWindowStillRuns) {
    m_pSocket->SetFailSend(true);
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    uint32_t dwStart = m_clock.Now();
    SearchNodes(*m_pDoc);
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{TXT_SEND_ERROR});
    EXPECT_GE(m_clock.Now() - dwStart, 1500u);
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ検索中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecCounts, (std::vector<std::string>{"応答 0 / 登録 0 / 無応答 0"}));
}

TEST_F(NodeSearch, RefreshSearchKeepsOnlyTheNodesThatAnswer) {
    m_pDoc->AddOrUpdateNode(0, 0x0A000063u, "AAAAAAAAAAAA", true, "SN", "gone");
    m_pDoc->AddOrUpdateNode(0, 0x0A000064u, NodeMac(1), true, "SN-1", "typed");
    AnswerProbes(2);
    RefreshSearch(*m_pDoc);
    ASSERT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[0].m_strMac, NodeMac(0));
    EXPECT_EQ(Nodes()[1].m_strMac, NodeMac(1));
    EXPECT_EQ(Nodes()[1].m_strSerial, ""); // texts typed earlier are gone
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ検索中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecCounts, (std::vector<std::string>{"応答 2 / 登録 2 / 無応答 0"}));
}

TEST_F(NodeSearch, RefreshSearchOnASilentSegmentEmptiesTheNetwork) {
    m_pDoc->AddOrUpdateNode(0, 0x0A000063u, "AAAAAAAAAAAA", true, "SN", "gone");
    RefreshSearch(*m_pDoc);
    EXPECT_TRUE(Nodes().empty());
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(NodeSearch, ANetworkHoldsAtMost1024NodesAndSaysHowManyWereLeftOut) {
    AnswerProbes(1030);
    m_ui.ExpectMessage("ﾉｰﾄﾞ数が上限(1024台)に達したため、6台のﾉｰﾄﾞを登録できませんでした");
    SearchNodes(*m_pDoc);
    EXPECT_EQ(Nodes().size(), 1024u);
    EXPECT_EQ(Nodes().back().m_strMac, NodeMac(1023));
    EXPECT_EQ(m_ui.MessageTexts(),
              std::vector<std::string>{
                  "ﾉｰﾄﾞ数が上限(1024台)に達したため、6台のﾉｰﾄﾞを登録できませんでした"});
}

TEST_F(NodeSearch, BigSegmentKeepsEveryReply) {
    // 1024 nodes x 16 probes pass through the endpoint's own queue.
    AnswerProbes(1024);
    SearchNodes(*m_pDoc);
    EXPECT_EQ(Nodes().size(), 1024u);
    EXPECT_EQ(m_pSocket->GetQueued(), 0u);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

// --- IP search ------------------------------------------------------------

namespace {
class IpSearch : public NodeSearch {
protected:
    void SetEntries(std::vector<CIpSearchList>& list, std::vector<std::string> vec) {
        list.clear();
        for (auto& str : vec) {
            list.push_back(CIpSearchList{str});
        }
    }
    std::vector<std::string> Texts(const std::vector<CIpSearchList>& list) {
        std::vector<std::string> vec;
        for (const auto& entry : list) {
            vec.push_back(entry.m_strIp);
        }
        return vec;
    }
    // The operator opens the dialog and presses "検索" at once.
    void OperatorSearches() {
        m_ui.ExpectDialog("CIpSearchDlg", [](CDialogModel& dlg, CUi& ui) {
            return Press(dlg, ui, IDC_IPS_SEARCH);
        });
    }
};
} // namespace

TEST_F(IpSearch, SearchesEachTargetInTheDocumentsOrderThenMergesTheReplies) {
    SetEntries(m_pDoc->m_listSearchTarget, {"10.0.0.2", "10.0.0.1"});
    m_pSocket->SetSendHook([&](const CMemoryDatagramSocket::SDatagram& dg) {
        if (dg.dwIp == 0x0A000001u) {
            m_pSocket->Inject(SearchReply(1), "10.0.0.1", 65533);
        }
        if (dg.dwIp == 0x0A000002u) {
            m_pSocket->Inject(SearchReply(2), "10.0.0.2", 65533);
        }
    });
    OperatorSearches();
    SearchByIp(*m_pDoc);
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(Sent()[0].dwIp, 0x0A000002u);
    EXPECT_EQ(Sent()[1].dwIp, 0x0A000001u);
    EXPECT_EQ(Sent()[0].vecData, (Bytes{0x76, 0x01, 0x01, 0x01, 0, 0, 0, 0, 0, 0, 0x95}));
    ASSERT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[0].m_strMac, NodeMac(2));
    EXPECT_EQ(Nodes()[1].m_strMac, NodeMac(1));
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"IP検索中", "ﾉｰﾄﾞ検索中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecCounts, (std::vector<std::string>{"応答 2 / 登録 2 / 無応答 0"}));
    // Two pacing pauses, then the collection pause of Timeout_Search.
    ASSERT_FALSE(m_clock.GetSleeps().empty());
    EXPECT_EQ(m_clock.GetSleeps().back(), 1500u);
}

TEST_F(IpSearch, CountsAsSilentOnlyTheRegisteredNodesItAsked) {
    m_pDoc->AddOrUpdateNode(0, 0x0A000001u, NodeMac(1), true, "", "");
    m_pDoc->AddOrUpdateNode(0, 0x0A000002u, NodeMac(2), true, "", ""); // asked, quiet
    m_pDoc->AddOrUpdateNode(0, 0x0A000003u, NodeMac(3), true, "", ""); // not asked
    SetEntries(m_pDoc->m_listSearchTarget, {"10.0.0.1", "10.0.0.2"});
    m_pSocket->SetSendHook([&](const CMemoryDatagramSocket::SDatagram& dg) {
        if (dg.dwIp == 0x0A000001u) {
            m_pSocket->Inject(SearchReply(1), "10.0.0.1", 65533);
        }
    });
    OperatorSearches();
    SearchByIp(*m_pDoc);
    EXPECT_EQ(m_ui.m_vecCounts, (std::vector<std::string>{"応答 1 / 登録 3 / 無応答 1"}));
    EXPECT_FALSE(m_pDoc->m_contacts.IsSilent(NodeMac(1)));
    EXPECT_TRUE(m_pDoc->m_contacts.IsSilent(NodeMac(2)));
    EXPECT_FALSE(m_pDoc->m_contacts.IsSilent(NodeMac(3)));
}

TEST_F(IpSearch, EmptyTargetListSendsNothingAndWaitsTheWindow) {
    OperatorSearches();
    uint32_t dwStart = m_clock.Now();
    SearchByIp(*m_pDoc);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(m_clock.Now() - dwStart, 1500u);
}

TEST_F(IpSearch, ClosingWithoutSearchKeepsTheListChangesAndSendsNothing) {
    m_ui.ExpectDialog("CIpSearchDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_IPS_EDIT, "192.168.200.180");
        Click(dlg, ui, IDC_IPS_REGISTER);
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    SearchByIp(*m_pDoc);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Texts(m_pDoc->m_listIpAddr), std::vector<std::string>{"192.168.200.180"});
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"IP検索中", "ﾚﾃﾞｨ"}));
}

TEST_F(IpSearch, SearchSendFailureStopsAtTheFirstTarget) {
    SetEntries(m_pDoc->m_listSearchTarget, {"10.0.0.2", "10.0.0.1"});
    m_pSocket->SetFailSend(true);
    OperatorSearches();
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    SearchByIp(*m_pDoc);
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{TXT_SEND_ERROR});
}

TEST(IpSearchDlg, RegistrationRules) {
    CScriptedUi ui;
    std::vector<CIpSearchList> listAddr, listTargets;
    CIpSearchDlg dlg(listAddr, listTargets);
    for (const char* psz : {"10.0.0.1.", ".10.0.0.1", "10..0.1", "10.0.1", "10.0.0.256", "a.b.c.d",
                            "", "10.0.0.1.2"}) {
        dlg.SetText(IDC_IPS_EDIT, psz);
        SDialogAction action = dlg.OnCommand(ui, IDC_IPS_REGISTER);
        EXPECT_EQ(action.eKind, SDialogAction::Message) << psz;
        EXPECT_EQ(action.strMessage, "IPｱﾄﾞﾚｽの値が異常です") << psz;
        EXPECT_EQ(action.nFocusId, IDC_IPS_EDIT);
    }
    EXPECT_TRUE(listAddr.empty());
    dlg.SetText(IDC_IPS_EDIT, "255.255.255.255");
    EXPECT_EQ(dlg.OnCommand(ui, IDC_IPS_REGISTER).eKind, SDialogAction::Stay);
    dlg.SetText(IDC_IPS_EDIT, "10.0.0.1");
    SDialogAction action = dlg.OnCommand(ui, IDC_IPS_REGISTER);
    EXPECT_EQ(action.eKind, SDialogAction::Stay);
    EXPECT_EQ(action.nFocusId, IDC_IPS_EDIT);
    // The same numeric address in another spelling is already there.
    dlg.SetText(IDC_IPS_EDIT, "10.0.0.01");
    dlg.OnCommand(ui, IDC_IPS_REGISTER);
    ASSERT_EQ(listAddr.size(), 2u);
    // Shown sorted as text; held by the document last row first.
    EXPECT_EQ(dlg.GetItems(IDC_IPS_ADDR_LIST),
              (std::vector<std::string>{"10.0.0.1", "255.255.255.255"}));
    EXPECT_EQ(listAddr[0].m_strIp, "255.255.255.255");
    EXPECT_EQ(listAddr[1].m_strIp, "10.0.0.1");
}

TEST(IpSearchDlg, MovingBetweenTheLists) {
    CScriptedUi ui;
    std::vector<CIpSearchList> listAddr{{"10.0.0.3"}, {"10.0.0.1"}, {"10.0.0.2"}};
    std::vector<CIpSearchList> listTargets;
    CIpSearchDlg dlg(listAddr, listTargets);
    EXPECT_EQ(dlg.GetItems(IDC_IPS_ADDR_LIST),
              (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
    dlg.SetInt(IDC_IPS_ADDR_LIST, 1);
    dlg.OnCommand(ui, IDC_IPS_ADD);
    dlg.SetInt(IDC_IPS_ADDR_LIST, 1);
    dlg.OnListEvent(ui, IDC_IPS_ADDR_LIST, EListEvent::DoubleClick); // the same address again
    dlg.SetInt(IDC_IPS_ADDR_LIST, 2);
    dlg.OnCommand(ui, IDC_IPS_ADD);
    ASSERT_EQ(listTargets.size(), 2u);
    EXPECT_EQ(listTargets[0].m_strIp, "10.0.0.3");
    EXPECT_EQ(listTargets[1].m_strIp, "10.0.0.2");
    dlg.SetInt(IDC_IPS_TARGET_LIST, 0);
    dlg.OnCommand(ui, IDC_IPS_REMOVE);
    ASSERT_EQ(listTargets.size(), 1u);
    EXPECT_EQ(listTargets[0].m_strIp, "10.0.0.3");
    dlg.SetInt(IDC_IPS_ADDR_LIST, 0);
    dlg.OnCommand(ui, IDC_IPS_DELETE);
    EXPECT_EQ(listAddr.size(), 2u);
    EXPECT_EQ(listAddr[1].m_strIp, "10.0.0.2");
    // Nothing selected: nothing happens.
    dlg.OnCommand(ui, IDC_IPS_DELETE);
    dlg.OnCommand(ui, IDC_IPS_REMOVE);
    EXPECT_EQ(listAddr.size(), 2u);
    EXPECT_EQ(listTargets.size(), 1u);
}
