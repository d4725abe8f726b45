// The rollout on virtual time: nodes played on the in-memory socket, puts by
// a stand-in that takes its time on the timers. Its steps and their order
// per node, the pipeline's bound, every failure kept to its own node, the
// retries, the stop, and what counts as the image listed.
#include "ops/Rollout.h"
#include "DocFixture.h"
#include "FakePuts.h"
#include "NodeResponder.h"
#include "ScratchDir.h"
#include "doc/FtpPuts.h"
#include "ops/NodeDownload.h"
#include "platform/TimerQueue.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {
// "TESTAPP V1.02" in its header.
const std::string IMAGE = "S0100000544553544150502056312E303297\r\n"
                          "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                          "S9030000FC\r\n";
const std::string ALL_DONE = "全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡";
const std::string NOT_BACK =
    "\r\n上記ﾉｰﾄﾞに対してのﾀﾞｳﾝﾛｰﾄﾞは正常終了しましたが、運用ﾓｰﾄﾞへのﾘﾌﾞｰﾄに失敗しました。\r\n"
    "「管理」→「ﾓｰﾄﾞ変更」でﾓｰﾄﾞ変更を行なってください。";

std::string Mac(int n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0080C80001%02X", n);
    return sz;
}
uint32_t Ip(int n) {
    return 0xC0A80101u + static_cast<uint32_t>(n);
}
std::string IpText(int n) {
    return "192.168.1." + std::to_string(n + 1);
}

class Rollout : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        m_strImage = m_dir.File("TESTAPP.mot");
        CScratchDir::Write(m_strImage, IMAGE);
        SFtpRunEnv env;
        env.fnCreatePuts = [this](CMessagePump&, CTimerQueue& timers) {
            return std::make_unique<CFakePuts>(timers, m_world);
        };
        m_pDoc->SetFtpRunEnv(env);
        m_pNodes = std::make_unique<CNodeResponder>(*m_pSocket);
        // A node lists the image once it took it.
        m_world.fnOnStored = [this](const std::string& strHost) {
            for (int n = 0; n < m_nNodes; ++n) {
                if (IpText(n) == strHost) {
                    m_pNodes->SetVersionTable(Mac(n), VersionTable("TESTAPP", 1, 2));
                }
            }
        };
    }

    std::vector<std::string> AddNodes(int nCount) {
        m_nNodes = nCount;
        std::vector<std::pair<std::string, uint32_t>> vecNodes;
        std::vector<std::string> vecMacs;
        for (int n = 0; n < nCount; ++n) {
            vecNodes.emplace_back(Mac(n), Ip(n));
            vecMacs.push_back(Mac(n));
        }
        AddNetworkWithNodes(vecNodes);
        return vecMacs;
    }

    // The requests node n got: code, and the mode for mode changes.
    std::vector<std::string> Requests(int n) const {
        std::vector<std::string> vec;
        for (const auto& [strMac, strRequest] : m_vecRequests) {
            if (strMac == Mac(n)) {
                vec.push_back(strRequest);
            }
        }
        return vec;
    }

    std::vector<SRolloutNode> Run(const std::vector<std::string>& vecMacs, size_t nParallel,
                                  int nRetry = 0, int nKind = DOWNLOAD_APPLICATION) {
        m_pNodes->OnRequest([this](const CMemoryDatagramSocket::SDatagram& dg) {
            char sz[16];
            uint16_t wCode = static_cast<uint16_t>(dg.vecData[2] << 8 | dg.vecData[3]);
            std::snprintf(sz, sizeof sz, wCode == 0x0105 ? "%04X/%d" : "%04X", wCode,
                          dg.vecData.size() > 11 ? dg.vecData[11] : 0);
            char szMac[16];
            std::snprintf(szMac, sizeof szMac, "%02X%02X%02X%02X%02X%02X", dg.vecData[4],
                          dg.vecData[5], dg.vecData[6], dg.vecData[7], dg.vecData[8],
                          dg.vecData[9]);
            m_vecRequests.emplace_back(szMac, sz);
        });
        CRollout rollout(*m_pDoc, {m_strImage, nKind, nParallel, nRetry}, vecMacs);
        rollout.OnNodeDone([this](const SRolloutNode& node) { m_vecDone.push_back(node.strMac); });
        rollout.OnCounts([this](const SRolloutCounts& counts) { m_vecCounts.push_back(counts); });
        m_dwStart = m_clock.Now();
        rollout.Run();
        m_dwTook = m_clock.Now() - m_dwStart;
        EXPECT_EQ(m_pDoc->GetExchanges().Count(), 0u);
        EXPECT_EQ(m_pDoc->GetTimers().Count(), 0u);
        EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
        return rollout.GetNodes();
    }

    CScratchDir m_dir;
    std::string m_strImage;
    SPutWorld m_world;
    std::unique_ptr<CNodeResponder> m_pNodes;
    int m_nNodes = 0;
    std::vector<std::pair<std::string, std::string>> m_vecRequests;
    std::vector<std::string> m_vecDone;
    std::vector<SRolloutCounts> m_vecCounts;
    uint32_t m_dwStart = 0;
    uint32_t m_dwTook = 0;
};
} // namespace

TEST_F(Rollout, LoadsEveryNodeTheBatchsWayWithAtMostNInFlightAndChecksEachByItsVersion) {
    std::vector<std::string> vecMacs = AddNodes(10);
    m_ui.ExpectMessage(ALL_DONE).WithIcon(EMsgIcon::Information);
    std::vector<SRolloutNode> vecNodes = Run(vecMacs, 4);

    for (int n = 0; n < 10; ++n) {
        const SRolloutNode& node = vecNodes[static_cast<size_t>(n)];
        SCOPED_TRACE(node.strMac);
        EXPECT_EQ(node.eResult, ERolloutResult::Loaded);
        EXPECT_EQ(node.strState, "ダウンロード済み");
        EXPECT_EQ(node.strReadBack, "TESTAPP V1.02");
        EXPECT_TRUE(node.bByVersion);
        EXPECT_EQ(node.nAttempts, 1);
        // Setup mode, its account there, (the put), operation, the check.
        EXPECT_EQ(Requests(n), (std::vector<std::string>{"0105/7", "0103", "0105/0", "0108"}));
        EXPECT_GE(node.dwMs, 3000u + FAKE_PUT_MS);
    }
    EXPECT_EQ(m_world.nMost, 4u);
    EXPECT_EQ(m_world.vecOrders.size(), 10u);
    EXPECT_EQ(m_world.vecOrders[0].strUser, "(none)");
    EXPECT_EQ(m_world.vecOrders[0].strLocalPath, m_strImage);
    // The summary: all waiting at first, never more than four in flight, the
    // time left known once a node ended, all loaded at the end.
    ASSERT_GE(m_vecCounts.size(), 10u);
    EXPECT_EQ(m_vecCounts.front().nRemaining, 10u);
    EXPECT_FALSE(m_vecCounts.front().bEtaKnown);
    for (const SRolloutCounts& counts : m_vecCounts) {
        EXPECT_LE(counts.nInFlight, 4u);
        EXPECT_EQ(counts.nLoaded + counts.nFailed + counts.nInFlight + counts.nRemaining, 10u);
        EXPECT_EQ(counts.bEtaKnown, counts.nLoaded > 0);
        // Never more than the rounds still to come could take.
        EXPECT_LE(counts.dwEtaMs, (10 - counts.nLoaded + 3) / 4 * (3000 + FAKE_PUT_MS));
    }
    EXPECT_EQ(m_vecCounts.back().nLoaded, 10u);
    EXPECT_EQ(m_vecCounts.back().dwEtaMs, 0u);
    // Three rounds of four, not ten nodes one after the other.
    EXPECT_GE(m_dwTook, 3u * (3000 + FAKE_PUT_MS));
    EXPECT_LT(m_dwTook, 4u * (3000 + FAKE_PUT_MS));
}

TEST_F(Rollout, AKernelTakesItsAccountFirstAndIsCheckedByTheKernelsVersion) {
    std::vector<std::string> vecMacs = AddNodes(2);
    CScratchDir::Write(m_strImage, "S00D0000524F4F542056322E313077\r\nS107000001020304EE\r\n"
                                   "S9030000FC\r\n"); // "ROOT V2.10"
    m_world.fnOnStored = nullptr;
    m_pNodes->SetVersionTable(Mac(0), VersionTable("", 0, 0)); // kernel 2.10
    m_pNodes->SetVersionTable(Mac(1), Bytes(219, 0));          // kernel 0.00
    std::vector<SRolloutNode> vecNodes = Run(vecMacs, 2, 0, DOWNLOAD_KERNEL);

    EXPECT_EQ(Requests(0), (std::vector<std::string>{"0103", "0105/6", "0105/0", "0108"}));
    EXPECT_EQ(vecNodes[0].eResult, ERolloutResult::Loaded);
    EXPECT_EQ(vecNodes[0].strReadBack, "ｶｰﾈﾙ V2.10");
    EXPECT_EQ(vecNodes[1].eResult, ERolloutResult::Failed);
    EXPECT_EQ(vecNodes[1].strState, "バージョン確認エラー");
    EXPECT_EQ(vecNodes[1].strReason,
              "ﾀﾞｳﾝﾛｰﾄﾞ後のﾊﾞｰｼﾞｮﾝ情報に「V2.10」がありません\r\n(ｶｰﾈﾙ V0.00)");
}

TEST_F(Rollout, EachFailureEndsOnlyItsOwnNodeAsTheBatchWouldAndDelaysNoOther) {
    std::vector<std::string> vecMacs = AddNodes(10);
    // 0 silent in the mode change, 1 refuses it, 2 refuses the file, 3 silent
    // in its setup mode, 4 silent when sent back to operation after the put,
    // 5 lists an older version afterwards; 6 and 7 fine; 8 still restarting
    // for two version requests, 9 never answers them.
    int nRestarting = 2;
    m_pNodes->DropIf([&nRestarting](const std::string& strMac, uint16_t wCode, uint8_t byMode) {
        if (strMac == Mac(8) && wCode == 0x0108 && nRestarting > 0) {
            --nRestarting;
            return true;
        }
        return (strMac == Mac(0) && wCode == 0x0105) || (strMac == Mac(3) && wCode == 0x0103) ||
               (strMac == Mac(4) && wCode == 0x0105 && byMode == 0) ||
               (strMac == Mac(9) && wCode == 0x0108);
    });
    m_pNodes->SetResult(Mac(1), 0x04);
    m_world.mapReply[IpText(2)] = {true, 550, "550 TESTAPP.mot: Permission denied to op1/pw 9."};
    Bytes vecAccount(717, 0);
    std::memcpy(&vecAccount[23], "op1", 3);
    std::memcpy(&vecAccount[39], "pw 9", 4);
    m_pNodes->SetParamBlock(Mac(2), vecAccount);
    m_world.fnOnStored = [this](const std::string& strHost) {
        for (int n = 0; n < 10; ++n) {
            if (IpText(n) == strHost) {
                m_pNodes->SetVersionTable(Mac(n), VersionTable("TESTAPP", 1, n == 5 ? 1 : 2));
            }
        }
    };
    m_ui.ExpectMessage("192.168.1.5\r\n" + NOT_BACK);
    std::vector<SRolloutNode> vecNodes = Run(vecMacs, 10);

    const std::string NOTE = "\r\nMRV-620はﾀﾞｳﾝﾛｰﾄﾞﾓｰﾄﾞ(ﾓｰﾄﾞ7)のままです。\r\n"
                             "「管理」→「ﾓｰﾄﾞ変更」で通常動作0に戻してください。";
    struct SCase {
        ERolloutResult eResult;
        int nFailure;
        std::string strState;
        std::string strReason;
        std::vector<std::string> vecRequests;
    };
    const std::vector<SCase> CASES = {
        {ERolloutResult::Failed,
         DLRESULT_NO_RESPONSE,
         "リブートエラー",
         "MRV-620から応答がありません",
         {"0105/7"}},
        {ERolloutResult::Failed,
         DLRESULT_ABNORMAL,
         "リブートエラー",
         "MRV-620から異常応答を受信しました\nｺﾏﾝﾄﾞｺｰﾄﾞ=0205\nMACｱﾄﾞﾚｽ=0080C8000101\n"
         "機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=00\n結果ｺｰﾄﾞ=04",
         {"0105/7"}},
        {ERolloutResult::Failed,
         FTPRUN_REFUSED,
         "ダウンロード失敗",
         "MRV-620がﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを受け付けませんでした\r\n"
         "(550 TESTAPP.mot: Permission denied to ****/****.)",
         {"0105/7", "0103", "0105/0"}},
        {ERolloutResult::Failed,
         DLRESULT_NO_RESPONSE,
         "設定取得エラー",
         "MRV-620から応答がありません",
         {"0105/7", "0103", "0103", "0103", "0103", "0105/0"}},
        {ERolloutResult::Failed,
         DLRESULT_NO_RESPONSE,
         "リブートエラー",
         "MRV-620から応答がありません" + NOTE,
         {"0105/7", "0103", "0105/0"}},
        {ERolloutResult::Failed,
         DLRESULT_NOT_VERIFIED,
         "バージョン確認エラー",
         "ﾀﾞｳﾝﾛｰﾄﾞ後のﾊﾞｰｼﾞｮﾝ情報に「TESTAPP V1.02」がありません\r\n(TESTAPP V1.01)",
         {"0105/7", "0103", "0105/0", "0108"}},
        {ERolloutResult::Loaded, 0, "ダウンロード済み", "", {"0105/7", "0103", "0105/0", "0108"}},
        {ERolloutResult::Loaded, 0, "ダウンロード済み", "", {"0105/7", "0103", "0105/0", "0108"}},
        {ERolloutResult::Loaded,
         0,
         "ダウンロード済み",
         "",
         {"0105/7", "0103", "0105/0", "0108", "0108", "0108"}},
        {ERolloutResult::Failed,
         DLRESULT_NO_RESPONSE,
         "バージョン確認エラー",
         "MRV-620から応答がありません",
         {"0105/7", "0103", "0105/0", "0108", "0108", "0108", "0108"}},
    };
    for (size_t n = 0; n < CASES.size(); ++n) {
        const SRolloutNode& node = vecNodes[n];
        SCOPED_TRACE(node.strMac);
        EXPECT_EQ(node.eResult, CASES[n].eResult);
        EXPECT_EQ(node.nFailure, CASES[n].nFailure);
        EXPECT_EQ(node.strState, CASES[n].strState);
        EXPECT_EQ(node.strReason, CASES[n].strReason);
        EXPECT_EQ(Requests(static_cast<int>(n)), CASES[n].vecRequests);
        EXPECT_EQ(node.nAttempts, 1);
    }
    EXPECT_TRUE(vecNodes[4].bNotBack);
    EXPECT_FALSE(vecNodes[3].bLeftInMode) << "it answered when sent back";
    // The others' silence cost the fine ones nothing.
    EXPECT_EQ(vecNodes[6].dwMs, 3000u + FAKE_PUT_MS);
    EXPECT_EQ(vecNodes[7].dwMs, 3000u + FAKE_PUT_MS);
    EXPECT_EQ(m_vecDone.front(), Mac(1)) << "the first to end ends first";
    EXPECT_EQ(vecNodes[0].dwMs, 5000u) << "its own time-out";
}

TEST_F(Rollout, RetriesRunOnlyTheFailedNodesAgainButNotOneThatHoldsTheFile) {
    std::vector<std::string> vecMacs = AddNodes(4);
    // 0 refuses its first put only, 1 every put, 2 is silent when sent back
    // after its put, 3 is fine.
    std::map<std::string, int> mapPuts;
    m_world.fnOnStart = [&](const SFtpPutOrder& order) {
        int nPut = ++mapPuts[order.strHost];
        if (order.strHost == IpText(1) || (order.strHost == IpText(0) && nPut == 1)) {
            m_world.mapReply[order.strHost] = {true, 451, "451 Local error."};
        } else {
            m_world.mapReply.erase(order.strHost);
        }
    };
    m_pNodes->DropIf([](const std::string& strMac, uint16_t wCode, uint8_t byMode) {
        return strMac == Mac(2) && wCode == 0x0105 && byMode == 0;
    });
    m_ui.ExpectMessage("192.168.1.3\r\n" + NOT_BACK);
    std::vector<SRolloutNode> vecNodes = Run(vecMacs, 2, 2);

    EXPECT_EQ(vecNodes[0].eResult, ERolloutResult::Loaded);
    EXPECT_EQ(vecNodes[0].nAttempts, 2);
    EXPECT_EQ(vecNodes[1].eResult, ERolloutResult::Failed);
    EXPECT_EQ(vecNodes[1].nAttempts, 3);
    EXPECT_EQ(vecNodes[1].strReason,
              "MRV-620がﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを受け付けませんでした\r\n(451 Local error.)");
    EXPECT_EQ(vecNodes[2].eResult, ERolloutResult::Failed);
    EXPECT_EQ(vecNodes[2].nAttempts, 1);
    EXPECT_EQ(vecNodes[3].nAttempts, 1);
    EXPECT_EQ(mapPuts[IpText(1)], 3);
    // Two attempts of node 0 take twice a node's time.
    EXPECT_EQ(vecNodes[0].dwMs, 2 * (3000u + FAKE_PUT_MS));
}

TEST_F(Rollout, AStopLetsTheNodesInHandEndSafelyAndStartsNoOther) {
    std::vector<std::string> vecMacs = AddNodes(5);
    // Asked to stop when the first put starts: the other node in flight is
    // then at the end of its restart pause.
    m_world.fnOnStart = [this](const SFtpPutOrder&) { m_stop.Request(2); };
    std::vector<SRolloutNode> vecNodes = Run(vecMacs, 2);

    EXPECT_EQ(vecNodes[0].eResult, ERolloutResult::Loaded) << "its transfer ran to its end";
    EXPECT_EQ(Requests(0), (std::vector<std::string>{"0105/7", "0103", "0105/0", "0108"}));
    EXPECT_EQ(vecNodes[1].eResult, ERolloutResult::NotDone);
    EXPECT_EQ(Requests(1), (std::vector<std::string>{"0105/7", "0103", "0105/0"}))
        << "its exchange in hand ran to its reply, then back to operation without the transfer";
    EXPECT_FALSE(vecNodes[1].bLeftInMode);
    for (int n = 2; n < 5; ++n) {
        EXPECT_EQ(vecNodes[static_cast<size_t>(n)].eResult, ERolloutResult::NotDone);
        EXPECT_TRUE(Requests(n).empty()) << "never touched";
    }
    EXPECT_EQ(m_world.vecOrders.size(), 1u);
}

TEST(RolloutCheck, TheImageIsListedByTheNameAndVersionOfItsHeaderWhereItHasThem) {
    const SImageIdentity TESTAPP = ImageIdentityOf(IMAGE);
    ASSERT_EQ(TESTAPP.strName, "TESTAPP");
    ASSERT_EQ(TESTAPP.nMajor, 1);
    ASSERT_EQ(TESTAPP.nMinor, 2);
    const SImageIdentity NONE = ImageIdentityOf("S00A000054455354415050D4\r\nS9030000FC\r\n");
    EXPECT_FALSE(NONE.IsKnown()) << "a header without a version";
    const SImageIdentity LONG = ImageIdentityOf("S01C00004C4F4E474150504C49434154494F4E4E414D45205"
                                                "6312E303029\n");
    EXPECT_EQ(LONG.strName, "LONGAPPLICATIONNAME");

    auto Info = [](std::vector<std::tuple<std::string, int, int>> vecApps) {
        SVersionInfo info;
        info.nKernelMajor = 2;
        info.nKernelMinor = 10;
        for (const auto& [strName, nMajor, nMinor] : vecApps) {
            info.vecApps.push_back({strName, nMajor, nMinor, 1, 0});
        }
        return info;
    };
    struct SCase {
        const char* pszWhat;
        SVersionInfo info;
        SImageIdentity image;
        std::string strFile;
        bool bKernel;
        bool bListed;
        std::string strReadBack;
        bool bByVersion;
    };
    const std::vector<SCase> CASES = {
        {"by its header's name", Info({{"OTHER", 1, 2}, {"TESTAPP", 1, 2}}), TESTAPP, "app.mot",
         false, true, "TESTAPP V1.02", true},
        {"kept under its file's name", Info({{"TESTAPP.mot", 1, 2}}), TESTAPP, "TESTAPP.mot", false,
         true, "TESTAPP.mot V1.02", true},
        {"under the name without extension", Info({{"app", 1, 2}}), TESTAPP, "app.mot", false, true,
         "app V1.02", true},
        {"an older version", Info({{"TESTAPP", 1, 1}}), TESTAPP, "TESTAPP.mot", false, false,
         "TESTAPP V1.01", true},
        {"none at all", Info({}), TESTAPP, "TESTAPP.mot", false, false, "ｱﾌﾟﾘｹｰｼｮﾝなし", true},
        {"a name cut at 14 bytes", Info({{"LONGAPPLICATIO", 1, 0}}), LONG, "x.mot", false, true,
         "LONGAPPLICATIO V1.00", true},
        {"no version in the header: the witness", Info({{"OTHER", 1, 0}}), NONE, "TESTAPP.mot",
         false, true, "", false},
        {"the kernel's version", Info({}), SImageIdentity{"ROOT", 2, 10}, "k.mot", true, true,
         "ｶｰﾈﾙ V2.10", true},
        {"another kernel", Info({}), SImageIdentity{"ROOT", 2, 11}, "k.mot", true, false,
         "ｶｰﾈﾙ V2.10", true},
        {"a kernel without a version in its header", Info({}), NONE, "k.mot", true, true,
         "ｶｰﾈﾙ V2.10", false},
    };
    for (const SCase& c : CASES) {
        std::string strReadBack;
        bool bByVersion = false;
        EXPECT_EQ(ListsImage(c.info, c.image, c.strFile, c.bKernel, strReadBack, bByVersion),
                  c.bListed)
            << c.pszWhat;
        EXPECT_EQ(strReadBack, c.strReadBack) << c.pszWhat;
        EXPECT_EQ(bByVersion, c.bByVersion) << c.pszWhat;
    }
}
