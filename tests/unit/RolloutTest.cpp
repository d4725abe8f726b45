// The rollout on virtual time: nodes played on the in-memory socket, puts by
// a stand-in that takes its time on the timers. Its steps and their order
// per node, the pipeline's bound, every failure kept to its own node, the
// retries, the stop, and what counts as the image listed.
#include "DocFixture.h"
#include "NodeResponder.h"
#include "ScratchDir.h"
#include "doc/FtpPuts.h"
#include "ops/NodeDownload.h"
#include "ops/Rollout.h"
#include "platform/TimerQueue.h"

#include <algorithm>
#include <map>

namespace {
// "TESTAPP V1.02" in its header.
const std::string IMAGE = "S0100000544553544150502056312E303297\r\n"
                          "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                          "S9030000FC\r\n";
const std::string ALL_DONE = "全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡";
constexpr uint32_t PUT_MS = 200; // how long each put takes

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

// A version table (from offset 13) listing one application, kernel 2.10.
Bytes VersionTable(const std::string& strApp, uint8_t byMajor, uint8_t byMinor) {
    Bytes vec(219, 0);
    vec[15] = 2; // kernel 2.10
    vec[16] = 10;
    std::copy(strApp.begin(), strApp.end(), vec.begin() + 19);
    vec[19 + 14] = byMajor;
    vec[19 + 15] = byMinor;
    vec[19 + 17] = 1; // one sector
    return vec;
}

// Puts that take PUT_MS on the timers and end as told per host; a node that
// took the file lists it from then on.
struct SPutWorld {
    std::map<std::string, SFtpReply> mapReply; // by host; 226 otherwise
    size_t nNow = 0;
    size_t nMost = 0;
    std::vector<SFtpPutOrder> vecOrders;
    std::function<void(const SFtpPutOrder&)> fnOnStart;
    std::function<void(const std::string& strHost)> fnOnStored;
};

class CFakePuts : public CFtpPuts {
public:
    CFakePuts(CTimerQueue& timers, SPutWorld& world) : m_timers(timers), m_world(world) {}
    uint64_t Start(const SFtpPutOrder& order, FnDone fnDone) override {
        uint64_t nId = ++m_nLast;
        m_world.vecOrders.push_back(order);
        m_world.nMost = std::max(m_world.nMost, ++m_world.nNow);
        if (m_world.fnOnStart) {
            m_world.fnOnStart(order);
        }
        m_mapTimers[nId] = m_timers.Add(PUT_MS, [this, nId, order, fnDone] {
            m_mapTimers.erase(nId);
            --m_world.nNow;
            SFtpPutOutcome outcome;
            auto it = m_world.mapReply.find(order.strHost);
            outcome.reply = it != m_world.mapReply.end()
                                ? it->second
                                : SFtpReply{true, 226, "226 Transfer complete."};
            outcome.nResult = TransferResult(outcome.reply);
            if (outcome.nResult == FTPRUN_OK && m_world.fnOnStored) {
                m_world.fnOnStored(order.strHost);
            }
            fnDone(outcome);
        });
        return nId;
    }
    void Cancel(uint64_t nId) override {
        if (m_mapTimers.count(nId) != 0) {
            m_timers.Cancel(m_mapTimers[nId]);
            m_mapTimers.erase(nId);
            --m_world.nNow;
        }
    }
    size_t Count() const override { return m_mapTimers.size(); }

private:
    CTimerQueue& m_timers;
    SPutWorld& m_world;
    uint64_t m_nLast = 0;
    std::map<uint64_t, uint64_t> m_mapTimers;
};

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
        EXPECT_GE(node.dwMs, 3000u + PUT_MS);
    }
    EXPECT_EQ(m_world.nMost, 4u);
    EXPECT_EQ(m_world.vecOrders.size(), 10u);
    EXPECT_EQ(m_world.vecOrders[0].strUser, "(none)");
    EXPECT_EQ(m_world.vecOrders[0].strLocalPath, m_strImage);
    // Three rounds of four, not ten nodes one after the other.
    EXPECT_GE(m_dwTook, 3u * (3000 + PUT_MS));
    EXPECT_LT(m_dwTook, 4u * (3000 + PUT_MS));
}

TEST_F(Rollout, AKernelTakesItsAccountFirstAndIsCheckedByTheKernelsVersion) {
    std::vector<std::string> vecMacs = AddNodes(2);
    CScratchDir::Write(m_strImage, "S00D0000524F4F542056322E313077\r\nS107000001020304EE\r\n"
                                   "S9030000FC\r\n"); // "ROOT V2.10"
    m_world.fnOnStored = nullptr;
    m_pNodes->SetVersionTable(Mac(0), VersionTable("", 0, 0)); // kernel 2.10
    m_pNodes->SetVersionTable(Mac(1), Bytes(219, 0));         // kernel 0.00
    std::vector<SRolloutNode> vecNodes = Run(vecMacs, 2, 0, DOWNLOAD_KERNEL);

    EXPECT_EQ(Requests(0), (std::vector<std::string>{"0103", "0105/6", "0105/0", "0108"}));
    EXPECT_EQ(vecNodes[0].eResult, ERolloutResult::Loaded);
    EXPECT_EQ(vecNodes[0].strReadBack, "ｶｰﾈﾙ V2.10");
    EXPECT_EQ(vecNodes[1].eResult, ERolloutResult::Failed);
    EXPECT_EQ(vecNodes[1].strState, "バージョン確認エラー");
    EXPECT_EQ(vecNodes[1].strReason,
              "ﾀﾞｳﾝﾛｰﾄﾞ後のﾊﾞｰｼﾞｮﾝ情報に「V2.10」がありません\r\n(ｶｰﾈﾙ V0.00)");
}
