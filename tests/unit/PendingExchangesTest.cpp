// Several exchanges at once, keyed by node: replies of many nodes that come
// in any order reach exactly the exchange of their node and code; strays and
// late ones reach none; each exchange ends at its own time-out. And the
// timers beneath them.
#include "DocFixture.h"
#include "NodeResponder.h"
#include "platform/TimerQueue.h"

#include <algorithm>
#include <map>
#include <random>

namespace {
constexpr uint16_t GET_PARAM = 0x0203;
constexpr uint16_t CHANGE_MODE = 0x0205;
constexpr uint16_t MODE_SPECIAL = 0x0206;
constexpr uint16_t GET_VERSION = 0x0208;
constexpr int NODES = 48;     // registered
constexpr int IN_FLIGHT = 40; // the first ones have exchanges open

std::string Mac(int n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0080C80000%02X", n);
    return sz;
}

uint32_t Ip(int n) {
    return 0x0A000001u + static_cast<uint32_t>(n);
}

std::string IpText(int n) {
    return "10.0.0." + std::to_string(n + 1);
}

// A reply as long as its code needs, result byResult.
Bytes Reply(uint16_t wCode, const std::string& strMac, uint8_t byResult = 0) {
    Bytes vec = CNodeResponder::Reply(wCode, strMac, 0x07, byResult);
    vec.resize(wCode == GET_PARAM ? 730 : wCode == GET_VERSION ? 232 : 13, 0);
    return vec;
}

struct SSettled {
    int nOutcome = -2;
    std::string strMac; // of the reply, empty without one
    uint16_t wCode = 0;
    int nTimes = 0;
    uint32_t dwAt = 0;
};

class PendingExchanges : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        std::vector<std::pair<std::string, uint32_t>> vecNodes;
        for (int n = 0; n < NODES; ++n) {
            vecNodes.emplace_back(Mac(n), Ip(n));
        }
        AddNetworkWithNodes(vecNodes);
    }

    // Opens node n's exchange for wCode; it records how it settled.
    bool Open(int n, uint16_t wCode, uint32_t dwTimeout = 5000) {
        return m_pDoc->ExchangeWithNode(
            n, wCode, [this, n, wCode] { m_vecSent.emplace_back(n, wCode); }, dwTimeout,
            [this, n, wCode](int nOutcome, const SNodeResponse* pReply) {
                SSettled& settled = m_mapSettled[{n, wCode}];
                settled.nOutcome = nOutcome;
                settled.strMac = pReply != nullptr ? pReply->strMac : "";
                settled.wCode = pReply != nullptr ? pReply->wCode : 0;
                settled.dwAt = m_clock.Now();
                ++settled.nTimes;
            });
    }
    void Inject(const Bytes& vec, int nFrom) { m_pSocket->Inject(vec, IpText(nFrom), 65533); }

    const SSettled& Settled(int n, uint16_t wCode) { return m_mapSettled[{n, wCode}]; }

    std::vector<std::pair<int, uint16_t>> m_vecSent;
    std::map<std::pair<int, uint16_t>, SSettled> m_mapSettled;
};
} // namespace

TEST_F(PendingExchanges, InterleavedRepliesOfManyNodesAndStraysReachExactlyTheirExchanges) {
    // Each node in flight awaits one code, the first ten a second one too.
    const uint16_t CODES[] = {GET_PARAM, CHANGE_MODE, GET_VERSION};
    std::map<std::pair<int, uint16_t>, uint8_t> mapExpected; // -> result it gets
    for (int n = 0; n < IN_FLIGHT; ++n) {
        uint16_t wCode = CODES[n % 3];
        ASSERT_TRUE(Open(n, wCode));
        mapExpected[{n, wCode}] = n % 7 == 0 ? 0x05 : 0x00;
        if (n < 10) {
            uint16_t wSecond = CODES[(n + 1) % 3];
            ASSERT_TRUE(Open(n, wSecond));
            mapExpected[{n, wSecond}] = 0x00;
        }
    }
    // One exchange per node and code.
    EXPECT_FALSE(Open(0, GET_PARAM));
    EXPECT_FALSE(Open(1, MODE_SPECIAL)) << "a mode change awaits both of its codes";
    EXPECT_EQ(m_pDoc->GetExchanges().Count(), mapExpected.size());
    EXPECT_EQ(m_vecSent.size(), mapExpected.size());

    std::vector<std::pair<Bytes, int>> vecReplies;
    for (const auto& [key, byResult] : mapExpected) {
        // Node 4 answers its mode change with the special mode's code.
        uint16_t wCode = key.first == 4 && key.second == CHANGE_MODE ? MODE_SPECIAL : key.second;
        vecReplies.emplace_back(Reply(wCode, Mac(key.first), byResult), key.first);
    }
    // Strays: nodes not in flight, a MAC nobody registered, codes nobody awaits.
    for (int n = IN_FLIGHT; n < NODES; ++n) {
        for (uint16_t wCode : CODES) {
            vecReplies.emplace_back(Reply(wCode, Mac(n)), n);
        }
    }
    vecReplies.emplace_back(Reply(CHANGE_MODE, "0080C80000FF"), 99);
    vecReplies.emplace_back(Reply(0x0204, Mac(1)), 1);
    vecReplies.emplace_back(Reply(0x0202, Mac(2)), 2);
    vecReplies.emplace_back(Reply(0x0207, Mac(3)), 3);
    std::mt19937 rng(21);
    std::shuffle(vecReplies.begin(), vecReplies.end(), rng);
    // Every tenth reply comes twice; the second copy finds its exchange closed.
    for (size_t i = 0; i < vecReplies.size(); ++i) {
        Inject(vecReplies[i].first, vecReplies[i].second);
        if (i % 10 == 0) {
            Inject(vecReplies[i].first, vecReplies[i].second);
        }
    }
    m_pDoc->WaitForEvents(0);

    ASSERT_EQ(m_mapSettled.size(), mapExpected.size());
    for (const auto& [key, byResult] : mapExpected) {
        const SSettled& settled = m_mapSettled[key];
        SCOPED_TRACE(Mac(key.first) + " " + std::to_string(key.second));
        EXPECT_EQ(settled.nTimes, 1);
        EXPECT_EQ(settled.strMac, Mac(key.first));
        EXPECT_EQ(settled.wCode,
                  key.first == 4 && key.second == CHANGE_MODE ? MODE_SPECIAL : key.second);
        EXPECT_EQ(settled.nOutcome, byResult == 0 ? EXCHANGE_DONE : EXCHANGE_ABNORMAL);
    }
    EXPECT_EQ(m_pDoc->GetExchanges().Count(), 0u);
    // The one pending state of the window's operations saw none of it, and
    // an abnormal reply routed here showed no message (the UI is strict).
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
    EXPECT_EQ(m_pDoc->m_arrNets[0]->m_arrNodes.size(), static_cast<size_t>(NODES));
}

TEST_F(PendingExchanges, EachEndsAtItsOwnTimeOutAndALateReplyIsNobodys) {
    const uint32_t dwStart = m_clock.Now();
    ASSERT_TRUE(Open(0, CHANGE_MODE, 5000));
    ASSERT_TRUE(Open(1, CHANGE_MODE, 2000));
    ASSERT_TRUE(Open(2, GET_VERSION, 3000));
    m_clock.Advance(1000);
    Inject(Reply(GET_VERSION, Mac(2)), 2);
    m_pDoc->WaitForEvents(10000); // the reply: no time passes
    EXPECT_EQ(Settled(2, GET_VERSION).nOutcome, EXCHANGE_DONE);
    EXPECT_EQ(Settled(2, GET_VERSION).dwAt, dwStart + 1000);
    while (m_pDoc->GetExchanges().Count() > 0) {
        m_pDoc->WaitForEvents(10000); // waits no longer than to the next time-out
    }
    EXPECT_EQ(Settled(1, CHANGE_MODE).nOutcome, EXCHANGE_NO_REPLY);
    EXPECT_EQ(Settled(1, CHANGE_MODE).dwAt, dwStart + 2000);
    EXPECT_EQ(Settled(0, CHANGE_MODE).nOutcome, EXCHANGE_NO_REPLY);
    EXPECT_EQ(Settled(0, CHANGE_MODE).dwAt, dwStart + 5000);
    EXPECT_EQ(Settled(0, CHANGE_MODE).strMac, "");

    Inject(Reply(CHANGE_MODE, Mac(0)), 0);
    m_pDoc->WaitForEvents(0);
    EXPECT_EQ(Settled(0, CHANGE_MODE).nTimes, 1);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
    // A closed exchange can be opened again, and cancelled without settling.
    ASSERT_TRUE(Open(0, CHANGE_MODE, 5000));
    EXPECT_TRUE(m_pDoc->GetExchanges().Cancel(Mac(0), CHANGE_MODE));
    EXPECT_FALSE(m_pDoc->GetExchanges().Cancel(Mac(0), CHANGE_MODE));
    EXPECT_EQ(m_pDoc->GetTimers().Count(), 0u);
    EXPECT_EQ(Settled(0, CHANGE_MODE).nTimes, 1);
}

TEST(TimerQueue, RunsWhatIsDueInOrderAndLeavesWhatItsWorkAddsForTheNextRound) {
    CTestClock clock(0xFFFFF000u); // the ticks wrap while it runs
    CTimerQueue timers(clock);
    std::vector<std::string> vecRun;
    timers.Add(3000, [&] { vecRun.push_back("3000"); });
    uint64_t nCancelled = timers.Add(2000, [&] { vecRun.push_back("cancelled"); });
    timers.Add(1000, [&] {
        vecRun.push_back("1000");
        timers.Add(0, [&] { vecRun.push_back("added"); });
    });
    EXPECT_EQ(timers.MsUntilNext(60000), 1000u);
    EXPECT_TRUE(timers.Cancel(nCancelled));
    EXPECT_FALSE(timers.Cancel(nCancelled));
    clock.Advance(999);
    EXPECT_EQ(timers.RunDue(), 0u);
    EXPECT_EQ(timers.MsUntilNext(60000), 1u);
    clock.Advance(5000);
    EXPECT_EQ(timers.RunDue(), 2u);
    EXPECT_EQ(vecRun, (std::vector<std::string>{"1000", "3000"}));
    EXPECT_EQ(timers.MsUntilNext(60000), 0u);
    EXPECT_EQ(timers.RunDue(), 1u);
    EXPECT_EQ(vecRun.back(), "added");
    EXPECT_EQ(timers.MsUntilNext(60000), 60000u);
}
