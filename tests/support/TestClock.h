#pragma once
#include "platform/Clock.h"

#include <poll.h>
#include <vector>

// Virtual time for tests: Sleep returns at once, advancing the ticks, and every
// pause is recorded.
class CTestClock : public CClock {
public:
    explicit CTestClock(uint32_t dwStart = 0) : m_dwNow(dwStart) {}

    // Each reading first advances the ticks by the auto step, so that a loop
    // busy-waiting on the counter ends without real time passing.
    uint32_t GetTickCount() override {
        m_dwNow += m_dwAutoStep;
        return m_dwNow;
    }
    void Sleep(uint32_t ms) override {
        m_vecSleeps.push_back(ms);
        m_dwNow += ms;
    }
    // Readable now: returns at once. Otherwise the whole pause passes.
    bool SleepUnlessReadable(int fd, uint32_t ms) override {
        pollfd pfd{fd, POLLIN, 0};
        if (fd >= 0 && poll(&pfd, 1, 0) > 0) {
            return true;
        }
        Sleep(ms);
        return false;
    }
    int64_t GetWallTime() override { return m_llWall; }
    void SetWallTime(int64_t llSeconds) { m_llWall = llSeconds; }
    void Advance(uint32_t ms) { m_dwNow += ms; }
    void SetAutoStep(uint32_t ms) { m_dwAutoStep = ms; }
    uint32_t Now() const { return m_dwNow; }

    const std::vector<uint32_t>& GetSleeps() const { return m_vecSleeps; }

private:
    uint32_t m_dwNow;
    uint32_t m_dwAutoStep = 0;
    int64_t m_llWall = 0;
    std::vector<uint32_t> m_vecSleeps;
};
