#pragma once
// Single-threaded event loop on poll(2): descriptors with handlers and
// millisecond timers on the monotonic clock.
#include <cstdint>
#include <functional>
#include <map>
#include <poll.h>

class CSimLoop {
public:
    using FdHandler = std::function<void(short nRevents)>;
    using TimerHandler = std::function<void()>;

    uint64_t Now() const; // ms, monotonic

    void Watch(int fd, short nEvents, FdHandler handler);
    void SetEvents(int fd, short nEvents);
    void Unwatch(int fd);

    uint64_t AddTimer(uint64_t nDelayMs, TimerHandler handler); // returns an id
    void CancelTimer(uint64_t nId);

    // Called after every round of handlers (for conditions that waiters poll).
    void SetAfterEach(std::function<void()> fn) { m_fnAfterEach = std::move(fn); }

    void Run();
    void Stop() { m_bStop = true; }

private:
    struct SWatch {
        short nEvents;
        uint64_t nGeneration;
        FdHandler handler;
    };
    struct STimer {
        uint64_t nId;
        TimerHandler handler;
    };
    std::map<int, SWatch> m_mapWatches;
    std::multimap<uint64_t, STimer> m_mapTimers; // by due time
    std::map<uint64_t, uint64_t> m_mapTimerDue;  // id -> due time
    std::function<void()> m_fnAfterEach;
    uint64_t m_nNextId = 1;
    uint64_t m_nGeneration = 1;
    bool m_bStop = false;
};
