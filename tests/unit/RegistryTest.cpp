#include "DocFixture.h"
#include "link/NodeProtocol.h"
#include "registry/OXParam.h"

#include <cstdio>

namespace {
constexpr uint32_t MASK_24 = 0xFFFFFF00u;
constexpr uint32_t GATEWAY = 0x0A000001u; // 10.0.0.1

std::string Mac(int n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0080C8%06X", n);
    return sz;
}

class Registry : public CDocFixture {
protected:
    void SetUp() override { MakeDoc(); }
    // View updates caused by f alone.
    template <typename F> int UpdatesOf(F f) {
        int nBefore = m_ui.m_nViewUpdates;
        f();
        return m_ui.m_nViewUpdates - nBefore;
    }
    std::vector<COXParam>& Nodes() { return m_pDoc->m_pCurNet->m_arrNodes; }
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
};
} // namespace

TEST_F(Registry, StartsWithoutNetworks) {
    EXPECT_EQ(m_pDoc->GetNetCount(), 0);
    EXPECT_EQ(m_pDoc->m_nCurNet, -1);
    EXPECT_EQ(m_pDoc->m_pCurNet, nullptr);
    EXPECT_EQ(m_pDoc->GetNode(0), nullptr);
    EXPECT_FALSE(m_pDoc->AddOrUpdateNode(0, 0x0A000002u, Mac(1), true, "S", "R"));
}

TEST_F(Registry, AddNetworkAppendsWithDefaultsAndMakesItCurrent) {
    EXPECT_EQ(UpdatesOf([&] { m_pDoc->AddNetwork("Lab", 0xFF00FF00u, GATEWAY); }), 1);
    ASSERT_EQ(m_pDoc->GetNetCount(), 1);
    EXPECT_EQ(m_pDoc->m_nCurNet, 0);
    ASSERT_EQ(m_pDoc->m_pCurNet, m_pDoc->m_arrNets[0].get());
    const CNetProperty& net = *m_pDoc->m_pCurNet;
    EXPECT_EQ(net.m_strName, "Lab");
    EXPECT_EQ(net.m_dwSubnetMask, 0xFF00FF00u);
    EXPECT_EQ(net.m_dwGateway, GATEWAY);
    EXPECT_EQ(net.m_dwBaseIp, 0xC0A8C8FEu);
    EXPECT_EQ(net.m_nIpIncrement, 1);
    EXPECT_EQ(net.GetNodeCount(), 0);

    EXPECT_EQ(UpdatesOf([&] { m_pDoc->AddNetwork("Office", MASK_24, GATEWAY); }), 1);
    EXPECT_EQ(m_pDoc->GetNetCount(), 2);
    EXPECT_EQ(m_pDoc->m_nCurNet, 1);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_strName, "Office");
}

TEST_F(Registry, DeletingTheOnlyNetworkLeavesNoneCurrent) {
    AddNets({"A"});
    m_pDoc->AddOrUpdateNode(0, 0x0A000002u, Mac(1), true, "", "");
    EXPECT_EQ(UpdatesOf([&] { m_pDoc->DeleteCurrentNetwork(); }), 1);
    EXPECT_EQ(m_pDoc->GetNetCount(), 0);
    EXPECT_EQ(m_pDoc->m_nCurNet, -1);
    EXPECT_EQ(m_pDoc->m_pCurNet, nullptr);
    EXPECT_EQ(m_pDoc->GetNode(0), nullptr);
}

TEST_F(Registry, DeletingTheCurrentNetworkMakesTheFirstRemainingCurrent) {
    AddNets({"A", "B", "C"});
    m_pDoc->SelectNetwork(NET_MENU_ID_BASE + 1); // B
    m_pDoc->DeleteCurrentNetwork();
    EXPECT_EQ(NetNames(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(m_pDoc->m_nCurNet, 0);
    ASSERT_NE(m_pDoc->m_pCurNet, nullptr);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_strName, "A");

    m_pDoc->DeleteCurrentNetwork(); // A, the first
    EXPECT_EQ(NetNames(), (std::vector<std::string>{"C"}));
    EXPECT_EQ(m_pDoc->m_pCurNet->m_strName, "C");
}

TEST_F(Registry, SelectNetworkFollowsTheMenuIdsOfTheCurrentOrder) {
    AddNets({"A", "B", "C"});
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_nMenuId, 12345u);
    EXPECT_EQ(m_pDoc->m_arrNets[2]->m_nMenuId, 12347u);

    EXPECT_EQ(UpdatesOf([&] { m_pDoc->SelectNetwork(12345); }), 1);
    EXPECT_EQ(m_pDoc->m_nCurNet, 0);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_strName, "A");

    m_pDoc->DeleteCurrentNetwork(); // B and C move up and are numbered again
    EXPECT_EQ(m_pDoc->m_arrNets[1]->m_nMenuId, 12346u);
    m_pDoc->SelectNetwork(12346);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_strName, "C");

    // An id that names no network changes nothing.
    m_pDoc->SelectNetwork(12347);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_strName, "C");
}

TEST_F(Registry, NodesBelongToTheCurrentNetwork) {
    AddNets({"A"});
    m_pDoc->AddOrUpdateNode(0, 0x0A000002u, Mac(1), true, "", "");
    AddNets({"B"});
    EXPECT_EQ(m_pDoc->GetNode(0), nullptr);
    m_pDoc->AddOrUpdateNode(0, 0x0A000003u, Mac(2), true, "", "");
    m_pDoc->SelectNetwork(NET_MENU_ID_BASE);
    ASSERT_NE(m_pDoc->GetNode(0), nullptr);
    EXPECT_EQ(m_pDoc->GetNode(0)->m_strMac, Mac(1));
    EXPECT_EQ(m_pDoc->GetNode(1), nullptr);
    EXPECT_EQ(m_pDoc->GetNode(-1), nullptr);
}

TEST_F(Registry, NewNodeIsAppendedWithOrWithoutDetails) {
    AddNets({"A"});
    EXPECT_EQ(UpdatesOf([&] {
                  EXPECT_TRUE(m_pDoc->AddOrUpdateNode(0, 0x0A000002u, "0080c8aabbcc", true, "SN-1",
                                                      "rack 3"));
              }),
              1);
    EXPECT_TRUE(m_pDoc->AddOrUpdateNode(0, 0x0A000003u, Mac(2), false, "SN-2", "ignored"));
    ASSERT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[0].m_nModel, 0);
    EXPECT_EQ(Nodes()[0].m_dwIp, 0x0A000002u);
    EXPECT_EQ(Nodes()[0].m_strMac, "0080c8aabbcc");
    EXPECT_EQ(Nodes()[0].m_strSerial, "SN-1");
    EXPECT_EQ(Nodes()[0].m_strRemarks, "rack 3");
    EXPECT_EQ(Nodes()[1].m_strSerial, "");
    EXPECT_EQ(Nodes()[1].m_strRemarks, "");
    EXPECT_EQ(m_pDoc->m_pCurNet->GetNodeCount(), 2);
}

TEST_F(Registry, KnownMacInAnyCaseUpdatesModelIpAndMacTextButKeepsDetails) {
    AddNets({"A"});
    m_pDoc->AddOrUpdateNode(0, 0x0A000002u, Mac(1), true, "", "");
    m_pDoc->AddOrUpdateNode(0, NODE_UNSET_IP, "0080c8aabbcc", true, "SN-1", "rack 3");
    // A search reply from the same node: its upper-case text wins, details stay.
    EXPECT_EQ(UpdatesOf([&] {
                  EXPECT_TRUE(
                      m_pDoc->AddOrUpdateNode(1, 0x0A000009u, "0080C8AABBCC", true, "", ""));
              }),
              1);
    ASSERT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[1].m_nModel, 1);
    EXPECT_EQ(Nodes()[1].m_dwIp, 0x0A000009u);
    EXPECT_EQ(Nodes()[1].m_strMac, "0080C8AABBCC");
    EXPECT_EQ(Nodes()[1].m_strSerial, "SN-1");
    EXPECT_EQ(Nodes()[1].m_strRemarks, "rack 3");
    // And back to lower case: the newest text always wins.
    m_pDoc->AddOrUpdateNode(0, 0x0A000009u, "0080c8AAbbCC", true, "", "");
    EXPECT_EQ(Nodes()[1].m_strMac, "0080c8AAbbCC");
    EXPECT_EQ(Nodes().size(), 2u);
}

TEST_F(Registry, AFullNetworkRefusesTheNextNewNodeButStillUpdatesKnownOnes) {
    AddNets({"A"});
    for (int n = 0; n < 1024; ++n) {
        ASSERT_TRUE(m_pDoc->AddOrUpdateNode(0, 0x0A000000u + n, Mac(n), true, "", ""));
    }
    EXPECT_EQ(m_pDoc->m_pCurNet->GetNodeCount(), 1024);
    EXPECT_FALSE(m_pDoc->AddOrUpdateNode(0, 0x0B000000u, Mac(1024), true, "", ""));
    EXPECT_EQ(m_pDoc->m_pCurNet->GetNodeCount(), 1024);
    EXPECT_EQ(Nodes().back().m_strMac, Mac(1023));
    EXPECT_TRUE(m_pDoc->AddOrUpdateNode(0, 0x0B000001u, Mac(5), true, "", ""));
    EXPECT_EQ(Nodes()[5].m_dwIp, 0x0B000001u);
    EXPECT_EQ(m_pDoc->m_pCurNet->GetNodeCount(), 1024);
}

TEST_F(Registry, DeleteNodeMovesTheFollowingNodesUp) {
    AddNets({"A"});
    for (int n = 0; n < 3; ++n) {
        m_pDoc->AddOrUpdateNode(0, 0x0A000002u + n, Mac(n), true, "", "");
    }
    EXPECT_EQ(UpdatesOf([&] { m_pDoc->DeleteNode(1); }), 1);
    ASSERT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[0].m_strMac, Mac(0));
    EXPECT_EQ(Nodes()[1].m_strMac, Mac(2));
    EXPECT_EQ(m_pDoc->m_pCurNet->GetNodeCount(), 2);
    m_pDoc->DeleteNode(2); // no such row
    m_pDoc->DeleteNode(-1);
    EXPECT_EQ(Nodes().size(), 2u);
}

TEST_F(Registry, UpdateNodeDetailsChangesOnlySerialAndRemarks) {
    AddNets({"A"});
    m_pDoc->AddOrUpdateNode(0, 0x0A000002u, Mac(1), true, "old", "old remark");
    EXPECT_EQ(UpdatesOf([&] { m_pDoc->UpdateNodeDetails(0, "SN-9", ""); }), 1);
    const COXParam& node = Nodes()[0];
    EXPECT_EQ(node.m_strSerial, "SN-9");
    EXPECT_EQ(node.m_strRemarks, "");
    EXPECT_EQ(node.m_strMac, Mac(1));
    EXPECT_EQ(node.m_dwIp, 0x0A000002u);
    EXPECT_EQ(node.m_nModel, 0);
}

TEST_F(Registry, SetAssignmentBaseStoresBaseAndTheIncrementsLowByte) {
    AddNets({"A", "B"});
    EXPECT_EQ(UpdatesOf([&] { m_pDoc->SetAssignmentBase(0xC0A8010Au, 0x105); }), 1);
    EXPECT_EQ(m_pDoc->m_arrNets[1]->m_dwBaseIp, 0xC0A8010Au);
    EXPECT_EQ(m_pDoc->m_arrNets[1]->m_nIpIncrement, 5);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_dwBaseIp, 0xC0A8C8FEu);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_nIpIncrement, 1);
}

TEST(HasAddress, FalseOnlyForTheFirstModelOnTheUnsetAddress) {
    COXParam node;
    node.m_nModel = 0;
    node.m_dwIp = 0xC0A8C8FEu;
    EXPECT_FALSE(HasAddress(node));
    node.m_dwIp = 0xC0A8C8FDu;
    EXPECT_TRUE(HasAddress(node));
    node.m_nModel = 1;
    node.m_dwIp = 0xC0A8C8FEu;
    EXPECT_TRUE(HasAddress(node));
}

TEST_F(Registry, ReplacingTheNodesAddsThemAsRegistrationWouldWithOneUpdate) {
    std::vector<COXParam> vecNodes;
    for (int i = 0; i < 1030; ++i) {
        COXParam node;
        node.m_strMac = Mac(i % 1026); // the last four repeat MACs of the first ones
        node.m_dwIp = 0x0A000000u + static_cast<uint32_t>(i);
        node.m_strSerial = "S" + std::to_string(i);
        vecNodes.push_back(node);
    }
    vecNodes[1027].m_strMac = "0080c8000001"; // a repeat in another case
    // Without a current network nothing happens.
    EXPECT_EQ(UpdatesOf([&] { m_pDoc->ReplaceCurrentNodes(vecNodes); }), 0);

    AddNets({"A"});
    m_pDoc->AddOrUpdateNode(0, 0x0A000002u, Mac(5000), true, "gone", "");
    EXPECT_EQ(UpdatesOf([&] { m_pDoc->ReplaceCurrentNodes(vecNodes); }), 1);
    // 1024 fit; Mac(1024) and Mac(1025) find no room; the repeats update.
    ASSERT_EQ(Nodes().size(), 1024u);
    EXPECT_EQ(Nodes()[0].m_strSerial, "S0");
    EXPECT_EQ(Nodes()[0].m_dwIp, 0x0A000000u + 1026u);
    EXPECT_EQ(Nodes()[1].m_strMac, "0080c8000001");
    EXPECT_EQ(Nodes()[1].m_dwIp, 0x0A000000u + 1027u);
    EXPECT_EQ(Nodes()[1].m_strSerial, "S1");
    EXPECT_EQ(Nodes()[1023].m_strMac, Mac(1023));
}

// Replies find their node through an index; every way the nodes change behind
// it must still lead a reply to the right row and never to a duplicate.
TEST_F(Registry, ARepliedMacFindsItsNodeAfterEveryKindOfChange) {
    AddNets({"Lab"});
    for (int i = 1; i <= 5; ++i) {
        m_pDoc->AddOrUpdateNode(0, 0x0A000000u + i, Mac(i), true, "", "");
    }
    m_pDoc->DeleteNode(1); // Mac(2) gone, the rest move up
    m_pDoc->AddOrUpdateNode(0, 0x0A000064u, Mac(4), false, "", "");
    ASSERT_EQ(Nodes().size(), 4u);
    EXPECT_EQ(Nodes()[2].m_strMac, Mac(4));
    EXPECT_EQ(Nodes()[2].m_dwIp, 0x0A000064u);

    // Re-ordered as a column sort does it.
    std::vector<COXParam> vecReversed(Nodes().rbegin(), Nodes().rend());
    m_pDoc->ReplaceCurrentNodes(vecReversed);
    m_pDoc->AddOrUpdateNode(0, 0x0A0000C8u, Mac(1), false, "", "");
    ASSERT_EQ(Nodes().size(), 4u);
    EXPECT_EQ(Nodes()[3].m_strMac, Mac(1));
    EXPECT_EQ(Nodes()[3].m_dwIp, 0x0A0000C8u);

    // A MAC edited in place; the editor announces it, as the list needs it to.
    Nodes()[0].m_strMac = "00AABBCCDDEE";
    m_pDoc->UpdateAllViews();
    m_pDoc->AddOrUpdateNode(0, 0x0A0000C9u, "00aabbccddee", false, "", "");
    ASSERT_EQ(Nodes().size(), 4u);
    EXPECT_EQ(Nodes()[0].m_dwIp, 0x0A0000C9u);
    EXPECT_EQ(Nodes()[0].m_strMac, "00aabbccddee");
    m_pDoc->AddOrUpdateNode(0, 0x0A0000CAu, Mac(5), false, "", "");
    EXPECT_EQ(Nodes().size(), 5u) << "the MAC replaced in place is not registered any more";

    m_pDoc->ClearCurrentNodes();
    m_pDoc->AddOrUpdateNode(0, 0x0A000001u, Mac(1), false, "", "");
    ASSERT_EQ(Nodes().size(), 1u);
}

TEST_F(Registry, AReplyUpdatesTheFirstOfTwoNodesWithTheSameMacInEachNetwork) {
    AddNets({"A"});
    // A data file may hold the same MAC twice; the first row is the one updated.
    Nodes().push_back(COXParam{0, "first", Mac(7), 0x0A000001u, ""});
    Nodes().push_back(COXParam{0, "second", Mac(7), 0x0A000002u, ""});
    m_pDoc->AddOrUpdateNode(0, 0x0A000063u, Mac(7), false, "", "");
    EXPECT_EQ(Nodes()[0].m_dwIp, 0x0A000063u);
    EXPECT_EQ(Nodes()[1].m_dwIp, 0x0A000002u);

    AddNets({"B"}); // now current, and empty: the index of A must not answer for it
    m_pDoc->AddOrUpdateNode(0, 0x0A000064u, Mac(7), false, "", "");
    ASSERT_EQ(Nodes().size(), 1u);
    m_pDoc->SelectNetwork(NET_MENU_ID_BASE);
    m_pDoc->AddOrUpdateNode(0, 0x0A000065u, Mac(7), false, "", "");
    EXPECT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[0].m_dwIp, 0x0A000065u);
}
