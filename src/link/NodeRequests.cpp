// The senders of the node command set and the wait for a reply.
#include "link/NodeCodec.h"
#include "link/NodeProtocol.h"
#include "platform/Clock.h"
#include "platform/IpText.h"
#include "platform/MessagePump.h"
#include "platform/Ui.h"
#include "registry/OrvixDoc.h"
#include "res/Texts.h"

#include <cstdio>

namespace {
constexpr uint32_t SEARCH_PACING_MS = 50;

void ComposeHeader(uint8_t* pBuf, uint16_t wCode, const std::string& strMac, uint8_t byModel) {
    std::fill(pBuf, pBuf + NODE_REQUEST_BUFFER, uint8_t{0});
    pBuf[0] = NODE_SIGNATURE_0;
    pBuf[1] = NODE_SIGNATURE_1;
    pBuf[NODEOFS_CODE] = static_cast<uint8_t>(wCode >> 8);
    pBuf[NODEOFS_CODE + 1] = static_cast<uint8_t>(wCode & 0xFF);
    TextToMac(strMac, pBuf + NODEOFS_MAC);
    pBuf[NODEOFS_MODEL] = byModel;
}
} // namespace

bool COrvixDoc::SendRequest(const uint8_t* pBuf, size_t nLen, uint32_t dwIp) {
    if (m_pSocket->SendTo(pBuf, nLen, dwIp, NODE_DEVICE_PORT) < 0) {
        m_env.ui.ShowMessage(TXT_SEND_ERROR);
        return false;
    }
    return true;
}

bool COrvixDoc::ComposeForNode(uint8_t* pBuf, uint16_t wCode, int nIndex) {
    const COXParam* pNode = GetNode(nIndex);
    if (pNode == nullptr) {
        return false;
    }
    ComposeHeader(pBuf, wCode, pNode->m_strMac, ModelCodeFromIndex(pNode->m_nModel));
    return true;
}

uint32_t COrvixDoc::NodeDestination(int nIndex, int nUnicast) {
    const COXParam* pNode = GetNode(nIndex);
    return (nUnicast != 0 && pNode != nullptr) ? pNode->m_dwIp : NODE_BROADCAST_IP;
}

void COrvixDoc::PaceAfterProbe() {
    // More than 50 ms must pass; replies that come meanwhile are read into the
    // endpoint's queue and dispatched in order afterwards.
    uint32_t dwStart = m_env.clock.GetTickCount();
    for (;;) {
        uint32_t dwElapsed = m_env.clock.Elapsed(dwStart);
        if (dwElapsed > SEARCH_PACING_MS) {
            break;
        }
        uint32_t dwLeft = SEARCH_PACING_MS + 1 - dwElapsed;
        if (m_env.clock.SleepUnlessReadable(m_pSocket->GetDescriptor(), dwLeft) &&
            !m_pSocket->AbsorbPending()) {
            m_env.clock.Sleep(dwLeft); // queue full: what is left waits on the socket
        }
    }
}

void COrvixDoc::SendSearch() {
    uint8_t abBuf[NODE_REQUEST_BUFFER];
    for (int i = 0; i < 16; ++i) {
        char szMac[16];
        std::snprintf(szMac, sizeof szMac, "0000%02X00000F", i);
        ComposeHeader(abBuf, NODECMD_SEARCH, szMac, ModelCodeFromIndex(MODEL_INDEX_MRV620));
        bool bSent = m_pSocket->SendTo(abBuf, NODELEN_SHORT, NODE_BROADCAST_IP, NODE_DEVICE_PORT) >= 0;
        PaceAfterProbe();
        if (!bSent) {
            m_env.ui.ShowMessage(TXT_SEND_ERROR);
            return;
        }
    }
}

int COrvixDoc::SendSearchTo(const std::string& strAddr) {
    uint8_t abBuf[NODE_REQUEST_BUFFER];
    ComposeHeader(abBuf, NODECMD_SEARCH, "0000000000000", ModelCodeFromIndex(MODEL_INDEX_MRV620));
    // The target was typed as text: read it as the address parser does, but an
    // unparsable text must not turn into the broadcast address.
    uint32_t dwIp = ParseIpHost(strAddr);
    bool bParsed = dwIp != IP_NONE || strAddr == "255.255.255.255";
    bool bSent = bParsed && m_pSocket->SendTo(abBuf, NODELEN_SHORT, dwIp, NODE_DEVICE_PORT) >= 0;
    PaceAfterProbe();
    if (!bSent) {
        m_env.ui.ShowMessage(TXT_SEND_ERROR);
        return -1;
    }
    return 0;
}

void COrvixDoc::SendInitialize(int nIndex, int nUnicast) {
    uint8_t abBuf[NODE_REQUEST_BUFFER];
    if (ComposeForNode(abBuf, NODECMD_INITIALIZE, nIndex)) {
        SendRequest(abBuf, NODELEN_SHORT, NodeDestination(nIndex, nUnicast));
    }
}

void COrvixDoc::SendGetParam(int nIndex, int nUnicast) {
    uint8_t abBuf[NODE_REQUEST_BUFFER];
    if (ComposeForNode(abBuf, NODECMD_GET_PARAM, nIndex)) {
        SendRequest(abBuf, NODELEN_SHORT, NodeDestination(nIndex, nUnicast));
    }
}

void COrvixDoc::SendChangeMode(int nIndex, int nMode, int nUnicast) {
    uint8_t abBuf[NODE_REQUEST_BUFFER];
    if (ComposeForNode(abBuf, NODECMD_CHANGE_MODE, nIndex)) {
        abBuf[NODEOFS_MODE] = static_cast<uint8_t>(nMode & 0xFF);
        SendRequest(abBuf, NODELEN_MODE, NodeDestination(nIndex, nUnicast));
    }
}

void COrvixDoc::SendGetVersion(int nIndex, int nUnicast) {
    uint8_t abBuf[NODE_REQUEST_BUFFER];
    if (ComposeForNode(abBuf, NODECMD_GET_VERSION, nIndex)) {
        SendRequest(abBuf, NODELEN_SHORT, NodeDestination(nIndex, nUnicast));
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
