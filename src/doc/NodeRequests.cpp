// The senders over registry nodes, the waits, and the one request/wait exchange.
#include "doc/FtpPuts.h"
#include "doc/OrvixDoc.h"
#include "link/NodeCodec.h"
#include "link/NodeRequest.h"
#include "platform/Clock.h"
#include "platform/IpText.h"
#include "platform/MessagePump.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <cstdio>

namespace {
// More than this must pass between two search probes.
constexpr uint32_t SEARCH_PACING_MS = 50;
// How long a pause lets replies gather before reading them (a socket buffer
// holds far more than arrive meanwhile).
constexpr uint32_t PAUSE_GATHER_MS = 4;
} // namespace

bool COrvixDoc::SendRequest(const SNodeRequest& req, uint32_t dwIp) {
    bool bSent = m_pSocket->SendTo(req.abData.data(), req.nLen, dwIp, NODE_DEVICE_PORT) >= 0;
    ReportMissingInterface();
    if (!bSent) {
        m_env.ui.ShowMessage(TXT_SEND_ERROR);
        return false;
    }
    return true;
}

void COrvixDoc::ReportMissingInterface() {
    if (m_pSocket->TakeMissingChoiceNotice()) {
        char sz[256];
        std::snprintf(sz, sizeof sz, TXT_ITF_MISSING_FORMAT,
                      m_pSocket->GetInterfaceChoice().c_str());
        m_env.ui.ShowMessage(sz);
    }
}

uint32_t COrvixDoc::NodeDestination(const COXParam& node, int nUnicast) {
    return nUnicast != 0 ? node.m_dwIp : NODE_BROADCAST_IP;
}

void COrvixDoc::PauseKeepingReplies(uint32_t dwMs) {
    // Replies that come meanwhile are read into the endpoint's queue, so that a
    // burst cannot overflow the socket; they are dispatched afterwards, in order.
    uint32_t dwStart = m_env.clock.GetTickCount();
    for (;;) {
        uint32_t dwElapsed = m_env.clock.Elapsed(dwStart);
        if (dwElapsed >= dwMs) {
            break;
        }
        uint32_t dwLeft = dwMs - dwElapsed;
        if (m_env.clock.SleepUnlessReadable(m_pSocket->GetDescriptor(), dwLeft)) {
            if (!m_pSocket->AbsorbPending()) {
                m_env.clock.Sleep(dwLeft); // queue full: what is left waits on the socket
            } else if (dwLeft > PAUSE_GATHER_MS) {
                // Nothing waits on these replies: let a burst gather in the
                // socket and read it in one go instead of waking for each one.
                m_env.clock.Sleep(PAUSE_GATHER_MS);
            }
        }
    }
}

void COrvixDoc::SendSearch() {
    for (int i = 0; i < SEARCH_PROBE_COUNT; ++i) {
        SNodeRequest req = ComposeShortRequest(NODECMD_SEARCH, SearchProbeMac(i),
                                               ModelCodeFromIndex(MODEL_INDEX_MRV620));
        bool bSent = m_pSocket->SendTo(req.abData.data(), req.nLen, NODE_BROADCAST_IP,
                                       NODE_DEVICE_PORT) >= 0;
        ReportMissingInterface();
        PauseKeepingReplies(SEARCH_PACING_MS + 1);
        if (!bSent) {
            m_env.ui.ShowMessage(TXT_SEND_ERROR);
            return;
        }
    }
}

int COrvixDoc::SendSearchTo(const std::string& strAddr) {
    SNodeRequest req = ComposeShortRequest(NODECMD_SEARCH, SEARCH_UNICAST_MAC,
                                           ModelCodeFromIndex(MODEL_INDEX_MRV620));
    // The target was typed as text; an unparsable text must not become the
    // broadcast address.
    uint32_t dwIp = 0;
    bool bSent = ParseDottedAddress(strAddr, dwIp) &&
                 m_pSocket->SendTo(req.abData.data(), req.nLen, dwIp, NODE_DEVICE_PORT) >= 0;
    ReportMissingInterface(); // a target of 255.255.255.255 is a broadcast too
    PauseKeepingReplies(SEARCH_PACING_MS + 1);
    if (!bSent) {
        m_env.ui.ShowMessage(TXT_SEND_ERROR);
        return -1;
    }
    return 0;
}

void COrvixDoc::SendShortToNode(uint16_t wCode, int nIndex, int nUnicast) {
    if (const COXParam* pNode = GetNode(nIndex)) {
        SendRequest(
            ComposeShortRequest(wCode, pNode->m_strMac, ModelCodeFromIndex(pNode->m_nModel)),
            NodeDestination(*pNode, nUnicast));
    }
}

void COrvixDoc::SendInitialize(int nIndex, int nUnicast) {
    SendShortToNode(NODECMD_INITIALIZE, nIndex, nUnicast);
}

void COrvixDoc::SendGetParam(int nIndex, int nUnicast) {
    SendShortToNode(NODECMD_GET_PARAM, nIndex, nUnicast);
}

void COrvixDoc::SendGetVersion(int nIndex, int nUnicast) {
    SendShortToNode(NODECMD_GET_VERSION, nIndex, nUnicast);
}

void COrvixDoc::SendChangeMode(int nIndex, int nMode, int nUnicast) {
    if (const COXParam* pNode = GetNode(nIndex)) {
        SendRequest(ComposeModeRequest(pNode->m_strMac, ModelCodeFromIndex(pNode->m_nModel), nMode),
                    NodeDestination(*pNode, nUnicast));
    }
}

void COrvixDoc::SendSetParam(const NODEPARAM& param, const COXParam& node, uint32_t dwDest) {
    // A node without an address yet is reached by broadcast; the MAC names it.
    uint32_t dwIp = dwDest == NODE_UNSET_IP ? NODE_BROADCAST_IP : dwDest;
    SendRequest(ComposeSetParamRequest(node.m_strMac, ModelCodeFromIndex(node.m_nModel), param),
                dwIp);
}

void COrvixDoc::SendSetParamToNode(const NODEPARAM& param, int nIndex, uint32_t dwDest) {
    if (const COXParam* pNode = GetNode(nIndex)) {
        SendSetParam(param, *pNode, dwDest);
    }
}

void COrvixDoc::WaitForReply(uint32_t dwTimeout, int nState) {
    m_env.ui.BeginWaitCursor();
    uint32_t dwStart = m_env.clock.GetTickCount();
    m_env.pump.PumpPendingMessages();
    for (;;) {
        m_env.ui.RestoreWaitCursor();
        uint32_t dwElapsed = m_env.clock.Elapsed(dwStart);
        if (m_pSocket->m_nPending != nState || dwElapsed >= dwTimeout) {
            break;
        }
        m_env.pump.WaitForMessages(dwTimeout - dwElapsed);
    }
    m_env.ui.EndWaitCursor();
}

int COrvixDoc::Exchange(int32_t nState, const std::function<void()>& fnSend, uint32_t dwTimeout) {
    int32_t& nPending = m_pSocket->m_nPending;
    nPending = nState;
    fnSend();
    WaitForReply(dwTimeout, nState);
    int nOutcome = EXCHANGE_DONE;
    if (nPending == PENDING_ERROR) {
        nOutcome = EXCHANGE_ABNORMAL;
    } else if (nPending != PENDING_NONE) {
        nOutcome = EXCHANGE_NO_REPLY;
    }
    nPending = PENDING_NONE;
    return nOutcome;
}

void COrvixDoc::CollectReplies(uint32_t dwMs) {
    m_env.ui.BeginWaitCursor();
    // Replies taken in while the probes were paced come first, in order.
    DispatchQueuedDatagrams();
    uint32_t dwStart = m_env.clock.GetTickCount();
    for (;;) {
        uint32_t dwElapsed = m_env.clock.Elapsed(dwStart);
        if (dwElapsed >= dwMs) {
            break;
        }
        m_env.pump.WaitForMessages(dwMs - dwElapsed);
        m_env.ui.RestoreWaitCursor();
    }
    m_env.ui.EndWaitCursor();
}

bool COrvixDoc::ExchangeWithNode(int nIndex, uint16_t wReplyCode,
                                 const std::function<void()>& fnSend, uint32_t dwTimeout,
                                 CPendingExchanges::FnSettle fnSettle) {
    const COXParam* pNode = GetNode(nIndex);
    if (pNode == nullptr) {
        return false;
    }
    // The MAC as the request carries it and the reply will.
    uint8_t abMac[6] = {};
    TextToMac(pNode->m_strMac, abMac);
    if (!m_exchanges.Open(MacToText(abMac), wReplyCode, dwTimeout, std::move(fnSettle))) {
        return false;
    }
    fnSend();
    return true;
}

void COrvixDoc::WaitForEvents(uint32_t dwMaxMs) {
    m_env.pump.WaitForMessages(m_timers.MsUntilNext(dwMaxMs));
    m_timers.RunDue();
}

std::unique_ptr<CFtpPuts> COrvixDoc::CreateFtpPuts() {
    if (m_ftpEnv.fnCreatePuts) {
        return m_ftpEnv.fnCreatePuts(m_env.pump, m_timers);
    }
    return MakeFtpPuts(m_env.pump, m_timers, m_ftpEnv);
}
