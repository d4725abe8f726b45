#pragma once
#include "platform/Clock.h"

class CMessagePump;

// The product's clock: its fixed pauses are pauses of the pump, so that a
// window keeps painting through them while input and replies wait.
class CPumpClock : public CSystemClock {
public:
    explicit CPumpClock(CMessagePump& pump) : m_pump(pump) {}

    void Sleep(uint32_t ms) override;
    bool SleepUnlessReadable(int fd, uint32_t ms) override;

private:
    CMessagePump& m_pump;
};
