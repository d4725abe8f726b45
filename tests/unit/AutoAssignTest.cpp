// Automatic IP assignment: the dialog, and runs against nodes on the
// in-memory socket with the operator scripted.
#include "ops/AutoAssign.h"
#include "DocFixture.h"
#include "NodeResponder.h"
#include "SampleParam.h"
#include "ops/AutoSetDlg.h"
#include "ops/NodeCommandDlgs.h"
#include "platform/IpText.h"

namespace {
constexpr uint32_t UNSET = 0xC0A8C8FEu;

Bytes Slice(const Bytes& vec, size_t nFrom, size_t nLen) {
    return Bytes(vec.begin() + long(nFrom), vec.begin() + long(nFrom + nLen));
}

std::string Mac(int n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0080C80000%02X", n);
    return sz;
}

// Network "LINE-A" (255.255.255.0, gateway 192.168.1.1); the defaults' destination
// is 10.0.0.1; the PC's address is whatever a test says (unknown at first).
class AutoAssign : public CDocFixture {
protected:
    void SetUp() override {
        m_defParam = SampleParam();
        m_settings.m_nTimeout = 3000;
        m_settings.m_nTimeoutInitial = 7000;
        m_settings.m_nTimeoutAutoSet = 9000;
        MakeDoc();
        m_pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
        m_pNodes = std::make_unique<CNodeResponder>(*m_pSocket);
    }
    // Rows in order: an address text, or "" for a node without one. Node n has MAC Mac(n + 1).
    void AddRows(const std::vector<std::string>& vecIps) {
        for (const std::string& strIp : vecIps) {
            uint32_t dwIp = strIp.empty() ? UNSET : ParseIpHost(strIp);
            m_pDoc->AddOrUpdateNode(0, dwIp, Mac(int(m_pDoc->m_pCurNet->m_arrNodes.size()) + 1),
                                    true, "", "");
        }
        m_ui.m_vecStatus.clear();
        m_ui.m_vecEnable.clear();
    }
    void OperatorAsks(const std::string& strBase, const std::string& strIncrement) {
        m_ui.ExpectDialog("CAutoSetDlg", [=](CDialogModel& dlg, CUi& ui) {
            Type(dlg, ui, IDC_AUTO_BASE_IP, strBase);
            Type(dlg, ui, IDC_AUTO_INCREMENT, strIncrement);
            return Press(dlg, ui, DIALOG_OK);
        });
    }
    void OperatorAnswersNoReply(const std::string& strMac, int nButton) {
        m_ui.ExpectDialog("CAutoSetErrorDlg", [=](CDialogModel& dlg, CUi& ui) {
            EXPECT_EQ(dlg.GetTitle(), "自動設定エラー");
            EXPECT_EQ(dlg.GetCaption(IDC_NOREPLY_MAC_LABEL), "MACアドレス：");
            EXPECT_EQ(dlg.GetText(IDC_NOREPLY_MAC), strMac);
            EXPECT_EQ(dlg.GetCaption(IDC_NOREPLY_TEXT), "のMRV-620から応答がありません");
            EXPECT_EQ(dlg.GetCaption(IDC_NOREPLY_CONTINUE), "継続");
            EXPECT_EQ(dlg.GetCaption(IDC_NOREPLY_END), "終了");
            return Press(dlg, ui, nButton);
        });
    }
    void Run() {
        AutoAssignAddresses(*m_pDoc, m_defParam, [this](uint32_t) { return m_vecPc; });
    }
    std::string IpOf(size_t nRow) const {
        return FormatIpHost(m_pDoc->m_pCurNet->m_arrNodes.at(nRow).m_dwIp);
    }
    std::vector<std::string> Ips() const {
        std::vector<std::string> vec;
        for (size_t i = 0; i < m_pDoc->m_pCurNet->m_arrNodes.size(); ++i) {
            vec.push_back(IpOf(i));
        }
        return vec;
    }
    // The own IP of every set request sent, in order.
    std::vector<std::string> OfferedIps() const {
        std::vector<std::string> vec;
        for (const auto& dg : Sent()) {
            const Bytes& v = dg.vecData;
            char sz[20];
            std::snprintf(sz, sizeof sz, "%d.%d.%d.%d", v.at(13), v.at(14), v.at(15), v.at(16));
            vec.push_back(sz);
        }
        return vec;
    }

    std::unique_ptr<CNodeResponder> m_pNodes;
    std::vector<uint32_t> m_vecPc; // the PC's addresses; none known at first
};

TEST_F(AutoAssign, TheDialogOpensWithTheUnsetAddressAndOneEveryTime) {
    AddRows({""});
    for (int nRun = 0; nRun < 2; ++nRun) {
        m_ui.ExpectDialog("CAutoSetDlg", [](CDialogModel& dlg, CUi& ui) {
            EXPECT_EQ(dlg.GetTitle(), "ﾉｰﾄﾞ自動設定");
            EXPECT_EQ(dlg.GetCaption(IDC_AUTO_NOTICE),
                      "注意！\n\u3000自動設定は、IPアドレス未設定のMRV-620にのみ設定を行います");
            EXPECT_EQ(dlg.GetCaption(IDC_AUTO_MODEL_LABEL), "機種名");
            EXPECT_EQ(dlg.GetCaption(IDC_AUTO_BASE_IP_LABEL), "ﾍﾞｰｽIPｱﾄﾞﾚｽ");
            EXPECT_EQ(dlg.GetCaption(IDC_AUTO_INCREMENT_LABEL), "IPｱﾄﾞﾚｽ増分");
            EXPECT_EQ(dlg.GetCaption(DIALOG_CANCEL), "ｷｬﾝｾﾙ");
            EXPECT_EQ(dlg.GetItems(IDC_AUTO_MODEL), std::vector<std::string>{"MRV-620"});
            EXPECT_EQ(dlg.GetInt(IDC_AUTO_MODEL), 0);
            EXPECT_EQ(dlg.GetText(IDC_AUTO_BASE_IP), "192.168.200.254");
            EXPECT_EQ(dlg.GetText(IDC_AUTO_INCREMENT), "1");
            Type(dlg, ui, IDC_AUTO_BASE_IP, "192.168.1.20");
            Type(dlg, ui, IDC_AUTO_INCREMENT, "3");
            return Press(dlg, ui, DIALOG_OK);
        });
        Run();
    }
    // The network keeps what the last run was given.
    EXPECT_EQ(m_pDoc->m_pCurNet->m_dwBaseIp, 0xC0A80114u);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_nIpIncrement, 3);
}

TEST_F(AutoAssign, AnIncrementOutsideOneToNinetyNineIsRefusedAndNothingIsSent) {
    AddRows({""});
    m_ui.ExpectDialog("CAutoSetDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_AUTO_BASE_IP, "192.168.1.20");
        for (const char* psz : {"0", "-1"}) {
            Type(dlg, ui, IDC_AUTO_INCREMENT, psz);
            PressExpectingMessage(dlg, ui, DIALOG_OK, "1 から 99 までの整数を入力してください。",
                                  IDC_AUTO_INCREMENT);
        }
        Type(dlg, ui, IDC_AUTO_INCREMENT, "x1");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "整数を入力してください。", IDC_AUTO_INCREMENT);
        Type(dlg, ui, IDC_AUTO_INCREMENT, "100"); // two characters at most
        EXPECT_EQ(dlg.GetText(IDC_AUTO_INCREMENT), "10");
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    Run();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(m_pDoc->m_pCurNet->m_dwBaseIp, UNSET);
    EXPECT_EQ(Ips(), std::vector<std::string>{"192.168.200.254"});
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ自動設定中", "ﾚﾃﾞｨ"}));
}

TEST_F(AutoAssign, TheBaseIpRulesOfTheRegistryApplyOnOk) {
    m_pDoc->AddNetwork("LINE-B", 0xFF000000u, 0x0A000001u);
    m_pDoc->SetAssignmentBase(0x0A000005u, 1);
    m_pDoc->m_nCurNet = 0;
    m_pDoc->UpdateAllViews();
    AddRows({""});
    m_ui.ExpectDialog("CAutoSetDlg", [](CDialogModel& dlg, CUi& ui) {
        // Unchanged, the unset address itself.
        PressExpectingMessage(dlg, ui, DIALOG_OK, "ﾍﾞｰｽIPｱﾄﾞﾚｽを設定してください",
                              IDC_AUTO_BASE_IP);
        Type(dlg, ui, IDC_AUTO_BASE_IP, "192.168.1.0"); // host part 0 under LINE-A's mask
        PressExpectingMessage(dlg, ui, DIALOG_OK, "ﾍﾞｰｽIPｱﾄﾞﾚｽの値が異常です", IDC_AUTO_BASE_IP);
        Type(dlg, ui, IDC_AUTO_BASE_IP, "10.1.2.3");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "ｻﾌﾞﾈｯﾄが[LINE-B]と重複しています",
                              IDC_AUTO_BASE_IP);
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    Run();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(AutoAssign, NodesWithoutAddressTakeTheNextFreeAddressesInRowOrder) {
    // N1 (none), N2 (192.168.1.10), N3 (none) from 192.168.1.10 by 1.
    AddRows({"", "192.168.1.10", ""});
    OperatorAsks("192.168.1.10", "1");
    Run();
    EXPECT_EQ(Ips(), (std::vector<std::string>{"192.168.1.11", "192.168.1.10", "192.168.1.12"}));
    EXPECT_EQ(m_pNodes->RequestLog(),
              (std::vector<std::string>{"0104 0080C8000001", "0104 0080C8000003"}));
    EXPECT_EQ(OfferedIps(), (std::vector<std::string>{"192.168.1.11", "192.168.1.12"}));
    // The defaults with the new address and the network's gateway and mask, by broadcast.
    for (const auto& dg : Sent()) {
        EXPECT_EQ(dg.dwIp, 0xFFFFFFFFu);
        ASSERT_EQ(dg.vecData.size(), 730u);
        EXPECT_EQ(Slice(dg.vecData, 10, 3), (Bytes{0x95, 0x00, 0x00}));
        EXPECT_EQ(Slice(dg.vecData, 13 + 6, 6), (Bytes{0x0A, 0x00, 0x00, 0x01, 0x27, 0x11}));
        EXPECT_EQ(Slice(dg.vecData, 13 + 12, 8),
                  (Bytes{0xC0, 0xA8, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0x00}));
        EXPECT_EQ(Slice(dg.vecData, 13 + 62, 2), (Bytes{0x05, 0xDC}));
        EXPECT_EQ(Slice(dg.vecData, 13 + 341, 12), Bytes(12, 0));
    }
    EXPECT_EQ(m_pDoc->m_pCurNet->m_dwBaseIp, 0xC0A8010Au);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_nIpIncrement, 1);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ自動設定中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
}

TEST_F(AutoAssign, AStopAskedDuringAWaitEndsTheRunAfterThatNodeKeepingWhatWasGiven) {
    AddRows({"", "", "", ""});
    OperatorAsks("192.168.1.10", "1");
    // Asked while the second node is awaited: its exchange runs to its reply.
    m_pNodes->OnRequest([this](const CMemoryDatagramSocket::SDatagram&) {
        if (m_pNodes->RequestLog().size() == 2) {
            m_stop.Request(2);
        }
    });
    Run();
    EXPECT_EQ(m_pNodes->RequestLog(),
              (std::vector<std::string>{"0104 0080C8000001", "0104 0080C8000002"}));
    EXPECT_EQ(Ips(), (std::vector<std::string>{"192.168.1.10", "192.168.1.11", "192.168.200.254",
                                               "192.168.200.254"}));
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
}

TEST_F(AutoAssign, ThePcsOwnAddressIsNeverGiven) {
    AddRows({"", ""});
    m_vecPc = {0xC0A8010Au}; // the base itself
    OperatorAsks("192.168.1.10", "1");
    Run();
    EXPECT_EQ(Ips(), (std::vector<std::string>{"192.168.1.11", "192.168.1.12"}));
}

TEST_F(AutoAssign, TheDefaultsDestinationAddressIsNeverGiven) {
    m_pDoc->AddNetwork("LINE-10", 0xFFFFFF00u, 0x0A0000FEu);
    AddRows({"", ""});
    m_vecPc = {0x0A000002u};
    OperatorAsks("10.0.0.1", "1"); // 10.0.0.1 is the defaults' destination, .2 the PC
    Run();
    EXPECT_EQ(Ips(), (std::vector<std::string>{"10.0.0.3", "10.0.0.4"}));
}

TEST_F(AutoAssign, AStepPastATakenAddressSkipsThePcAndTheDestinationAsOftenAsNeeded) {
    // .10 taken, the PC on .11 and the destination on .12: one skip would land
    // on the destination.
    m_defParam.dwDestIp = 0xC0A8010Cu;
    AddRows({"192.168.1.10", ""});
    m_vecPc = {0xC0A8010Bu};
    OperatorAsks("192.168.1.10", "1");
    Run();
    EXPECT_EQ(IpOf(1), "192.168.1.13");
}

TEST_F(AutoAssign, OnlyHostPartsAreComparedSoANodeOfAnotherSubnetBlocksItsHostPart) {
    AddRows({"172.16.5.10", ""});
    OperatorAsks("192.168.1.10", "1");
    Run();
    EXPECT_EQ(IpOf(1), "192.168.1.11");
}

TEST_F(AutoAssign, AnIncrementOfFiveFrom250WithItTakenLeavesNoAddress) {
    AddRows({"192.168.1.250", "", ""});
    m_ui.ExpectMessage("割り当て可能なIPｱﾄﾞﾚｽがありません");
    OperatorAsks("192.168.1.250", "5");
    Run();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Ips(),
              (std::vector<std::string>{"192.168.1.250", "192.168.200.254", "192.168.200.254"}));
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ自動設定中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
}

TEST_F(AutoAssign, NodesAssignedBeforeTheSubnetRanOutKeepTheirAddresses) {
    AddRows({"", "", ""});
    OperatorAsks("192.168.1.244", "5");
    Run();
    EXPECT_EQ(Ips(), (std::vector<std::string>{"192.168.1.244", "192.168.1.249", "192.168.1.254"}));
    // A fourth node: 244, 249 and 254 are taken, 259 is beyond the subnet.
    m_pDoc->AddOrUpdateNode(0, UNSET, Mac(9), true, "", "");
    m_ui.ExpectMessage("割り当て可能なIPｱﾄﾞﾚｽがありません");
    OperatorAsks("192.168.1.244", "5");
    Run();
    EXPECT_EQ(IpOf(3), "192.168.200.254");
    EXPECT_EQ(Sent().size(), 3u);
}

TEST_F(AutoAssign, TheLowByteSkipAppliesOnlyWhenSteppingPastATakenAddress) {
    m_pDoc->AddNetwork("WIDE", 0xFFFF0000u, 0x0A010001u);
    AddRows({"10.1.0.254", "", ""});
    OperatorAsks("10.1.0.254", "1"); // taken: .255 and 1.0 are skipped
    Run();
    EXPECT_EQ(Ips(), (std::vector<std::string>{"10.1.0.254", "10.1.1.1", "10.1.1.2"}));

    m_pDoc->AddNetwork("WIDE-2", 0xFFFF0000u, 0x0B010001u);
    AddRows({""});
    OperatorAsks("11.1.0.255", "1"); // the base itself is used as it is
    Run();
    EXPECT_EQ(Ips(), std::vector<std::string>{"11.1.0.255"});
}

TEST_F(AutoAssign, ContinueAfterASilentNodeOffersTheSameAddressToTheNext) {
    AddRows({"", "", ""});
    m_pNodes->SetResult(Mac(1), CNodeResponder::SILENT);
    OperatorAsks("192.168.1.10", "1");
    OperatorAnswersNoReply(Mac(1), IDC_NOREPLY_CONTINUE);
    uint32_t dwStart = m_clock.Now();
    Run();
    EXPECT_GE(m_clock.Now() - dwStart, 9000u); // Timeout_AutoSet
    EXPECT_EQ(OfferedIps(),
              (std::vector<std::string>{"192.168.1.10", "192.168.1.10", "192.168.1.11"}));
    EXPECT_EQ(Ips(), (std::vector<std::string>{"192.168.200.254", "192.168.1.10", "192.168.1.11"}));
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
}

TEST_F(AutoAssign, EndAfterASilentNodeTouchesNoFurtherNode) {
    AddRows({"", "", ""});
    m_pNodes->SetResult(Mac(2), CNodeResponder::SILENT);
    OperatorAsks("192.168.1.10", "1");
    OperatorAnswersNoReply(Mac(2), IDC_NOREPLY_END);
    Run();
    EXPECT_EQ(m_pNodes->RequestMacs(), (std::vector<std::string>{Mac(1), Mac(2)}));
    EXPECT_EQ(Ips(),
              (std::vector<std::string>{"192.168.1.10", "192.168.200.254", "192.168.200.254"}));
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ自動設定中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecEnable, (std::vector<bool>{false, true}));
}

TEST_F(AutoAssign, ARefusingNodeIsReportedOnceAndItsAddressGoesToTheNext) {
    AddRows({"", ""});
    m_pNodes->SetResult(Mac(1), 0x03);
    OperatorAsks("192.168.1.10", "1");
    m_ui.ExpectMessage("MRV-620から異常応答を受信しました\n"
                       "ｺﾏﾝﾄﾞｺｰﾄﾞ=0204\nMACｱﾄﾞﾚｽ=0080C8000001\n"
                       "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=00\n結果ｺｰﾄﾞ=03");
    Run();
    EXPECT_EQ(Ips(), (std::vector<std::string>{"192.168.200.254", "192.168.1.10"}));
    EXPECT_EQ(m_ui.m_vecMessages.size(), 1u);
}

TEST_F(AutoAssign, WithNoNodeWithoutAddressNothingIsSentButTheBaseIsStored) {
    AddRows({"192.168.1.10", "192.168.1.11"});
    OperatorAsks("192.168.1.30", "7");
    Run();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(m_pDoc->m_pCurNet->m_dwBaseIp, 0xC0A8011Eu);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_nIpIncrement, 7);
}

TEST_F(AutoAssign, ANodeFoundDuringAWaitIsSeenByTheNextPick) {
    // While the first node is awaited, a late search answer moves node 3 onto
    // 192.168.1.11: the second node must step past it.
    AddRows({"", "", "192.168.1.40"});
    bool bMoved = false;
    m_pNodes->OnRequest([&](const CMemoryDatagramSocket::SDatagram&) {
        if (!bMoved) {
            bMoved = true;
            m_pSocket->Inject(CNodeResponder::Reply(0x0201, Mac(3), 0, 0), "192.168.1.11", 65533);
        }
    });
    OperatorAsks("192.168.1.10", "1");
    Run();
    EXPECT_EQ(Ips(), (std::vector<std::string>{"192.168.1.10", "192.168.1.12", "192.168.1.11"}));
}
} // namespace
