// The search on a PC with two node segments behind two interfaces and a
// default route that points at a third, empty one: real sockets in a test
// network of scripts/testnet (--segment2, --wrong-default).
#include "RawNodeClient.h"
#include "ScriptedUi.h"
#include "doc/OrvixDoc.h"
#include "ops/NodeSearch.h"
#include "ops/SearchInterface.h"
#include "platform/Clock.h"
#include "platform/IpText.h"
#include "platform/NetInterfaces.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {
const std::map<std::string, std::string> SEGMENT_A = {
    {"0080D4300001", "192.168.1.21"},    {"0080D4300002", "192.168.1.22"},
    {"0080D4300003", "192.168.1.23"},    {"0080D4300004", "192.168.200.254"},
    {"0080D4300005", "192.168.200.254"},
};
const std::map<std::string, std::string> SEGMENT_B = {
    {"0080D4400001", "192.168.2.31"},
    {"0080D4400002", "192.168.2.32"},
    {"0080D4400003", "192.168.200.254"},
    {"0080D4400004", "192.168.200.254"},
};

std::map<std::string, std::string> Both() {
    std::map<std::string, std::string> map = SEGMENT_A;
    map.insert(SEGMENT_B.begin(), SEGMENT_B.end());
    return map;
}

std::map<std::string, std::string> Rows(const COrvixDoc& doc) {
    std::map<std::string, std::string> map;
    for (const COXParam& node : doc.m_pCurNet->m_arrNodes) {
        map[node.m_strMac] = FormatIpHost(node.m_dwIp);
    }
    return map;
}

std::string Env(const char* pszName) {
    const char* psz = std::getenv(pszName);
    return psz != nullptr ? psz : "";
}

class ManagerSegments : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_FALSE(Env("MRVT_IF2").empty()) << "needs scripts/testnet --segment2";
        ASSERT_FALSE(Env("MRVT_IF_EMPTY").empty()) << "needs scripts/testnet --wrong-default";
    }
    // bInterfaces: broadcasts through every interface; otherwise by route only.
    std::unique_ptr<COrvixDoc> OpenDoc(bool bInterfaces) {
        auto pDoc =
            std::make_unique<COrvixDoc>(SDocEnv{m_ui, m_pump, m_clock, m_settings, m_param, ""},
                                        std::make_unique<CPosixDatagramSocket>());
        if (bInterfaces) {
            pDoc->GetSocket().SetInterfaceSource(std::make_unique<CSystemInterfaceSource>());
        }
        pDoc->AddNetwork("LINES", 0xFFFFFF00u, 0xC0A80101u);
        return pDoc;
    }

    CScriptedUi m_ui;
    CSystemClock m_clock;
    CPollMessagePump m_pump;
    SAppSettings m_settings;
    NODEPARAM m_param{};
};
} // namespace

TEST_F(ManagerSegments, TheRouteAloneReachesNoSegment) {
    // The control: the default route leads to the empty interface.
    auto pDoc = OpenDoc(false);
    SearchNodes(*pDoc);
    EXPECT_TRUE(pDoc->m_pCurNet->m_arrNodes.empty());
}

TEST_F(ManagerSegments, ASearchFindsEveryNodeOfBothSegments) {
    auto pDoc = OpenDoc(true);
    std::vector<std::string> vecNames;
    for (const SNetInterface& itf : ListSearchInterfaces(*pDoc)) {
        vecNames.push_back(itf.strName);
    }
    EXPECT_EQ(vecNames, (std::vector<std::string>{"pc0", "pc1", "pc2"}));
    SearchNodes(*pDoc);
    EXPECT_EQ(Rows(*pDoc), Both());
    EXPECT_EQ(pDoc->m_pCurNet->m_arrNodes.size(), 9u);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_ui.m_vecCounts.back(), "応答 9 / 登録 9 / 無応答 0");
    // Each node remembers the interface its reply came in on.
    for (const auto& [strMac, strIp] : SEGMENT_A) {
        ASSERT_NE(pDoc->m_contacts.Find(strMac), nullptr) << strMac;
        EXPECT_EQ(pDoc->m_contacts.Find(strMac)->strInterface, "pc0") << strMac;
    }
    for (const auto& [strMac, strIp] : SEGMENT_B) {
        ASSERT_NE(pDoc->m_contacts.Find(strMac), nullptr) << strMac;
        EXPECT_EQ(pDoc->m_contacts.Find(strMac)->strInterface, "pc1") << strMac;
    }
}

TEST_F(ManagerSegments, EachNodeHearsEachProbeOnce) {
    auto pDoc = OpenDoc(true);
    SearchNodes(*pDoc);
    ASSERT_EQ(pDoc->m_pCurNet->m_arrNodes.size(), 9u);
    // One copy of each probe reaches each segment: 16 broadcast searches a node.
    for (const auto& [pszVar, pszMac] : {std::pair{"MRVSIM_CONTROL", "0080D4300001"},
                                         std::pair{"MRVSIM_CONTROL2", "0080D4400001"}}) {
        CSimControlClient control(pszVar);
        ASSERT_TRUE(control.IsOpen()) << pszVar;
        std::string strHistory = control.Request(std::string("HISTORY ") + pszMac);
        size_t nSearches = 0;
        for (size_t nPos = strHistory.find("0101 bc"); nPos != std::string::npos;
             nPos = strHistory.find("0101 bc", nPos + 1)) {
            ++nSearches;
        }
        EXPECT_EQ(nSearches, 16u) << strHistory;
    }
}

TEST_F(ManagerSegments, ARestrictionReachesOnlyThatSegment) {
    auto pDoc = OpenDoc(true);
    ASSERT_TRUE(SetSearchInterface(*pDoc, Env("MRVT_IF2")));
    SearchNodes(*pDoc);
    EXPECT_EQ(Rows(*pDoc), SEGMENT_B);

    pDoc.reset(); // one endpoint on the port at a time
    pDoc = OpenDoc(true);
    ASSERT_TRUE(SetSearchInterface(*pDoc, Env("MRVT_IF1")));
    SearchNodes(*pDoc);
    EXPECT_EQ(Rows(*pDoc), SEGMENT_A);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(ManagerSegments, SilentNodesOfEitherSegmentAreMarkedUntilTheyAnswer) {
    auto pDoc = OpenDoc(true);
    SearchNodes(*pDoc);
    ASSERT_EQ(Rows(*pDoc), Both());
    CSimControlClient controlA("MRVSIM_CONTROL");
    CSimControlClient controlB("MRVSIM_CONTROL2");
    ASSERT_NE(controlA.Request("FAULT 0080D4300002 silent on").find("OK"), std::string::npos);
    ASSERT_NE(controlB.Request("FAULT 0080D4400003 silent on").find("OK"), std::string::npos);
    SearchNodes(*pDoc);
    std::map<std::string, bool> mapSilent;
    for (const COXParam& node : pDoc->m_pCurNet->m_arrNodes) {
        if (pDoc->m_contacts.IsSilent(node.m_strMac)) {
            mapSilent[node.m_strMac] = true;
        }
    }
    EXPECT_EQ(mapSilent,
              (std::map<std::string, bool>{{"0080D4300002", true}, {"0080D4400003", true}}));
    EXPECT_EQ(m_ui.m_vecCounts.back(), "応答 7 / 登録 9 / 無応答 2");

    ASSERT_NE(controlA.Request("FAULT 0080D4300002 silent off").find("OK"), std::string::npos);
    ASSERT_NE(controlB.Request("FAULT 0080D4400003 silent off").find("OK"), std::string::npos);
    SearchNodes(*pDoc);
    for (const COXParam& node : pDoc->m_pCurNet->m_arrNodes) {
        EXPECT_FALSE(pDoc->m_contacts.IsSilent(node.m_strMac)) << node.m_strMac;
    }
    EXPECT_EQ(m_ui.m_vecCounts.back(), "応答 9 / 登録 9 / 無応答 0");
}
