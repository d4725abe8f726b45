#include "platform/TimerQueue.h"

#include "platform/Clock.h"

CTimerQueue::CTimerQueue(CClock& clock) : m_clock(clock), m_dwLastTick(clock.GetTickCount()) {}

uint64_t CTimerQueue::Now() {
    uint32_t dwTick = m_clock.GetTickCount();
    m_qwNow += static_cast<uint32_t>(dwTick - m_dwLastTick);
    m_dwLastTick = dwTick;
    return m_qwNow;
}

uint64_t CTimerQueue::Add(uint32_t dwMs, Fn fn) {
    uint64_t nId = m_nNextId++;
    auto it = m_mapByDue.emplace(Now() + dwMs, STimer{nId, std::move(fn)});
    m_mapById.emplace(nId, it);
    return nId;
}

bool CTimerQueue::Cancel(uint64_t nId) {
    auto it = m_mapById.find(nId);
    if (it == m_mapById.end()) {
        return false;
    }
    m_mapByDue.erase(it->second);
    m_mapById.erase(it);
    return true;
}

uint32_t CTimerQueue::MsUntilNext(uint32_t dwMax) {
    if (m_mapByDue.empty()) {
        return dwMax;
    }
    uint64_t qwNow = Now();
    uint64_t qwDue = m_mapByDue.begin()->first;
    if (qwDue <= qwNow) {
        return 0;
    }
    return qwDue - qwNow < dwMax ? static_cast<uint32_t>(qwDue - qwNow) : dwMax;
}

size_t CTimerQueue::RunDue() {
    const uint64_t qwNow = Now();
    const uint64_t nFirstLater = m_nNextId; // added by the work run here: not this round
    size_t nRun = 0;
    for (auto it = m_mapByDue.begin(); it != m_mapByDue.end() && it->first <= qwNow;) {
        if (it->second.nId >= nFirstLater) {
            ++it;
            continue;
        }
        Fn fn = std::move(it->second.fn);
        m_mapById.erase(it->second.nId);
        m_mapByDue.erase(it);
        ++nRun;
        fn(); // may add and cancel timers: look again from the start
        it = m_mapByDue.begin();
    }
    return nRun;
}
