#pragma once
#include "TestClock.h"
#include "platform/PollMessagePump.h"

// Poll pump for tests whose waits run on virtual time: a wait that finds
// nothing ready advances the test clock by the whole wait instead of blocking.
class CVirtualTimePump : public CPollMessagePump {
public:
    explicit CVirtualTimePump(CTestClock& clock) : m_clock(clock) {}

    size_t WaitForMessages(uint32_t ms) override {
        size_t nRun = PumpPendingMessages();
        if (nRun == 0) {
            m_clock.Advance(ms);
        }
        ++m_nWaits;
        return nRun;
    }
    size_t GetWaitCount() const { return m_nWaits; }

private:
    CTestClock& m_clock;
    size_t m_nWaits = 0;
};
