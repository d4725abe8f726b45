// What a script relies on mrvctl for: it never picks, resets or ignores on its
// own. An ambiguous node is refused with its matches, an option is done or
// refused, a network stays current unless it goes, a parameter change starts
// from what the node holds, and a search says who answered.
#include "CtlFixture.h"
#include "SampleParam.h"
#include "cli/CtlParamKeys.h"
#include "link/SettingsPayload.h"
#include "params/ParamFields.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <cstring>

namespace {
class CtlScript : public CCtlFixture {
protected:
    // The node's parameter set as it answers get-parameters.
    void NodeHolds(const std::string& strMac, NODEPARAM param) {
        SwapParamBlock(param, SWAP_TO_NETWORK);
        CNodeResponder::Bytes vecBlock(sizeof param);
        std::memcpy(vecBlock.data(), &param, sizeof param);
        m_pNodes->SetParamBlock(strMac, vecBlock);
    }
    // The record of the last set-parameters request, in host order.
    NODEPARAM LastSetRecord() const {
        NODEPARAM param{};
        for (const auto& dg : m_pSocket->GetSent()) {
            if (dg.vecData.size() == 730 && dg.vecData[3] == 0x04) {
                std::memcpy(&param, dg.vecData.data() + 13, sizeof param);
            }
        }
        SwapParamBlock(param, SWAP_TO_HOST);
        return param;
    }
    // Nodes answering a search: each MAC from its address.
    void NodesAnswerSearches(const std::vector<std::pair<std::string, std::string>>& vecNodes) {
        m_pSocket->SetSendHook([this, vecNodes](const CMemoryDatagramSocket::SDatagram& dg) {
            if (dg.vecData.size() < 4 || dg.vecData[3] != 0x01) {
                return;
            }
            for (const auto& [strMac, strIp] : vecNodes) {
                if (dg.dwIp == 0xFFFFFFFFu || FormatIpHost(dg.dwIp) == strIp) {
                    m_pSocket->Inject(CNodeResponder::Reply(0x0201, strMac, 0, 0), strIp, 65533);
                }
            }
        });
    }
    std::string CurrentName() const {
        return m_pDoc->m_nCurNet < 0 ? "" : m_pDoc->m_arrNets[size_t(m_pDoc->m_nCurNet)]->m_strName;
    }
};
} // namespace

TEST_F(CtlScript, ANodeNamedBySeveralIsRefusedWithItsMatches) {
    m_pDoc->AddOrUpdateNode(0, UNSET, "0080C8000003", true, "", "");
    EXPECT_EQ(Run({"mode", "192.168.200.254", "7"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "'192.168.200.254' names 2 nodes (row 2 0080C8000002 192.168.200.254, "
                           "row 3 0080C8000003 192.168.200.254): name one by its MAC"});
    EXPECT_EQ(m_result.json["matches"].Dump(),
              "[{\"row\":2,\"mac\":\"0080C8000002\",\"ip\":\"192.168.200.254\"},"
              "{\"row\":3,\"mac\":\"0080C8000003\",\"ip\":\"192.168.200.254\"}]");
    EXPECT_TRUE(m_pSocket->GetSent().empty());
    // Its MAC names it.
    EXPECT_EQ(Run({"nodes", "set", "0080C8000003", "--remarks", "third"}), 2); // the first stays
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[2].m_strRemarks, "third");
}

TEST_F(CtlScript, DeletingAnotherNetworkKeepsTheCurrentOne) {
    ASSERT_EQ(Run({"networks", "add", "LINE-B"}), 0);
    ASSERT_EQ(Run({"networks", "add", "LINE-C"}), 0);
    ASSERT_EQ(CurrentName(), "LINE-C");
    EXPECT_EQ(Run({"networks", "delete", "LINE-A", "--yes"}), 0);
    EXPECT_EQ(m_pDoc->m_arrNets.size(), 2u);
    EXPECT_EQ(CurrentName(), "LINE-C");
    // Deleting the current one leaves the first current, as the window does.
    EXPECT_EQ(Run({"networks", "delete", "LINE-C", "--yes"}), 0);
    EXPECT_EQ(CurrentName(), "LINE-B");
}

TEST_F(CtlScript, AnExistingNetworkIsKeptWhenAddedWithExistOk) {
    ASSERT_EQ(Run({"networks", "add", "LINE-B", "--gateway", "192.168.2.1"}), 0);
    ASSERT_EQ(Run({"networks", "select", "LINE-A"}), 0);
    EXPECT_EQ(Run({"networks", "add", "LINE-B", "--gateway", "192.168.2.1", "--exist-ok"}), 0);
    EXPECT_EQ(m_pDoc->m_arrNets.size(), 2u);
    EXPECT_EQ(CurrentName(), "LINE-B"); // current, as after its first add
    EXPECT_EQ(m_result.json["network"]["gateway"].Dump(), "\"192.168.2.1\"");
    EXPECT_TRUE(Texts().empty());
    // The same name with another mask or gateway is no repeat of the same step.
    EXPECT_EQ(Run({"networks", "add", "LINE-B", "--gateway", "192.168.9.1", "--exist-ok"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{"network 'LINE-B' exists with mask 255.255.255.0 "
                                                "and gateway 192.168.2.1"});
}

TEST_F(CtlScript, SetStartsFromTheNodesOwnParameters) {
    NODEPARAM held = SampleParam();
    held.dwOwnIp = IP1;
    held.wMtu = 1400;
    SetTextField(held.szUserName, "node-user");
    held.byRecordTermLen = 1; // 0D, with 0A behind the count
    NodeHolds(MAC1, held);
    EXPECT_EQ(Run({"set-params", "1", "--set", "Mtu=1300"}), 0) << testing::PrintToString(Texts());
    EXPECT_EQ(m_pNodes->RequestLog(),
              (std::vector<std::string>{"0103 0080C8000001", "0104 0080C8000001"}));
    NODEPARAM sent = LastSetRecord();
    EXPECT_EQ(sent.wMtu, 1300);
    EXPECT_EQ(GetTextField(sent.szUserName), "node-user");
    EXPECT_EQ(sent.dwOwnIp, IP1);
    EXPECT_EQ(sent.byRecordTermLen, 1);
    EXPECT_EQ(sent.abRecordTerm[1], 0x0A);
}

TEST_F(CtlScript, SetStartsFromTheDefaultsOrAFileOnlyWhenTold) {
    NODEPARAM held = SampleParam();
    SetTextField(held.szUserName, "node-user");
    NodeHolds(MAC1, held);
    EXPECT_EQ(Run({"set-params", "1", "--defaults", "--set", "Mtu=1300"}), 0);
    EXPECT_EQ(m_pNodes->RequestLog(), std::vector<std::string>{"0104 0080C8000001"});
    EXPECT_EQ(GetTextField(LastSetRecord().szUserName),
              GetTextField(m_paramFile.m_param.szUserName));

    // --defaults-file names the defaults.
    CParamFile other;
    other.m_strPath = m_dir.File("other.ini");
    other.m_param = SampleParam();
    SetTextField(other.m_param.szUserName, "from-file");
    other.SaveParams();
    EXPECT_EQ(Run({"--defaults-file", other.m_strPath, "set-params", "1", "--defaults"}), 0);
    EXPECT_EQ(GetTextField(LastSetRecord().szUserName), "from-file");
    EXPECT_TRUE(Texts().empty());
}

TEST_F(CtlScript, SetWithNothingToSendOrTwoSourcesIsRefused) {
    EXPECT_EQ(Run({"set-params", "1"}), 2);
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "nothing to send: give --set KEY=VALUE, --from FILE or --defaults"});
    EXPECT_EQ(Run({"--defaults-file", m_dir.File("none.ini"), "set-params", "1", "--defaults"}), 2);
    EXPECT_EQ(Texts().back(), "cannot read '" + m_dir.File("none.ini") + "'");
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlScript, NodesSetIpGoesThroughTheNodeDialogsRules) {
    EXPECT_EQ(Run({"nodes", "set", MAC2, "--ip", "192.168.1.20"}), 0)
        << testing::PrintToString(Texts());
    EXPECT_EQ(FormatIpHost(m_pDoc->m_pCurNet->m_arrNodes[1].m_dwIp), "192.168.1.20");
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[1].m_strSerial, "SN-2");
    EXPECT_EQ(Run({"nodes", "set", MAC2, "--ip", "192.168.1.10"}), 2);
    EXPECT_EQ(Run({"nodes", "set", MAC2, "--ip", "127.0.0.1"}), 2); // the first stays
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{"IPｱﾄﾞﾚｽは既に使用されています", "IPｱﾄﾞﾚｽの値が異常です"}));
    EXPECT_EQ(FormatIpHost(m_pDoc->m_pCurNet->m_arrNodes[1].m_dwIp), "192.168.1.20");
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST_F(CtlScript, AFailedModeChangeDoesNotReportTheModeAsDone) {
    m_pNodes->SetResult(MAC1, CNodeResponder::SILENT);
    EXPECT_EQ(Run({"mode", "1", "7"}), 3);
    EXPECT_EQ(m_result.json.Dump(), "{\"mac\":\"0080C8000001\",\"requestedMode\":7}");
    m_pNodes->SetResult(MAC1, 0);
    EXPECT_EQ(RunNext({"mode", "1", "7"}), 0);
    EXPECT_EQ(m_result.json.Dump(), "{\"mac\":\"0080C8000001\",\"requestedMode\":7,\"mode\":7}");
}

TEST_F(CtlScript, ASearchSaysWhoAnsweredAndHowMany) {
    NodesAnswerSearches({{MAC1, "192.168.1.10"}});
    EXPECT_EQ(Run({"search"}), 0);
    EXPECT_EQ(m_result.json["counts"].Dump(), "{\"answered\":1,\"registered\":2,\"silent\":1}");
    ASSERT_EQ(m_result.json["nodes"].Dump().find("\"answered\":true"),
              m_result.json["nodes"].Dump().rfind("\"answered\":true"));
    EXPECT_NE(m_result.json["nodes"].Dump().find("\"answered\":false"), std::string::npos);
    const std::string strText = FormatCtlText(m_result);
    EXPECT_EQ(strText.substr(strText.rfind('\n', strText.size() - 2) + 1),
              "応答 1 / 登録 2 / 無応答 1\n");
    EXPECT_EQ(m_result.vecHeader.back(), "answered");
    EXPECT_EQ(m_result.vecRows[0].back(), "yes");
    EXPECT_EQ(m_result.vecRows[1].back(), "no");
}

TEST_F(CtlScript, ExpectingMoreAnswersThanCameEndsWithNoReply) {
    NodesAnswerSearches({{MAC1, "192.168.1.10"}});
    EXPECT_EQ(Run({"search", "--expect", "1"}), 0);
    EXPECT_EQ(RunNext({"search", "--expect", "2"}), 3);
    EXPECT_EQ(Texts(), std::vector<std::string>{"1 of 2 registered nodes answered (2 expected)"});
    // After a refresh every registered node answered.
    EXPECT_EQ(RunNext({"search", "--refresh", "--expect-all"}), 0);
    // An address search: MAC2 asked on its new address, silent.
    m_pDoc->AddOrUpdateNode(0, 0xC0A8010Bu, MAC2, true, "", "");
    EXPECT_EQ(RunNext({"search", "--ip", "192.168.1.10,192.168.1.11", "--expect-all"}), 3);
    EXPECT_EQ(m_result.json["counts"].Dump(), "{\"answered\":1,\"registered\":2,\"silent\":1}");
}
