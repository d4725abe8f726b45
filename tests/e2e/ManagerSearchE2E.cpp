// The manager's search against simulated nodes on a test network: real
// sockets, the real pump and clock, the document file on disk.
#include "RawNodeClient.h"
#include "ScriptedUi.h"
#include "doc/OrvixDoc.h"
#include "ops/IpSearchDlg.h"
#include "ops/NodeSearch.h"
#include "platform/Clock.h"
#include "platform/IpText.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <unistd.h>

namespace {
// The simulator's nodes, as the registry must show them after a search.
const std::map<std::string, std::string> SIM_NODES = {
    {"0080D4100001", "192.168.1.11"},    {"0080D4100002", "192.168.1.12"},
    {"0080D4100003", "192.168.1.13"},    {"0080D4100004", "192.168.1.14"},
    {"0080D4100005", "192.168.2.15"},    {"0080D4100006", "192.168.200.254"},
    {"0080D4100007", "192.168.200.254"}, {"0080D4100008", "192.168.200.254"},
};

std::map<std::string, std::string> Rows(const COrvixDoc& doc) {
    std::map<std::string, std::string> map;
    for (const COXParam& node : doc.m_pCurNet->m_arrNodes) {
        map[node.m_strMac] = FormatIpHost(node.m_dwIp);
    }
    return map;
}

std::string ReadFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ManagerSearch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        const char* pszDir = std::getenv("MRVT_DIR");
        m_strDataPath = std::string(pszDir ? pszDir : "/tmp") + "/mrvmgr-e2e.dat";
        unlink(m_strDataPath.c_str());
    }
    std::unique_ptr<COrvixDoc> OpenDoc() {
        return std::make_unique<COrvixDoc>(
            SDocEnv{m_ui, m_pump, m_clock, m_settings, m_param, m_strDataPath},
            std::make_unique<CPosixDatagramSocket>());
    }

    CScriptedUi m_ui;
    CSystemClock m_clock;
    CPollMessagePump m_pump;
    SAppSettings m_settings;
    NODEPARAM m_param{};
    std::string m_strDataPath;
};
} // namespace

TEST_F(ManagerSearch, BroadcastSearchListsEveryNodeOnce) {
    auto pDoc = OpenDoc();
    pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
    SearchNodes(*pDoc);
    EXPECT_EQ(Rows(*pDoc), SIM_NODES);
    EXPECT_EQ(pDoc->m_pCurNet->m_arrNodes.size(), 8u);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ検索中", "ﾚﾃﾞｨ"}));
    EXPECT_EQ(m_ui.m_vecCounts, (std::vector<std::string>{"応答 8 / 登録 8 / 無応答 0"}));
}

TEST_F(ManagerSearch, RefreshSearchDropsNodesThatFellSilent) {
    auto pDoc = OpenDoc();
    pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
    SearchNodes(*pDoc);
    ASSERT_EQ(pDoc->m_pCurNet->m_arrNodes.size(), 8u);
    CSimControlClient control;
    ASSERT_TRUE(control.IsOpen());
    ASSERT_NE(control.Request("FAULT 0080D4100002 silent on").find("OK"), std::string::npos);
    ASSERT_NE(control.Request("FAULT 0080D4100007 silent on").find("OK"), std::string::npos);
    RefreshSearch(*pDoc);
    std::map<std::string, std::string> mapExpected = SIM_NODES;
    mapExpected.erase("0080D4100002");
    mapExpected.erase("0080D4100007");
    EXPECT_EQ(Rows(*pDoc), mapExpected);
}

TEST_F(ManagerSearch, IpSearchFindsTheTwoAddressesAsked) {
    auto pDoc = OpenDoc();
    pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
    m_ui.ExpectDialog("CIpSearchDlg", [](CDialogModel& dlg, CUi& ui) {
        for (const char* psz : {"192.168.1.13", "192.168.2.15"}) {
            Type(dlg, ui, IDC_IPS_EDIT, psz);
            Click(dlg, ui, IDC_IPS_REGISTER);
        }
        // Both registered addresses become search targets.
        for (int nRow : {0, 1}) {
            Select(dlg, ui, IDC_IPS_ADDR_LIST, nRow);
            Click(dlg, ui, IDC_IPS_ADD);
        }
        return Press(dlg, ui, IDC_IPS_SEARCH);
    });
    SearchByIp(*pDoc);
    EXPECT_EQ(Rows(*pDoc), (std::map<std::string, std::string>{{"0080D4100003", "192.168.1.13"},
                                                               {"0080D4100005", "192.168.2.15"}}));
    EXPECT_EQ(pDoc->m_listSearchTarget.size(), 2u);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(ManagerSearch, RegistryAndListsSurviveARestart) {
    auto pDoc = OpenDoc();
    pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
    SearchNodes(*pDoc);
    pDoc->AddNetwork("LINE-B", 0xFFFF0000u, 0x0A000001u);
    pDoc->AddOrUpdateNode(0, 0x0A000063u, "0080D41000FF", true, "SN-42", "spare");
    pDoc->m_listIpAddr = {CIpSearchList{"192.168.1.13"}, CIpSearchList{"192.168.2.15"}};
    pDoc->m_listSearchTarget = {CIpSearchList{"192.168.2.15"}};
    pDoc->m_nCurNet = 0;
    pDoc->UpdateAllViews();
    pDoc.reset(); // quitting saves
    std::string strFirst = ReadFile(m_strDataPath);
    ASSERT_FALSE(strFirst.empty());

    pDoc = OpenDoc();
    ASSERT_EQ(pDoc->m_arrNets.size(), 2u);
    EXPECT_EQ(pDoc->m_nCurNet, 0);
    EXPECT_EQ(pDoc->m_arrNets[0]->m_strName, "LINE-A");
    EXPECT_EQ(Rows(*pDoc), SIM_NODES);
    const CNetProperty& netB = *pDoc->m_arrNets[1];
    EXPECT_EQ(netB.m_dwSubnetMask, 0xFFFF0000u);
    ASSERT_EQ(netB.m_arrNodes.size(), 1u);
    EXPECT_EQ(netB.m_arrNodes[0].m_strSerial, "SN-42");
    EXPECT_EQ(netB.m_arrNodes[0].m_strRemarks, "spare");
    ASSERT_EQ(pDoc->m_listIpAddr.size(), 2u);
    EXPECT_EQ(pDoc->m_listIpAddr[1].m_strIp, "192.168.2.15");
    ASSERT_EQ(pDoc->m_listSearchTarget.size(), 1u);
    pDoc.reset();
    EXPECT_EQ(ReadFile(m_strDataPath), strFirst); // byte for byte
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}
