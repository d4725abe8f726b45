#include "ops/RegistryCommands.h"
#include "DocFixture.h"
#include "app/CommandTable.h"
#include "ops/NetworkDlg.h"
#include "ops/NodeDlg.h"
#include "params/ParamFile.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <string>
#include <vector>

using testing::ElementsAre;

namespace {
constexpr uint32_t MASK_24 = 0xFFFFFF00u;
constexpr uint32_t GATEWAY = 0x0A000001u;

std::string Mac(int n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0080C8%06X", n);
    return sz;
}

class RegistryCommands : public CDocFixture {
protected:
    void SetUp() override { MakeDoc(); }

    // Runs a command through its row of the table, as the menus do.
    void Run(int nId, int nSelected = -1) {
        const SCommand* pCommand = FindCommand(nId);
        ASSERT_NE(pCommand, nullptr);
        ASSERT_TRUE(pCommand->fnHandler) << nId << " is not connected";
        CParamFile paramFile;
        SCommandContext ctx{*m_pDoc, paramFile, nSelected};
        pCommand->fnHandler(ctx);
    }
    void AddNets(std::initializer_list<const char*> names) {
        for (const char* psz : names) {
            m_pDoc->AddNetwork(psz, MASK_24, GATEWAY);
        }
    }
    std::vector<std::string> NetNames() const {
        std::vector<std::string> vec;
        for (const auto& pNet : m_pDoc->m_arrNets) {
            vec.push_back(pNet->m_strName);
        }
        return vec;
    }
    std::vector<COXParam>& Nodes() { return m_pDoc->m_pCurNet->m_arrNodes; }
    // The command ran in its status scope: its text, then "ﾚﾃﾞｨ", with the
    // main window disabled meanwhile.
    void ExpectBusyScope(const std::string& strText) {
        EXPECT_THAT(m_ui.m_vecStatus, ElementsAre(strText, "ﾚﾃﾞｨ"));
        EXPECT_THAT(m_ui.m_vecEnable, ElementsAre(false, true));
    }
};
} // namespace

// ---------------------------------------------------------------- networks

TEST_F(RegistryCommands, NewNetworkAddsTheTypedNetworkAndMakesItCurrent) {
    AddNets({"Lab"});
    m_ui.ExpectDialog("CNetworkDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "ﾈｯﾄﾜｰｸの新規登録");
        EXPECT_EQ(dlg.GetText(IDC_NET_MASK), "255.255.255.0");
        EXPECT_EQ(dlg.GetText(IDC_NET_GATEWAY), "2.2.2.2");
        Type(dlg, ui, IDC_NET_NAME, "Lab");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "ﾈｯﾄﾜｰｸ名が重複しています", IDC_NET_NAME);
        Type(dlg, ui, IDC_NET_NAME, "\x83\x89\x83\x7B"); // "ラボ", CP932 from the view
        Type(dlg, ui, IDC_NET_MASK, "255.255.0.0");
        Type(dlg, ui, IDC_NET_GATEWAY, "172.16.0.1");
        return Press(dlg, ui, DIALOG_OK);
    });
    Run(32787);
    ExpectBusyScope("ﾈｯﾄﾜｰｸ登録中");
    ASSERT_EQ(m_pDoc->GetNetCount(), 2);
    EXPECT_EQ(m_pDoc->m_nCurNet, 1);
    const CNetProperty& net = *m_pDoc->m_arrNets[1];
    EXPECT_EQ(net.m_strName, "\x83\x89\x83\x7B");
    EXPECT_EQ(net.m_dwSubnetMask, 0xFFFF0000u);
    EXPECT_EQ(net.m_dwGateway, 0xAC100001u);
    EXPECT_EQ(net.m_dwBaseIp, 0xC0A8C8FEu);
    EXPECT_EQ(net.m_nIpIncrement, 1);
}

TEST_F(RegistryCommands, NewNetworkCancelledChangesNothing) {
    AddNets({"Lab"});
    int nUpdates = m_ui.m_nViewUpdates;
    m_ui.ExpectDialog("CNetworkDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_NET_NAME, "Other");
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    RegisterNetwork(*m_pDoc, -1);
    EXPECT_THAT(NetNames(), ElementsAre("Lab"));
    EXPECT_EQ(m_pDoc->m_nCurNet, 0);
    EXPECT_EQ(m_ui.m_nViewUpdates, nUpdates);
}

TEST_F(RegistryCommands, NetworkPropertiesShowTheCurrentNetworkAndChangeNothing) {
    AddNets({"Lab", "Office"});
    m_pDoc->m_arrNets[1]->m_dwSubnetMask = 0xFFFF0000u;
    int nUpdates = m_ui.m_nViewUpdates;
    m_ui.ExpectDialog("CNetworkDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "ﾈｯﾄﾜｰｸ設定の確認");
        EXPECT_EQ(dlg.GetText(IDC_NET_NAME), "Office");
        EXPECT_EQ(dlg.GetText(IDC_NET_MASK), "255.255.0.0");
        EXPECT_EQ(dlg.GetText(IDC_NET_GATEWAY), "10.0.0.1");
        EXPECT_FALSE(dlg.IsEnabled(IDC_NET_NAME));
        // The name is registered already: the view accepts it anyway.
        return Press(dlg, ui, DIALOG_OK);
    });
    Run(32772);
    ExpectBusyScope("ﾈｯﾄﾜｰｸ設定表示中");
    EXPECT_THAT(NetNames(), ElementsAre("Lab", "Office"));
    EXPECT_EQ(m_pDoc->m_arrNets[1]->m_dwSubnetMask, 0xFFFF0000u);
    EXPECT_EQ(m_ui.m_nViewUpdates, nUpdates);
}

TEST_F(RegistryCommands, DeleteNetworkAsksAndNoKeepsIt) {
    AddNets({"Lab"});
    m_ui.ExpectMessage(
            "現在のﾈｯﾄﾜｰｸ設定を削除します。\nMRV-620の登録情報も失われます。\nよろしいですか?",
            EMsgAnswer::No)
        .WithButtons(EMsgButtons::YesNo)
        .WithIcon(EMsgIcon::Question);
    Run(32788);
    ExpectBusyScope("ﾈｯﾄﾜｰｸ削除中");
    EXPECT_THAT(NetNames(), ElementsAre("Lab"));
    EXPECT_EQ(m_pDoc->m_nCurNet, 0);
}

TEST_F(RegistryCommands, DeletingTheCurrentNetworkMakesTheFirstRemainingOneCurrent) {
    AddNets({"A", "B", "C"});
    m_pDoc->SelectNetwork(12345 + 1);
    m_pDoc->AddOrUpdateNode(0, 0x0A000002u, Mac(1), true, "", "");
    m_ui.ExpectMessage(
        "現在のﾈｯﾄﾜｰｸ設定を削除します。\nMRV-620の登録情報も失われます。\nよろしいですか?",
        EMsgAnswer::Yes);
    Run(32788);
    EXPECT_THAT(NetNames(), ElementsAre("A", "C"));
    EXPECT_EQ(m_pDoc->m_nCurNet, 0);
    ASSERT_NE(m_pDoc->m_pCurNet, nullptr);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_strName, "A");
    // The menu entries follow the new positions.
    EXPECT_EQ(m_pDoc->m_arrNets[1]->m_nMenuId, 12346u);

    // The last one gone: no network.
    for (int i = 0; i < 2; ++i) {
        m_ui.ExpectMessageThat(testing::HasSubstr("よろしいですか?"), EMsgAnswer::Yes);
        DeleteNetwork(*m_pDoc, -1);
    }
    EXPECT_EQ(m_pDoc->GetNetCount(), 0);
    EXPECT_EQ(m_pDoc->m_nCurNet, -1);
}

TEST_F(RegistryCommands, NetworkCommandsWithoutANetworkDoNothing) {
    ShowNetworkProperties(*m_pDoc, -1);
    DeleteNetwork(*m_pDoc, -1);
    RegisterNode(*m_pDoc, -1);
    EXPECT_TRUE(m_ui.m_vecDialogs.empty());
    EXPECT_TRUE(m_ui.m_vecStatus.empty());
}

// ---------------------------------------------------------------- nodes

TEST_F(RegistryCommands, NewNodeJoinsTheCurrentNetworkWithItsDetails) {
    AddNetworkWithNodes({{Mac(1), 0x0A000002u}});
    m_ui.ExpectDialog("CNodeDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "ﾉｰﾄﾞ新規登録");
        EXPECT_EQ(dlg.GetText(IDC_NODE_NET_NAME), "NET");
        EXPECT_FALSE(dlg.IsEnabled(IDC_NODE_NET_NAME));
        EXPECT_EQ(dlg.GetInt(IDC_NODE_MODEL), 0);
        EXPECT_EQ(dlg.GetText(IDC_NODE_IP), "192.168.200.254");
        Type(dlg, ui, IDC_NODE_MAC, "0080c8000001");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "MACｱﾄﾞﾚｽは既に使用されています", IDC_NODE_MAC);
        Type(dlg, ui, IDC_NODE_MAC, "0080c8abcdef");
        EXPECT_EQ(dlg.GetText(IDC_NODE_MAC), "0080C8ABCDEF");
        Type(dlg, ui, IDC_NODE_IP, "10.0.0.2");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "IPｱﾄﾞﾚｽは既に使用されています", IDC_NODE_IP);
        Type(dlg, ui, IDC_NODE_IP, "10.0.0.3");
        Type(dlg, ui, IDC_NODE_SERIAL, "SN-2");
        Type(dlg, ui, IDC_NODE_REMARKS, "rack 4");
        return Press(dlg, ui, DIALOG_OK);
    });
    Run(32789);
    ExpectBusyScope("ﾉｰﾄﾞ新規登録中");
    ASSERT_EQ(Nodes().size(), 2u);
    const COXParam& node = Nodes()[1];
    EXPECT_EQ(node.m_nModel, 0);
    EXPECT_EQ(node.m_strMac, "0080C8ABCDEF");
    EXPECT_EQ(node.m_dwIp, 0x0A000003u);
    EXPECT_EQ(node.m_strSerial, "SN-2");
    EXPECT_EQ(node.m_strRemarks, "rack 4");
}

TEST_F(RegistryCommands, NewNodeCancelledChangesNothing) {
    AddNetworkWithNodes({{Mac(1), 0x0A000002u}});
    int nUpdates = m_ui.m_nViewUpdates;
    m_ui.ExpectDialog("CNodeDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_NODE_MAC, "0080C8ABCDEF");
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    RegisterNode(*m_pDoc, 0);
    EXPECT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(m_ui.m_nViewUpdates, nUpdates);
}

TEST_F(RegistryCommands, The1025thNodeTypedInIsRefusedWithAMessage) {
    std::vector<std::pair<std::string, uint32_t>> vecNodes;
    for (int i = 0; i < 1024; ++i) {
        vecNodes.push_back({Mac(i), 0xC0A8C8FEu});
    }
    AddNetworkWithNodes(vecNodes);
    m_ui.ExpectDialog("CNodeDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_NODE_MAC, "0080C8FFFFFF");
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectMessage(
        "このﾈｯﾄﾜｰｸには既に1024台のﾉｰﾄﾞが登録されているため、これ以上登録できません");
    RegisterNode(*m_pDoc, -1);
    EXPECT_EQ(Nodes().size(), 1024u);
    EXPECT_EQ(Nodes().back().m_strMac, Mac(1023));
}

TEST_F(RegistryCommands, NodePropertiesChangeOnlySerialAndRemarks) {
    AddNetworkWithNodes({{Mac(1), 0x0A000002u}, {Mac(2), 0x0A000003u}});
    m_pDoc->UpdateNodeDetails(1, "SN", "old");
    m_ui.ExpectDialog("CNodeDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "ﾉｰﾄﾞのﾌﾟﾛﾊﾟﾃｨ");
        EXPECT_EQ(dlg.GetText(IDC_NODE_MAC), "0080C8000002");
        EXPECT_EQ(dlg.GetText(IDC_NODE_IP), "10.0.0.3");
        EXPECT_EQ(dlg.GetText(IDC_NODE_SERIAL), "SN");
        EXPECT_FALSE(dlg.IsEnabled(IDC_NODE_MAC));
        Type(dlg, ui, IDC_NODE_SERIAL, "SN-9");
        Type(dlg, ui, IDC_NODE_REMARKS, "new");
        return Press(dlg, ui, DIALOG_OK);
    });
    Run(32793, 1);
    ExpectBusyScope("ﾉｰﾄﾞ設定表示中");
    EXPECT_EQ(Nodes()[1].m_strSerial, "SN-9");
    EXPECT_EQ(Nodes()[1].m_strRemarks, "new");
    EXPECT_EQ(Nodes()[1].m_strMac, Mac(2));
    EXPECT_EQ(Nodes()[1].m_dwIp, 0x0A000003u);
    EXPECT_EQ(Nodes()[0].m_strSerial, "");
}

TEST_F(RegistryCommands, NodePropertiesCancelledChangeNothing) {
    AddNetworkWithNodes({{Mac(1), 0x0A000002u}});
    m_ui.ExpectDialog("CNodeDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_NODE_SERIAL, "SN-9");
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    ShowNodeProperties(*m_pDoc, 0);
    EXPECT_EQ(Nodes()[0].m_strSerial, "");
    // Without a selected row there is nothing to show.
    ShowNodeProperties(*m_pDoc, -1);
    ShowNodeProperties(*m_pDoc, 1);
    EXPECT_EQ(m_ui.m_vecDialogs.size(), 1u);
}

TEST_F(RegistryCommands, DeleteNodeRemovesTheSelectedNodeAtOnce) {
    AddNetworkWithNodes({{Mac(1), 0x0A000002u}, {Mac(2), 0x0A000003u}, {Mac(3), 0x0A000004u}});
    Run(32790, 1);
    ExpectBusyScope("ﾉｰﾄﾞ削除中");
    ASSERT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[0].m_strMac, Mac(1));
    EXPECT_EQ(Nodes()[1].m_strMac, Mac(3));
    // No row, or a row past the end: nothing.
    DeleteSelectedNode(*m_pDoc, -1);
    DeleteSelectedNode(*m_pDoc, 2);
    EXPECT_EQ(Nodes().size(), 2u);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}
