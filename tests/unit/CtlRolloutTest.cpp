// download --parallel in mrvctl on virtual time: the nodes --all names, one
// JSON entry per node, the exit status of what failed, and the batch's
// confirmation answered by --yes.
#include "CtlFixture.h"
#include "FakePuts.h"
#include "JsonReader.h"
#include "ScratchDir.h"

namespace {
const std::string IMAGE = "S0100000544553544150502056312E303297\r\n"
                          "S1130000000102030405060708090A0B0C0D0E0F74\r\nS9030000FC\r\n";

class CtlRollout : public CCtlFixture {
protected:
    void SetUp() override {
        CCtlFixture::SetUp();
        m_strImage = m_dir.File("TESTAPP.mot");
        CScratchDir::Write(m_strImage, IMAGE);
        SFtpRunEnv env;
        env.fnCreatePuts = [this](CMessagePump&, CTimerQueue& timers) {
            return std::make_unique<CFakePuts>(timers, m_world);
        };
        m_pDoc->SetFtpRunEnv(env);
        m_world.fnOnStored = [this](const std::string&) {
            m_pNodes->SetVersionTable(MAC1, VersionTable("TESTAPP", 1, 2));
        };
    }
    CJsonValue Result() const { return CJsonValue::Parse(m_result.json.Dump()); }

    std::string m_strImage;
    SPutWorld m_world;
};
} // namespace

TEST_F(CtlRollout, AllNamesTheNodesWithAnAddressAndEachGetsItsEntry) {
    EXPECT_EQ(Run({"download", "app", m_strImage, "--all", "--parallel", "8", "--yes"}), 0);
    EXPECT_EQ(Texts(), std::vector<std::string>{"全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡"});
    CJsonValue json = Result();
    EXPECT_EQ(json["parallel"].Int(), 8);
    ASSERT_EQ(json["nodes"].Size(), 1u) << "the node without an address is not among them";
    const CJsonValue& node = json["nodes"][0];
    EXPECT_EQ(node["mac"].Str(), MAC1);
    EXPECT_EQ(node["ip"].Str(), "192.168.1.10");
    EXPECT_EQ(node["result"].Str(), "loaded");
    EXPECT_TRUE(node["reason"].IsNull());
    EXPECT_EQ(node["state"].Str(), "ダウンロード済み");
    EXPECT_EQ(node["attempts"].Int(), 1);
    EXPECT_NEAR(node["seconds"].Real(), 3.2, 0.0005);
    EXPECT_EQ(node["version"].Str(), "TESTAPP V1.02");
    EXPECT_EQ(node["checked"].Str(), "version");
    EXPECT_EQ(node["exit"].Int(), 0);
    EXPECT_EQ(json["counts"]["loaded"].Int(), 1);
    EXPECT_EQ(m_result.vecRows.size(), 1u);
}

TEST_F(CtlRollout, AFailedNodeGivesTheStatusOfItsFailureAndIsNamed) {
    m_world.mapReply["192.168.1.10"] = {true, 550, "550 TESTAPP.mot: Permission denied."};
    EXPECT_EQ(Run({"download", "app", m_strImage, "1", "--parallel", "2", "--retry", "1", "--yes"}),
              5);
    EXPECT_EQ(Texts().back(), "download failed on 1 of 1 nodes: " + MAC1);
    const CJsonValue node = Result()["nodes"][0];
    EXPECT_EQ(node["result"].Str(), "failed");
    EXPECT_EQ(node["state"].Str(), "ダウンロード失敗");
    EXPECT_EQ(
        node["reason"].Str(),
        "MRV-620がﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを受け付けませんでした\r\n(550 TESTAPP.mot: Permission denied.)");
    EXPECT_EQ(node["attempts"].Int(), 2);
    EXPECT_EQ(node["exit"].Int(), 5);
    EXPECT_TRUE(node["version"].IsNull());
}

TEST_F(CtlRollout, ItAsksTheBatchsQuestionAndNeedsItsOwnAddresses) {
    EXPECT_EQ(Run({"download", "app", m_strImage, "1", "--parallel", "2"}), 7);
    EXPECT_NE(Texts().back().find("(answer it with --yes)"), std::string::npos);
    EXPECT_NE(
        Texts().back().find("192.168.1.10\n\n以上のﾉｰﾄﾞに「TESTAPP.mot」をダウンロードします。"),
        std::string::npos)
        << Texts().back();
    EXPECT_EQ(RunNext({"download", "app", m_strImage, "2", "--parallel", "2", "--yes"}), 2);
    EXPECT_EQ(Texts().back(), "node 0080C8000002 has no address of its own (a batch finds its "
                              "nodes by address)");
    EXPECT_TRUE(m_world.vecOrders.empty());
}

TEST_F(CtlRollout, TheUnansweredQuestionOfManyNodesIsSaidWhole) {
    for (int n = 0; n < 100; ++n) {
        char szMac[16];
        std::snprintf(szMac, sizeof szMac, "0080C80002%02X", n);
        m_pDoc->AddOrUpdateNode(0, 0xC0A80201u + static_cast<uint32_t>(n), szMac, true, "", "");
    }
    EXPECT_EQ(Run({"download", "app", m_strImage, "--all", "--parallel", "8"}), 7);
    const std::string strText = Texts().back();
    EXPECT_EQ(strText.rfind("192.168.1.10\n192.168.2.1\n", 0), 0u) << strText;
    EXPECT_NE(strText.find("192.168.2.100\n\n以上のﾉｰﾄﾞに「TESTAPP.mot」をダウンロードします。"),
              std::string::npos)
        << strText;
    EXPECT_EQ(strText.substr(strText.size() - 22), "(answer it with --yes)");
    EXPECT_TRUE(m_world.vecOrders.empty());
}

TEST_F(CtlRollout, ANodeNamedTwiceIsLoadedOnce) {
    EXPECT_EQ(
        Run({"download", "app", m_strImage, "1", MAC1, "192.168.1.10", "--parallel", "4", "--yes"}),
        0);
    EXPECT_EQ(Result()["nodes"].Size(), 1u);
    EXPECT_EQ(m_world.vecOrders.size(), 1u);
}
