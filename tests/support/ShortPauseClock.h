#pragma once
#include "platform/Clock.h"

// For end-to-end programs: real ticks, but every fixed pause (Sleep,
// SleepUnlessReadable and the timers' PauseLength) lasts only 1/N of what was asked, rounded up, so
// that a run through the downloads and batches takes seconds instead of minutes. Time limits
// measured on the ticks stay as long as they are. Wraps another clock (the system clock unless one
// is given) that does the actual waiting.
class CShortPauseClock : public CClock {
public:
    explicit CShortPauseClock(uint32_t nDivisor) : m_inner(m_system), m_nDivisor(Valid(nDivisor)) {}
    CShortPauseClock(CClock& inner, uint32_t nDivisor)
        : m_inner(inner), m_nDivisor(Valid(nDivisor)) {}

    uint32_t GetTickCount() override { return m_inner.GetTickCount(); }
    void Sleep(uint32_t ms) override { m_inner.Sleep(Shorten(ms)); }
    bool SleepUnlessReadable(int fd, uint32_t ms) override {
        return m_inner.SleepUnlessReadable(fd, Shorten(ms));
    }
    uint32_t PauseLength(uint32_t ms) override { return Shorten(ms); }

    uint32_t Shorten(uint32_t ms) const { return ms / m_nDivisor + (ms % m_nDivisor != 0 ? 1 : 0); }

private:
    static uint32_t Valid(uint32_t nDivisor) { return nDivisor == 0 ? 1 : nDivisor; }

    CSystemClock m_system;
    CClock& m_inner;
    uint32_t m_nDivisor;
};
