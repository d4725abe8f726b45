#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>

class CClock;

// Timers for work that goes on beside other waits of the pump (several nodes
// at once, each with its own pauses and time limits), on the clock's ticks.
// Whoever drives the pump asks how long it may block (MsUntilNext) and then
// runs what is due (RunDue). A timer's work may add and cancel timers.
class CTimerQueue {
public:
    using Fn = std::function<void()>;

    explicit CTimerQueue(CClock& clock);

    // Runs fn once, dwMs from now; returns its id (never 0).
    uint64_t Add(uint32_t dwMs, Fn fn);
    // False when it has run or was cancelled already (id 0 included).
    bool Cancel(uint64_t nId);
    // How long until the next one is due: 0 when one is due now, dwMax when
    // none is due sooner.
    uint32_t MsUntilNext(uint32_t dwMax);
    // Runs the timers due now, earliest first; those added meanwhile wait
    // for the next call. Returns how many ran.
    size_t RunDue();
    size_t Count() const { return m_mapById.size(); }

private:
    // The ticks as a count that does not wrap.
    uint64_t Now();

    struct STimer {
        uint64_t nId;
        Fn fn;
    };
    CClock& m_clock;
    uint32_t m_dwLastTick;
    uint64_t m_qwNow = 0;
    uint64_t m_nNextId = 1;
    std::multimap<uint64_t, STimer> m_mapByDue;
    std::unordered_map<uint64_t, std::multimap<uint64_t, STimer>::iterator> m_mapById;
};
