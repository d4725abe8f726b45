// The broadcast through every interface, the interface choice, and the marks
// of registered nodes that stay silent: on the in-memory socket with a
// scripted interface list.
#include "DocFixture.h"
#include "ScratchDir.h"
#include "ScriptedInterfaces.h"
#include "SearchReplies.h"
#include "app/NodeListModel.h"
#include "ops/NodeSearch.h"
#include "ops/SearchInterface.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/PosixDatagramSocket.h"

namespace {
uint32_t NodeIp(uint32_t nNode) {
    return 0x0A010001u + nNode;
}
std::string NodeIpText(uint32_t nNode) {
    return "10.1.0." + std::to_string(nNode + 1);
}

// 2026/12/08 09:00:00 UTC.
constexpr int64_t WALL_START = 1796720400;

class Discovery : public CDocFixture {
protected:
    void SetUp() override {
        // Tooltip times are read in the time zone; pin it.
        setenv("TZ", "UTC", 1);
        tzset();
        m_clock.SetWallTime(WALL_START);
        m_pList = std::make_shared<std::vector<SNetInterface>>(std::vector<SNetInterface>{
            MakeInterface("lo", 1, 0x7F000001u, true, true, false),
            MakeInterface("eth0", 2, 0xC0A80105u),
            MakeInterface("wlan0", 3, 0x0A000007u),
            MakeInterface("docker0", 4, 0xAC110001u, false),
        });
    }
    void MakeDocWithInterfaces() {
        MakeDoc();
        auto pSource = std::make_unique<CScriptedInterfaces>(m_pList);
        m_pSource = pSource.get();
        m_pDoc->GetSocket().SetInterfaceSource(std::move(pSource));
    }
    // Node n answers every probe that goes out through one of its interfaces,
    // once per copy, so a node on two interfaces answers twice.
    void AnswerThrough(const std::map<uint32_t, std::vector<unsigned>>& mapNodeIfs) {
        m_pSocket->SetSendHook([this, mapNodeIfs](const CMemoryDatagramSocket::SDatagram& dg) {
            m_vecSendTimes.push_back(m_clock.Now());
            if (dg.dwIp != 0xFFFFFFFFu || dg.vecData.size() < 4 || dg.vecData[3] != 0x01) {
                return;
            }
            for (const auto& [nNode, vecIfs] : mapNodeIfs) {
                for (unsigned nIf : vecIfs) {
                    if (nIf == dg.nIfIndex) {
                        m_pSocket->Inject(SearchReply(nNode), NodeIpText(nNode), 65533, nIf);
                    }
                }
            }
        });
    }
    std::vector<COXParam>& Nodes() { return m_pDoc->m_pCurNet->m_arrNodes; }
    void RegisterNodes(uint32_t nCount) {
        m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
        for (uint32_t n = 0; n < nCount; ++n) {
            m_pDoc->AddOrUpdateNode(0, NodeIp(n), NodeMac(n), true, "SN" + std::to_string(n), "");
        }
    }
    std::vector<bool> SilentRows() {
        CNodeListModel model;
        model.Rebuild(*m_pDoc);
        std::vector<bool> vec;
        for (size_t i = 0; i < model.GetRowCount(); ++i) {
            vec.push_back(model.IsSilent(i));
        }
        return vec;
    }
    std::string ToolTip(size_t nRow) {
        CNodeListModel model;
        model.Rebuild(*m_pDoc);
        return model.GetToolTip(nRow);
    }

    CScratchDir m_dir; // outlives the document, which saves on closing
    std::shared_ptr<std::vector<SNetInterface>> m_pList;
    CScriptedInterfaces* m_pSource = nullptr;
    std::vector<uint32_t> m_vecSendTimes;
};
} // namespace

TEST(NetInterfaces, OnlyUpNonLoopbackBroadcastInterfacesCountOnceEach) {
    std::vector<SNetInterface> vecAll{
        MakeInterface("lo", 1, 0x7F000001u, true, true, true),
        MakeInterface("eth0", 2, 0xC0A80105u),
        MakeInterface("eth0", 2, 0xC0A80106u), // a second address of eth0
        MakeInterface("tun0", 5, 0x0A080001u, true, false, false),
        MakeInterface("eth1", 6, 0x0A3F0001u, false),
        MakeInterface("wlan0", 3, 0x0A000007u),
        MakeInterface("odd", 0, 0x0A090001u), // no index: cannot be chosen
    };
    std::vector<SNetInterface> vec = SelectBroadcastInterfaces(vecAll);
    ASSERT_EQ(vec.size(), 2u);
    EXPECT_EQ(vec[0].strName, "eth0");
    EXPECT_EQ(vec[0].dwAddr, 0xC0A80105u);
    EXPECT_EQ(vec[1].strName, "wlan0");
    EXPECT_TRUE(SelectBroadcastInterfaces({}).empty());
}

TEST(NetInterfaces, TheSystemListNamesTheLoopbackAsSuch) {
    // Reading the list sends nothing.
    CSystemInterfaceSource source;
    std::vector<SNetInterface> vecAll = source.ListInterfaces();
    bool bLoopback = false;
    for (const SNetInterface& itf : vecAll) {
        if (itf.strName == "lo") {
            bLoopback = itf.bLoopback && itf.dwAddr == 0x7F000001u && itf.nIndex != 0;
        }
    }
    EXPECT_TRUE(bLoopback);
    for (const SNetInterface& itf : SelectBroadcastInterfaces(vecAll)) {
        EXPECT_NE(itf.strName, "lo");
    }
}

TEST(NetInterfaces, AReplyTellsTheInterfaceItCameInOn) {
    // Loopback only: a plain socket sends to the endpoint's port on 127.0.0.1.
    int fdProbe = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fdProbe, 0);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLen = sizeof sin;
    ASSERT_EQ(bind(fdProbe, reinterpret_cast<sockaddr*>(&sin), sizeof sin), 0);
    ASSERT_EQ(getsockname(fdProbe, reinterpret_cast<sockaddr*>(&sin), &nLen), 0);
    uint16_t wPort = ntohs(sin.sin_port);
    close(fdProbe); // the port is free again for the endpoint

    CPosixDatagramSocket endpoint;
    ASSERT_TRUE(endpoint.Bind(wPort));
    CPosixDatagramSocket sender;
    ASSERT_TRUE(sender.Bind(0));
    const char szData[] = "ping";
    unsigned nLo = if_nametoindex("lo");
    ASSERT_EQ(sender.SendThrough(szData, 4, 0x7F000001u, wPort, nLo), 4);
    pollfd pfd{endpoint.GetDescriptor(), POLLIN, 0};
    ASSERT_EQ(poll(&pfd, 1, 2000), 1);
    char abBuf[16] = {};
    std::string strAddr;
    uint16_t wFrom = 0;
    ASSERT_EQ(endpoint.ReceiveFrom(abBuf, sizeof abBuf, strAddr, wFrom), 4);
    EXPECT_EQ(std::string(abBuf, 4), "ping");
    EXPECT_EQ(strAddr, "127.0.0.1");
    EXPECT_EQ(endpoint.GetLastInterface(), nLo);
}

// A burst read in batches: every datagram once, in order, each with its own
// sender, port, interface and length, cut to the room given, across batch edges.
TEST(NetInterfaces, ABurstIsReadInOrderAcrossBatches) {
    CPosixDatagramSocket endpoint;
    ASSERT_TRUE(endpoint.Bind(0));
    sockaddr_in sin{};
    socklen_t nLen = sizeof sin;
    ASSERT_EQ(getsockname(endpoint.GetDescriptor(), reinterpret_cast<sockaddr*>(&sin), &nLen), 0);
    uint16_t wPort = ntohs(sin.sin_port);
    CPosixDatagramSocket sender;
    ASSERT_TRUE(sender.Bind(0));
    constexpr int COUNT = 150; // more than two batches
    for (int i = 0; i < COUNT; ++i) {
        std::string strData =
            "reply " + std::to_string(i) + std::string(static_cast<size_t>(i), 'x');
        ASSERT_EQ(sender.SendTo(strData.data(), strData.size(), 0x7F000001u, wPort),
                  static_cast<int>(strData.size()));
    }
    std::deque<SDatagram> queue;
    queue.push_back(SDatagram{{1, 2}, "kept", 7, 0}); // what was queued stays first
    size_t nTotal = 0;
    // Loopback delivers at once; a few reads at most gather all of them.
    for (int nTry = 0; nTry < 100 && nTotal < COUNT; ++nTry) {
        nTotal += endpoint.ReceiveMany(queue, COUNT - nTotal, 100);
    }
    ASSERT_EQ(nTotal, static_cast<size_t>(COUNT));
    ASSERT_EQ(queue.size(), static_cast<size_t>(COUNT) + 1);
    EXPECT_EQ(queue[0].strAddr, "kept");
    unsigned nLo = if_nametoindex("lo");
    for (int i = 0; i < COUNT; ++i) {
        const SDatagram& dgram = queue[static_cast<size_t>(i) + 1];
        std::string strData =
            "reply " + std::to_string(i) + std::string(static_cast<size_t>(i), 'x');
        EXPECT_EQ(std::string(dgram.vecData.begin(), dgram.vecData.end()), strData.substr(0, 100))
            << "datagram " << i;
        EXPECT_EQ(dgram.strAddr, "127.0.0.1");
        EXPECT_NE(dgram.wPort, 0);
        EXPECT_EQ(dgram.nIfIndex, nLo);
    }
    // Nothing left: no datagram, and a limit of 0 reads nothing.
    EXPECT_EQ(endpoint.ReceiveMany(queue, 10, 100), 0u);
    EXPECT_EQ(endpoint.ReceiveMany(queue, 0, 100), 0u);
}

TEST_F(Discovery, EachProbeLeavesOnceThroughEveryInterfaceInTheSameSlot) {
    MakeDocWithInterfaces();
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    AnswerThrough({});
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Sent().size(), 32u);
    for (size_t i = 0; i < 16; ++i) {
        const auto& dgEth = Sent()[2 * i];
        const auto& dgWlan = Sent()[2 * i + 1];
        EXPECT_EQ(dgEth.nIfIndex, 2u);
        EXPECT_EQ(dgWlan.nIfIndex, 3u);
        EXPECT_EQ(dgEth.dwIp, 0xFFFFFFFFu);
        EXPECT_EQ(dgWlan.dwIp, 0xFFFFFFFFu);
        EXPECT_EQ(dgEth.wPort, 65533);
        EXPECT_EQ(dgEth.vecData, dgWlan.vecData);
        // The probe's MAC field: 00 00 i 00 00 0F.
        ASSERT_GE(dgEth.vecData.size(), 10u);
        EXPECT_EQ(dgEth.vecData[6], i);
        // Both copies in one slot; more than 50 ms to the next probe.
        EXPECT_EQ(m_vecSendTimes[2 * i], m_vecSendTimes[2 * i + 1]);
        if (i > 0) {
            EXPECT_GE(m_vecSendTimes[2 * i] - m_vecSendTimes[2 * i - 1], 51u);
        }
    }
}

TEST_F(Discovery, UnicastGoesByRouteAndOtherBroadcastsGoEverywhere) {
    MakeDocWithInterfaces();
    RegisterNodes(1);
    m_pDoc->SendGetParam(0, 1);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].dwIp, NodeIp(0));
    EXPECT_EQ(Sent()[0].nIfIndex, 0u);
    m_pSocket->ClearSent();
    m_pDoc->SendInitialize(0, 0);
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(Sent()[0].nIfIndex, 2u);
    EXPECT_EQ(Sent()[1].nIfIndex, 3u);
    EXPECT_EQ(Sent()[1].dwIp, 0xFFFFFFFFu);
}

TEST_F(Discovery, WithoutInterfaceListOrBroadcastInterfaceTheRouteDecides) {
    MakeDoc(); // no interface source: as before, one copy by route
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Sent().size(), 16u);
    EXPECT_EQ(Sent()[0].nIfIndex, 0u);

    MakeDocWithInterfaces();
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    *m_pList = {MakeInterface("lo", 1, 0x7F000001u, true, true, false)};
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Sent().size(), 16u);
    EXPECT_EQ(Sent()[15].nIfIndex, 0u);
}

TEST_F(Discovery, ANodeHeardOnTwoInterfacesStaysOneUnchangedRow) {
    m_strDataPath = m_dir.File("mrvmgr.dat");
    // Once through one interface only.
    MakeDocWithInterfaces();
    RegisterNodes(0);
    AnswerThrough({{0, {2}}, {1, {3}}});
    SearchNodes(*m_pDoc);
    ASSERT_EQ(m_pDoc->SaveDocument(), 0);
    std::string strOnce = CScratchDir::Read(m_strDataPath);

    // Node 0 now heard on both interfaces: two replies to each probe.
    MakeDocWithInterfaces(); // loads the file saved above
    m_ui.m_vecStatus.clear();
    AnswerThrough({{0, {2, 3}}, {1, {3}}});
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Nodes().size(), 2u);
    EXPECT_EQ(Nodes()[0].m_strMac, NodeMac(0));
    EXPECT_EQ(Nodes()[1].m_strMac, NodeMac(1));
    // The first interface that brought its answer is the one remembered.
    ASSERT_NE(m_pDoc->m_contacts.Find(NodeMac(0)), nullptr);
    EXPECT_EQ(m_pDoc->m_contacts.Find(NodeMac(0))->strInterface, "eth0");
    EXPECT_EQ(m_pDoc->m_contacts.Find(NodeMac(1))->strInterface, "wlan0");
    EXPECT_EQ(m_ui.m_vecCounts.back(), "応答 2 / 登録 2 / 無応答 0");
    ASSERT_EQ(m_pDoc->SaveDocument(), 0);
    EXPECT_EQ(CScratchDir::Read(m_strDataPath), strOnce);
}

TEST_F(Discovery, ARestrictionSendsThroughThatInterfaceOnly) {
    MakeDocWithInterfaces();
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    ASSERT_TRUE(SetSearchInterface(*m_pDoc, "wlan0"));
    EXPECT_EQ(GetSearchInterface(*m_pDoc), "wlan0");
    AnswerThrough({{0, {2}}, {1, {3}}});
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Sent().size(), 16u);
    for (const auto& dg : Sent()) {
        EXPECT_EQ(dg.nIfIndex, 3u);
    }
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(Nodes()[0].m_strMac, NodeMac(1));
    // Back to all.
    ASSERT_TRUE(SetSearchInterface(*m_pDoc, ""));
    m_pSocket->ClearSent();
    SearchNodes(*m_pDoc);
    EXPECT_EQ(Sent().size(), 32u);
    EXPECT_EQ(Nodes().size(), 2u);
}

TEST_F(Discovery, AnUnknownOrDownInterfaceCannotBeChosen) {
    MakeDocWithInterfaces();
    std::vector<std::string> vecSaved;
    m_pDoc->GetSocket().SetInterfaceChoiceSink(
        [&](const std::string& strName) { vecSaved.push_back(strName); });
    EXPECT_FALSE(SetSearchInterface(*m_pDoc, "wlan9"));
    EXPECT_FALSE(SetSearchInterface(*m_pDoc, "docker0"));
    EXPECT_FALSE(SetSearchInterface(*m_pDoc, "lo"));
    EXPECT_EQ(GetSearchInterface(*m_pDoc), "");
    EXPECT_TRUE(SetSearchInterface(*m_pDoc, "eth0"));
    EXPECT_TRUE(SetSearchInterface(*m_pDoc, "eth0"));
    EXPECT_TRUE(SetSearchInterface(*m_pDoc, ""));
    // Each change reaches the per-user store once.
    EXPECT_EQ(vecSaved, (std::vector<std::string>{"eth0", ""}));
}

TEST_F(Discovery, AVanishedInterfaceFallsBackToAllWithOneNotice) {
    MakeDocWithInterfaces();
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    ASSERT_TRUE(SetSearchInterface(*m_pDoc, "wlan0"));
    // The adapter is pulled out.
    m_pList->erase(m_pList->begin() + 2);
    m_ui.ExpectMessage("ｲﾝﾀｰﾌｪｰｽ wlan0 が見つかりません。\nすべてのｲﾝﾀｰﾌｪｰｽから送信します。");
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Sent().size(), 16u); // eth0 is all there is now
    EXPECT_EQ(Sent()[0].nIfIndex, 2u);
    // The choice stays; a second search says nothing again.
    EXPECT_EQ(GetSearchInterface(*m_pDoc), "wlan0");
    m_pSocket->ClearSent();
    SearchNodes(*m_pDoc);
    EXPECT_EQ(Sent().size(), 16u);
    m_ui.VerifyAllConsumed();
    // Back again: only through it; gone again: told again.
    m_pList->push_back(MakeInterface("wlan0", 3, 0x0A000007u));
    m_pSocket->ClearSent();
    SearchNodes(*m_pDoc);
    ASSERT_EQ(Sent().size(), 16u);
    EXPECT_EQ(Sent()[0].nIfIndex, 3u);
    m_pList->pop_back();
    m_ui.ExpectMessage("ｲﾝﾀｰﾌｪｰｽ wlan0 が見つかりません。\nすべてのｲﾝﾀｰﾌｪｰｽから送信します。");
    SearchNodes(*m_pDoc);
}

TEST_F(Discovery, SilentNodesAreMarkedUntilTheyAnswerAgain) {
    m_strDataPath = m_dir.File("mrvmgr.dat");
    MakeDocWithInterfaces();
    RegisterNodes(4);
    ASSERT_EQ(m_pDoc->SaveDocument(), 0);
    std::string strBefore = CScratchDir::Read(m_strDataPath);

    // Nodes 1 and 3 stay quiet.
    AnswerThrough({{0, {2}}, {2, {3}}});
    SearchNodes(*m_pDoc);
    EXPECT_EQ(SilentRows(), (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ検索中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecCounts, (std::vector<std::string>{"応答 2 / 登録 4 / 無応答 2"}));
    EXPECT_EQ(ToolTip(1), "前回の検索に応答しませんでした\n起動後の応答はありません");
    EXPECT_EQ(ToolTip(0), "");
    // The marks live in memory only: the data file is the same, byte for byte.
    ASSERT_EQ(m_pDoc->SaveDocument(), 0);
    EXPECT_EQ(CScratchDir::Read(m_strDataPath), strBefore);

    // Everybody answers an hour later: the marks go.
    m_clock.SetWallTime(WALL_START + 3600);
    AnswerThrough({{0, {2}}, {1, {2}}, {2, {3}}, {3, {3}}});
    SearchNodes(*m_pDoc);
    EXPECT_EQ(SilentRows(), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(m_ui.m_vecCounts.back(), "応答 4 / 登録 4 / 無応答 0");

    // Node 3 goes quiet: its tooltip says when and where it last answered.
    m_clock.SetWallTime(WALL_START + 7200);
    AnswerThrough({{0, {2}}, {1, {2}}, {2, {3}}});
    SearchNodes(*m_pDoc);
    EXPECT_EQ(SilentRows(), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(ToolTip(3),
              "前回の検索に応答しませんでした\n最後の応答: 2026/12/08 10:00:00 (wlan0)");

    // A reply that comes after the search clears the mark when it arrives.
    int nUpdates = m_ui.m_nViewUpdates;
    m_pSocket->Inject(SearchReply(3), NodeIpText(3), 65533, 3);
    m_pump.PumpPendingMessages();
    EXPECT_EQ(SilentRows(), (std::vector<bool>{false, false, false, false}));
    EXPECT_GT(m_ui.m_nViewUpdates, nUpdates);
    ASSERT_EQ(m_pDoc->SaveDocument(), 0);
    EXPECT_EQ(CScratchDir::Read(m_strDataPath), strBefore);
}

TEST_F(Discovery, RefreshSearchMarksNobody) {
    MakeDocWithInterfaces();
    RegisterNodes(3);
    AnswerThrough({{0, {2}}});
    RefreshSearch(*m_pDoc);
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(SilentRows(), (std::vector<bool>{false}));
    EXPECT_FALSE(m_pDoc->m_contacts.IsSilent(NodeMac(1)));
    EXPECT_FALSE(m_pDoc->m_contacts.IsSilent(NodeMac(2)));
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ検索中", "ﾚﾃﾞｨ"}));
    // Registered again by hand, node 1 shows no mark: it missed no broadcast search.
    m_pDoc->AddOrUpdateNode(0, NodeIp(1), NodeMac(1), true, "", "");
    EXPECT_EQ(SilentRows(), (std::vector<bool>{false, false}));
}

TEST_F(Discovery, MarksFollowTheCurrentNetworkOnly) {
    MakeDocWithInterfaces();
    RegisterNodes(2);
    AnswerThrough({{0, {2}}});
    SearchNodes(*m_pDoc);
    EXPECT_EQ(SilentRows(), (std::vector<bool>{false, true}));
    // Another network: none of its nodes was searched for yet.
    m_pDoc->AddNetwork("OTHER", 0xFFFFFF00u, 0x02020202u);
    m_pDoc->AddOrUpdateNode(0, NodeIp(5), NodeMac(5), true, "", "");
    EXPECT_EQ(SilentRows(), (std::vector<bool>{false}));
}

TEST_F(Discovery, TheDialogListsAllThenEachInterfaceAndKeepsTheChoice) {
    MakeDocWithInterfaces();
    m_ui.ExpectDialog("CSearchInterfaceDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetTitle(), "検索ｲﾝﾀｰﾌｪｰｽ");
        // List items are CP932: "すべてのｲﾝﾀｰﾌｪｰｽ".
        EXPECT_EQ(dlg.GetItems(IDC_ITF_LIST),
                  (std::vector<std::string>{"\x82\xb7\x82\xd7\x82\xc4\x82\xcc\xb2\xdd\xc0\xb0"
                                            "\xcc\xaa\xb0\xbd",
                                            "eth0 (192.168.1.5)", "wlan0 (10.0.0.7)"}));
        EXPECT_EQ(dlg.GetInt(IDC_ITF_LIST), 0);
        Select(dlg, ui, IDC_ITF_LIST, 2);
        return Press(dlg, ui, DIALOG_OK);
    });
    ChooseSearchInterface(*m_pDoc);
    EXPECT_EQ(GetSearchInterface(*m_pDoc), "wlan0");

    // Opens on the choice; cancel changes nothing.
    m_ui.ExpectDialog("CSearchInterfaceDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetInt(IDC_ITF_LIST), 2);
        Select(dlg, ui, IDC_ITF_LIST, 0);
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    ChooseSearchInterface(*m_pDoc);
    EXPECT_EQ(GetSearchInterface(*m_pDoc), "wlan0");

    // A choice that is gone opens as "all".
    m_pList->pop_back();
    m_pList->pop_back();
    m_ui.ExpectDialog("CSearchInterfaceDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetItems(IDC_ITF_LIST).size(), 2u);
        EXPECT_EQ(dlg.GetInt(IDC_ITF_LIST), 0);
        return Press(dlg, ui, DIALOG_OK);
    });
    ChooseSearchInterface(*m_pDoc);
    EXPECT_EQ(GetSearchInterface(*m_pDoc), "");
}
