// The one request/wait exchange and the reply collection every operation uses.
#include "DocFixture.h"

namespace {
// A mode-change acknowledgement (0x0205) of node 00:80:C8:00:00:01 with a result.
Bytes ModeReply(uint8_t byResult) {
    return {0x76, 0x01, 0x02, 0x05, 0x00, 0x80, 0xC8, 0x00, 0x00, 0x01, 0x95, 0x07, byResult};
}
// A search answer of the node with the given last MAC byte.
Bytes SearchReply(uint8_t byMac) {
    return {0x76, 0x01, 0x02, 0x01, 0x00, 0x80, 0xC8, 0x00, 0x00, byMac, 0x95, 0x00, 0x00};
}

class Exchange : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        AddNetworkWithNodes({{"0080C8000001", 0xC0A8010Au}});
    }
    // Sends a mode change to row 0; the node answers with nResult (-1: silent).
    int ChangeMode(int nResult) {
        if (nResult >= 0) {
            m_pSocket->SetSendHook([this, nResult](const CMemoryDatagramSocket::SDatagram&) {
                m_pSocket->Inject(ModeReply(uint8_t(nResult)), "192.168.1.10", 65533);
            });
        }
        return m_pDoc->Exchange(
            PENDING_CHANGE_MODE, [this] { m_pDoc->SendChangeMode(0, 7, 1); }, 5000);
    }
};
} // namespace

TEST_F(Exchange, AnAcknowledgedRequestIsDoneAndLeavesNothingPending) {
    uint32_t dwStart = m_clock.Now();
    EXPECT_EQ(ChangeMode(0), EXCHANGE_DONE);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
    EXPECT_LT(m_clock.Now() - dwStart, 5000u);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].vecData,
              (Bytes{0x76, 0x01, 0x01, 0x05, 0x00, 0x80, 0xC8, 0x00, 0x00, 0x01, 0x95, 0x07}));
    EXPECT_EQ(Sent()[0].dwIp, 0xC0A8010Au);
}

TEST_F(Exchange, ARefusalIsAbnormalAfterTheDispatcherReportedIt) {
    m_ui.ExpectMessage(
        "MRV-620から異常応答を受信しました\n"
        "ｺﾏﾝﾄﾞｺｰﾄﾞ=0205\nMACｱﾄﾞﾚｽ=0080C8000001\n機種ｺｰﾄﾞ=95\n動作ﾓｰﾄﾞ=07\n結果ｺｰﾄﾞ=04");
    EXPECT_EQ(ChangeMode(4), EXCHANGE_ABNORMAL);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
}

TEST_F(Exchange, SilenceIsNoReplyAfterTheWholeTimeoutAndShowsNothing) {
    uint32_t dwStart = m_clock.Now();
    EXPECT_EQ(ChangeMode(-1), EXCHANGE_NO_REPLY);
    EXPECT_GE(m_clock.Now() - dwStart, 5000u);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(Exchange, ASearchAnswerDuringAnotherWaitSettlesItAndIsMerged) {
    // A late search answer arrives while a mode change is awaited; search
    // answers are taken at any time.
    m_pSocket->SetSendHook([this](const CMemoryDatagramSocket::SDatagram&) {
        m_pSocket->Inject(SearchReply(0x02), "192.168.1.11", 65533);
    });
    int nOutcome = m_pDoc->Exchange(
        PENDING_CHANGE_MODE, [this] { m_pDoc->SendChangeMode(0, 7, 1); }, 5000);
    // The search answer settles the state to 0, which the wait reads as done:
    // the protocol cannot tell whose reply it was.
    EXPECT_EQ(nOutcome, EXCHANGE_DONE);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 2u);
}

TEST_F(Exchange, CollectingDispatchesQueuedRepliesFirstAndLastsItsWindow) {
    m_pDoc->GetSocket().m_nPending = PENDING_SEARCH;
    m_pSocket->Inject(SearchReply(0x03), "192.168.1.13", 65533);
    m_pDoc->PauseKeepingReplies(51);
    // Taken off the socket during the pause, not yet dispatched.
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 1u);
    EXPECT_EQ(m_pSocket->GetQueued(), 0u);
    uint32_t dwStart = m_clock.Now();
    m_pDoc->CollectReplies(1500);
    EXPECT_GE(m_clock.Now() - dwStart, 1500u);
    ASSERT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 2u);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[1].m_strMac, "0080C8000003");
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[1].m_dwIp, 0xC0A8010Du);
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
}
