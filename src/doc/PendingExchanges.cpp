#include "doc/PendingExchanges.h"

#include "doc/OrvixDoc.h"
#include "platform/TimerQueue.h"

CPendingExchanges::~CPendingExchanges() {
    for (const auto& [key, open] : m_mapOpen) {
        m_timers.Cancel(open.nTimer);
    }
}

CPendingExchanges::Key CPendingExchanges::KeyOf(const std::string& strMac, uint16_t wReplyCode) {
    // A mode change is answered by either of its two codes.
    return {strMac, wReplyCode == RESP_MODE_SPECIAL ? RESP_CHANGE_MODE : wReplyCode};
}

bool CPendingExchanges::Open(const std::string& strMac, uint16_t wReplyCode, uint32_t dwTimeout,
                             FnSettle fn) {
    Key key = KeyOf(strMac, wReplyCode);
    if (m_mapOpen.count(key) != 0) {
        return false;
    }
    SOpen& open = m_mapOpen[key];
    open.fn = std::move(fn);
    open.nTimer = m_timers.Add(dwTimeout, [this, key] { Settle(key, EXCHANGE_NO_REPLY, nullptr); });
    return true;
}

bool CPendingExchanges::Route(const SNodeResponse& resp) {
    Key key = KeyOf(resp.strMac, resp.wCode);
    if (m_mapOpen.count(key) == 0) {
        return false;
    }
    Settle(key, resp.byResult == 0 ? EXCHANGE_DONE : EXCHANGE_ABNORMAL, &resp);
    return true;
}

bool CPendingExchanges::Cancel(const std::string& strMac, uint16_t wReplyCode) {
    auto it = m_mapOpen.find(KeyOf(strMac, wReplyCode));
    if (it == m_mapOpen.end()) {
        return false;
    }
    m_timers.Cancel(it->second.nTimer);
    m_mapOpen.erase(it);
    return true;
}

void CPendingExchanges::Settle(const Key& key, int nOutcome, const SNodeResponse* pReply) {
    auto it = m_mapOpen.find(key);
    if (it == m_mapOpen.end()) {
        return;
    }
    // Closed before its work runs: that work may open the next exchange of the node.
    FnSettle fn = std::move(it->second.fn);
    m_timers.Cancel(it->second.nTimer);
    m_mapOpen.erase(it);
    fn(nOutcome, pReply);
}
