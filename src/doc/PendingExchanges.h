#pragma once
#include "link/NodeResponse.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

class CTimerQueue;

// Several exchanges with nodes at once, each awaiting one reply and keyed by
// the node's MAC and the reply's code: a reply settles exactly the exchange of
// its node and code, so that many nodes can be waited for side by side on the
// ordinary wire. Used by runs over many nodes only; the one pending state of
// the window's operations stays as it is and is never touched here.
class CPendingExchanges {
public:
    // EXCHANGE_DONE (the reply came with result 0), EXCHANGE_ABNORMAL (it
    // came with another result; not reported) or EXCHANGE_NO_REPLY (nothing
    // within the time-out; pReply null).
    using FnSettle = std::function<void(int nOutcome, const SNodeResponse* pReply)>;

    explicit CPendingExchanges(CTimerQueue& timers) : m_timers(timers) {}
    ~CPendingExchanges();
    CPendingExchanges(const CPendingExchanges&) = delete;
    CPendingExchanges& operator=(const CPendingExchanges&) = delete;

    // Awaits reply wReplyCode from the node of strMac (as the wire carries it:
    // 12 upper-case hex digits) for dwTimeout ms; fnSettle runs once. A mode
    // change awaits 0x0205, which its 0x0206 settles too. False, and nothing
    // opened, when that node has an exchange for that code open already.
    bool Open(const std::string& strMac, uint16_t wReplyCode, uint32_t dwTimeout, FnSettle fn);
    // The reply's exchange is settled and true returned; false when no open
    // exchange awaits it (another node's, a late one, a duplicate).
    bool Route(const SNodeResponse& resp);
    // Ends an open exchange without settling it; false when none was open.
    bool Cancel(const std::string& strMac, uint16_t wReplyCode);
    size_t Count() const { return m_mapOpen.size(); }

private:
    using Key = std::pair<std::string, uint16_t>;
    static Key KeyOf(const std::string& strMac, uint16_t wReplyCode);
    void Settle(const Key& key, int nOutcome, const SNodeResponse* pReply);

    struct SOpen {
        uint64_t nTimer = 0;
        FnSettle fn;
    };
    CTimerQueue& m_timers;
    std::map<Key, SOpen> m_mapOpen;
};
