#include "platform/PumpClock.h"

#include "platform/MessagePump.h"

void CPumpClock::Sleep(uint32_t ms) {
    m_pump.PauseUntilReadable(-1, ms);
}

bool CPumpClock::SleepUnlessReadable(int fd, uint32_t ms) {
    return m_pump.PauseUntilReadable(fd, ms);
}
