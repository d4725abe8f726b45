#pragma once
#include <atomic>

// A request to stop what runs at its next safe point. Long operations look at
// it between the steps that must not be cut short (an exchange with a node, a
// transfer), finish the step in hand and end there, leaving every node as the
// operation found it or as it is meant to be. Who asks is the front end's
// business: a termination signal for mrvctl, a close request for a window.
// Safe to ask from a signal handler.
class CStopRequest {
public:
    // nReason: what asked (a signal number, or another code above 0); the first one stays.
    void Request(int nReason) {
        int nNone = 0;
        m_nReason.compare_exchange_strong(nNone, nReason);
    }
    bool IsRequested() const { return m_nReason.load() != 0; }
    int GetReason() const { return m_nReason.load(); }
    void Clear() { m_nReason.store(0); }

private:
    static_assert(std::atomic<int>::is_always_lock_free);
    std::atomic<int> m_nReason{0};
};
