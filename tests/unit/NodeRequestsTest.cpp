#include "DocFixture.h"
#include "link/NodeCodec.h"
#include "link/NodeProtocol.h"
#include "platform/PollMessagePump.h"
#include "res/Texts.h"

#include <chrono>
#include <ctime>

namespace {
constexpr uint32_t IP_10_0_0_5 = 0x0A000005u;

class NodeRequests : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        AddNetworkWithNodes({{"0080C8123456", IP_10_0_0_5}});
    }
};
} // namespace

TEST_F(NodeRequests, EndpointIsBoundToTheLocalPortWithBroadcast) {
    EXPECT_EQ(m_pSocket->GetBoundPort(), 65532);
    EXPECT_TRUE(m_pSocket->IsBroadcastOn());
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
}

TEST_F(NodeRequests, SearchSendsSixteenPacedProbes) {
    m_pSocket->ClearSent();
    uint32_t dwStart = m_clock.Now();
    m_pDoc->SendSearch();
    ASSERT_EQ(Sent().size(), 16u);
    for (uint8_t i = 0; i < 16; ++i) {
        EXPECT_EQ(Sent()[i].vecData,
                  (Bytes{0x76, 0x01, 0x01, 0x01, 0x00, 0x00, i, 0x00, 0x00, 0x0F, 0x95}))
            << "probe " << int(i);
        EXPECT_EQ(Sent()[i].dwIp, 0xFFFFFFFFu);
        EXPECT_EQ(Sent()[i].wPort, 65533);
    }
    // More than 50 ms after each probe: more than 800 ms in all.
    ASSERT_EQ(m_clock.GetSleeps().size(), 16u);
    for (uint32_t ms : m_clock.GetSleeps()) {
        EXPECT_GT(ms, 50u);
    }
    EXPECT_GT(m_clock.Now() - dwStart, 800u);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(NodeRequests, SearchPacingHoldsWhenTheClockOnlyCreeps) {
    // A tick counter that moves 1 ms per reading must still give more than 50 ms.
    m_clock.SetAutoStep(1);
    uint32_t dwStart = m_clock.Now();
    m_pDoc->SendSearch();
    EXPECT_EQ(Sent().size(), 16u);
    EXPECT_GT(m_clock.Now() - dwStart, 800u);
}

TEST_F(NodeRequests, SearchStopsAtTheFirstFailedSendAndSaysSoOnce) {
    int nSent = 0;
    m_pSocket->SetSendHook([&](const CMemoryDatagramSocket::SDatagram&) {
        if (++nSent == 3) {
            m_pSocket->SetFailSend(true);
        }
    });
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    m_pDoc->SendSearch();
    EXPECT_EQ(Sent().size(), 3u);
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{TXT_SEND_ERROR});
    EXPECT_EQ(m_ui.m_vecMessages[0].strCaption, "MRV設定ﾏﾈｰｼﾞｬ");
    // The failed probe is paced too.
    EXPECT_EQ(m_clock.GetSleeps().size(), 4u);
}

TEST_F(NodeRequests, ModeChangeToSetupIsTwelveBytes) {
    m_pDoc->SendChangeMode(0, 7, 1);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x05, 0x00, 0x80, 0xC8, 0x12, 0x34, 0x56, 0x95, 0x07}));
    EXPECT_EQ(Sent()[0].dwIp, IP_10_0_0_5);
    EXPECT_EQ(Sent()[0].wPort, 65533);
}

TEST_F(NodeRequests, ModeChangeKeepsOnlyTheLowByteOfTheMode) {
    m_pDoc->SendChangeMode(0, 0x106, 0);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].vecData.size(), 12u);
    EXPECT_EQ(Sent()[0].vecData[11], 0x06);
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu);
}

TEST_F(NodeRequests, ShortCommandsToOneNodeByUnicastOrBroadcast) {
    m_pDoc->SendInitialize(0, 0);
    m_pDoc->SendGetParam(0, 1);
    m_pDoc->SendGetVersion(0, 0);
    ASSERT_EQ(Sent().size(), 3u);
    EXPECT_EQ(Sent()[0].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x02, 0x00, 0x80, 0xC8, 0x12, 0x34, 0x56, 0x95}));
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu);
    EXPECT_EQ(Sent()[1].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x03, 0x00, 0x80, 0xC8, 0x12, 0x34, 0x56, 0x95}));
    EXPECT_EQ(Sent()[1].dwIp, IP_10_0_0_5);
    EXPECT_EQ(Sent()[2].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x08, 0x00, 0x80, 0xC8, 0x12, 0x34, 0x56, 0x95}));
    // None of them waits.
    EXPECT_TRUE(m_clock.GetSleeps().empty());
}

TEST_F(NodeRequests, LongMacTextUsesItsFirstTwelveDigits) {
    m_pDoc->AddOrUpdateNode(0, IP_10_0_0_5, "AABBCCDDEEFF99", true, "", "");
    m_pDoc->SendGetParam(1, 0);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x03, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x95}));
}

TEST_F(NodeRequests, UnknownModelIndexGivesModelCodeZero) {
    m_pDoc->AddOrUpdateNode(3, IP_10_0_0_5, "010203040506", true, "", "");
    m_pDoc->SendInitialize(1, 1);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x02, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x00}));
}

TEST_F(NodeRequests, NoNodeAtTheIndexSendsNothing) {
    m_pDoc->SendGetParam(5, 1);
    m_pDoc->SendChangeMode(-1, 7, 1);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(NodeRequests, UnicastSearchToOneAddress) {
    EXPECT_EQ(m_pDoc->SendSearchTo("10.1.2.3"), 0);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x95}));
    EXPECT_EQ(Sent()[0].dwIp, 0x0A010203u);
    ASSERT_EQ(m_clock.GetSleeps().size(), 1u);
    EXPECT_GT(m_clock.GetSleeps()[0], 50u);
}

TEST_F(NodeRequests, UnicastSearchFailureReturnsMinusOne) {
    m_pSocket->SetFailSend(true);
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    EXPECT_EQ(m_pDoc->SendSearchTo("10.1.2.3"), -1);
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{TXT_SEND_ERROR});
}

TEST_F(NodeRequests, UnparsableSearchTargetIsNeverBroadcast) {
    // inet_addr would read garbage as 255.255.255.255.
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    EXPECT_EQ(m_pDoc->SendSearchTo("not.an.address"), -1);
    EXPECT_EQ(m_pDoc->SendSearchTo("1.2.3.256"), -1);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(m_ui.MessageTexts(), (std::vector<std::string>{TXT_SEND_ERROR, TXT_SEND_ERROR}));
    // The broadcast address typed as such is a target like any other.
    EXPECT_EQ(m_pDoc->SendSearchTo("255.255.255.255"), 0);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu);
}

using NodeRequestsPortInUse = CDocFixture;

TEST_F(NodeRequestsPortInUse, ReportedOnceThenEverySendFails) {
    m_ui.ExpectMessage("通信用のポート(65532)が使用中です。\r\nMRV-620との通信が行なえません。");
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    COrvixDoc& doc = MakeDoc(true);
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{TXT_PORT_IN_USE});
    doc.AddNetwork("N", 0xFFFFFF00u, 0x02020202u);
    doc.AddOrUpdateNode(0, 0x0A000001u, "000000000001", true, "", "");
    doc.SendSearch();
    doc.SendGetParam(0, 1);
    EXPECT_EQ(m_ui.MessageTexts(),
              (std::vector<std::string>{TXT_PORT_IN_USE, TXT_SEND_ERROR, TXT_SEND_ERROR}));
    EXPECT_TRUE(m_pSocket->GetSent().empty());
}

TEST(NodeCodec, MacTextAndBytes) {
    const uint8_t abMac[6] = {0x00, 0x0a, 0xBC, 0xde, 0xF0, 0x01};
    EXPECT_EQ(MacToText(abMac), "000ABCDEF001");
    const uint8_t abHigh[6] = {0xFF, 0x9A, 0x10, 0x7F, 0x80, 0x09};
    EXPECT_EQ(MacToText(abHigh), "FF9A107F8009");
    uint8_t abOut[6];
    TextToMac("000abcdef001", abOut);
    EXPECT_EQ(Bytes(abOut, abOut + 6), (Bytes{0x00, 0x0A, 0xBC, 0xDE, 0xF0, 0x01}));
    // A short text leaves the bytes it does not reach 0.
    TextToMac("12345", abOut);
    EXPECT_EQ(Bytes(abOut, abOut + 6), (Bytes{0x12, 0x34, 0x05, 0x00, 0x00, 0x00}));
    TextToMac("", abOut);
    EXPECT_EQ(Bytes(abOut, abOut + 6), (Bytes(6, 0)));
}

TEST(NodeCodec, ModelTable) {
    EXPECT_EQ(ModelCodeFromIndex(0), 0x95);
    EXPECT_EQ(ModelCodeFromIndex(1), 0x00);
    EXPECT_EQ(ModelCodeFromIndex(-1), 0x00);
    EXPECT_EQ(ModelIndexFromCode(0x95), 0);
    EXPECT_EQ(ModelIndexFromCode(0x42), 0);
}

// --- waiting for a reply -------------------------------------------------

namespace {
class WaitForReply : public CDocFixture {
protected:
    void SetUp() override { MakeDoc(); }
    int32_t& Pending() { return m_pDoc->GetSocket().m_nPending; }
};
} // namespace

TEST_F(WaitForReply, EndsAfterThePumpThatChangedTheState) {
    Pending() = PENDING_GET_VERSION;
    m_pump.Post([this] { Pending() = PENDING_NONE; });
    m_pDoc->WaitForReply(5000, PENDING_GET_VERSION);
    EXPECT_EQ(Pending(), PENDING_NONE);
    EXPECT_EQ(m_clock.Now(), 0u); // no time passed: it did not wait on
    EXPECT_EQ(m_pump.GetWaitCount(), 0u);
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
}

TEST_F(WaitForReply, AReplyArrivingLaterEndsTheWaitEarly) {
    Pending() = PENDING_SET_PARAM;
    // The reply comes on the third blocking wait.
    int nWaits = 0;
    std::function<void()> fnLater = [&] {
        if (++nWaits == 3) {
            Pending() = PENDING_ERROR;
        } else {
            m_pump.Post(fnLater);
        }
    };
    m_pump.Post(fnLater);
    m_pDoc->WaitForReply(5000, PENDING_SET_PARAM);
    EXPECT_EQ(Pending(), PENDING_ERROR);
    EXPECT_LT(m_clock.Now(), 5000u);
}

TEST_F(WaitForReply, NoReplyLastsTheTimeoutAndLeavesTheState) {
    Pending() = PENDING_GET_PARAM;
    m_pDoc->WaitForReply(5000, PENDING_GET_PARAM);
    EXPECT_EQ(Pending(), PENDING_GET_PARAM);
    EXPECT_GE(m_clock.Now(), 5000u);
    EXPECT_LT(m_clock.Now(), 5100u);
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
}

TEST_F(WaitForReply, AlwaysPumpsOnceEvenWithATimeoutOfZero) {
    Pending() = PENDING_INITIALIZE;
    bool bRan = false;
    m_pump.Post([&] { bRan = true; });
    m_pDoc->WaitForReply(0, PENDING_INITIALIZE);
    EXPECT_TRUE(bRan);
    EXPECT_EQ(Pending(), PENDING_INITIALIZE);
    EXPECT_EQ(m_pump.GetWaitCount(), 0u);
}

TEST_F(WaitForReply, ATimeoutPassedDuringTheFirstPumpEndsTheWait) {
    Pending() = PENDING_CHANGE_MODE;
    m_pump.Post([this] { m_clock.Advance(6000); });
    m_pDoc->WaitForReply(5000, PENDING_CHANGE_MODE);
    EXPECT_EQ(m_pump.GetWaitCount(), 0u);
    EXPECT_EQ(Pending(), PENDING_CHANGE_MODE);
}

TEST_F(WaitForReply, TickWrapAroundDoesNotCutTheWaitShort) {
    m_clock.Advance(0xFFFFFF00u);
    Pending() = PENDING_GET_PARAM;
    m_pDoc->WaitForReply(5000, PENDING_GET_PARAM);
    EXPECT_GE(m_clock.Now() - 0xFFFFFF00u, 5000u);
}

using WaitForReplyRealTime = CDocFixtureOn<CSystemClock, CPollMessagePump>;

TEST_F(WaitForReplyRealTime, BlocksInsteadOfSpinning) {
    COrvixDoc& doc = MakeDoc();
    doc.GetSocket().m_nPending = PENDING_GET_PARAM;
    std::clock_t cpuStart = std::clock();
    auto wallStart = std::chrono::steady_clock::now();
    doc.WaitForReply(400, PENDING_GET_PARAM);
    auto msWall = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - wallStart)
                      .count();
    double dCpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // Ticks count whole milliseconds: 400 of them may start just before a tick.
    EXPECT_GE(msWall, 399);
    EXPECT_LT(msWall, 2000);
    EXPECT_LT(dCpuMs, 40.0) << "a wait must block on the pump";
}
