#include "DocFixture.h"
#include "MessagePumpContract.h"
#include "gui/QtMessagePump.h"
#include "gui/QtUi.h"
#include "link/NodeProtocol.h"
#include "params/ParamControls.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
// A document on the Qt pump and real time, answering through the in-memory socket.
class QtNestedWait : public CDocFixtureOn<CSystemClock, CQtMessagePump> {
protected:
    void SetUp() override { MakeDoc(); }

    // The initialise acknowledgement of one node.
    void InjectInitReply() {
        m_pSocket->Inject(
            {0x76, 0x01, 0x02, 0x02, 0x00, 0x80, 0xC8, 0x00, 0x00, 0x01, 0x95, 0x00, 0x00},
            "192.168.1.5", NODE_DEVICE_PORT);
    }
};
} // namespace

TEST_F(QtNestedWait, ReplyWaitInsideAHandlerSeesTheReplyArrive) {
    int32_t nPendingAfter = 99;
    double dWaitMs = -1.0;
    m_pump.Post([&] {
        m_pDoc->GetSocket().m_nPending = PENDING_INITIALIZE;
        // The node answers later, from Qt's loop, while the inner wait runs.
        QTimer::singleShot(50, [this] { InjectInitReply(); });
        pump_contract::CStopwatch watch;
        m_pDoc->WaitForReply(5000, PENDING_INITIALIZE);
        dWaitMs = watch.Ms();
        nPendingAfter = m_pDoc->GetSocket().m_nPending;
    });
    m_pump.WaitForMessages(5000);
    EXPECT_EQ(nPendingAfter, PENDING_NONE);
    EXPECT_GE(dWaitMs, 0.0);
    EXPECT_LT(dWaitMs, 2500.0);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(m_ui.m_nWaitCursorDepth, 0);
}

TEST_F(QtNestedWait, ReplyWaitWithoutAReplyLastsItsTimeoutWithoutSpinning) {
    m_pDoc->GetSocket().m_nPending = PENDING_INITIALIZE;
    pump_contract::CStopwatch watch;
    m_pDoc->WaitForReply(300, PENDING_INITIALIZE);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_INITIALIZE);
    EXPECT_GE(watch.Ms(), 280.0);
    EXPECT_LT(watch.Ms(), 2300.0);
    EXPECT_LT(watch.CpuMs(), 150.0);
}

TEST_F(QtNestedWait, DatagramsAreDispatchedWhileAMessageBoxIsOpen) {
    // A box shown from inside a dispatch (an abnormal reply, say) must not stop
    // the replies that come meanwhile.
    CQtUi ui;
    m_pDoc->GetSocket().m_nPending = PENDING_INITIALIZE;
    int32_t nPendingSeen = 99;
    auto* pTimer = new QTimer;
    QObject::connect(pTimer, &QTimer::timeout, [&, pTimer] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (pBox == nullptr) {
            return;
        }
        if (m_pSocket->GetQueued() == 0 && m_pDoc->GetSocket().m_nPending == PENDING_INITIALIZE) {
            InjectInitReply();
            return;
        }
        if (m_pDoc->GetSocket().m_nPending != PENDING_INITIALIZE) {
            nPendingSeen = m_pDoc->GetSocket().m_nPending;
            pTimer->stop();
            pTimer->deleteLater();
            pBox->accept();
        }
    });
    pTimer->start(10);
    ui.ShowMessage("MRV-620から異常応答を受信しました");
    EXPECT_EQ(nPendingSeen, PENDING_NONE);
}

// The settings exchange on the Qt pump: the get-parameters reply opens the
// dialog from inside the dispatch, "送信" sends and waits there, and the set
// reply is dispatched by a second, nested entry.
TEST_F(QtNestedWait, SettingsExchangeNestsADispatchInsideAWaitInsideADispatch) {
    m_pDoc->AddNetwork("NET", 0xFFFFFF00u, 0x02020202u);
    std::vector<uint8_t> vecGet(730, 0);
    const uint8_t abHead[] = {0x76, 0x01, 0x02, 0x03, 0x00, 0x80, 0xC8,
                              0x00, 0x00, 0x01, 0x95, 0,    0};
    std::copy(std::begin(abHead), std::end(abHead), vecGet.begin());
    const uint8_t abOwnIp[] = {192, 168, 1, 5};
    std::copy(std::begin(abOwnIp), std::end(abOwnIp), vecGet.begin() + 13);
    m_pSocket->SetSendHook([this](const CMemoryDatagramSocket::SDatagram& dg) {
        if (dg.vecData.size() == 730 && dg.vecData[3] == 0x04) {
            // The node answers a little later, from Qt's own loop.
            QTimer::singleShot(30, [this] {
                m_pSocket->Inject(
                    {0x76, 0x01, 0x02, 0x04, 0x00, 0x80, 0xC8, 0x00, 0x00, 0x01, 0x95, 0x00, 0x00},
                    "192.168.1.5", NODE_DEVICE_PORT);
            });
        }
    });
    int32_t nPendingInDialog = 0;
    m_ui.ExpectDialog("CParamEditor", [&](CDialogModel& dlg, CUi& ui) {
        nPendingInDialog = m_pDoc->GetSocket().m_nPending;
        // Values the dialog's checks accept.
        Type(dlg, ui, IDC_PED_OWN_IP, "192.168.1.77");
        Type(dlg, ui, IDC_PED_OWN_PORT, "257");
        Type(dlg, ui, IDC_PED_DEST_IP, "10.0.0.2");
        Type(dlg, ui, IDC_PED_DEST_PORT, "514");
        Type(dlg, ui, IDC_PED_SUBNET_MASK, "255.255.255.0");
        Type(dlg, ui, IDC_PED_GATEWAY, "192.168.1.1");
        Type(dlg, ui, IDC_PED_KEEPALIVE, "0");
        Type(dlg, ui, IDC_PED_CONNECT_TIMER, "2");
        Type(dlg, ui, IDC_PED_NOCOMM_TIMER, "0");
        Type(dlg, ui, IDC_PED_MTU, "1500");
        Type(dlg, ui, IDC_PED_IDLE_TIMER, "0");
        // Closes without a message: the checks passed.
        return Press(dlg, ui, IDC_PED_SEND);
    });
    m_pDoc->GetSocket().m_nPending = PENDING_GET_PARAM;
    m_pSocket->Inject(vecGet, "192.168.1.5", NODE_DEVICE_PORT);
    pump_contract::CStopwatch watch;
    while (m_pDoc->GetSocket().m_nPending == PENDING_GET_PARAM && watch.Ms() < 5000.0) {
        m_pump.WaitForMessages(5000);
    }
    EXPECT_EQ(nPendingInDialog, PENDING_GET_PARAM);
    EXPECT_EQ(m_pDoc->GetSocket().m_nPending, PENDING_NONE);
    EXPECT_TRUE(m_ui.m_vecMessages.empty()) << m_ui.m_vecMessages.front().strText;
    ASSERT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 1u);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[0].m_dwIp, 0xC0A8014Du); // 192.168.1.77
    EXPECT_LT(watch.Ms(), 2500.0);
}
