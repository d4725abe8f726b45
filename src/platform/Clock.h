#pragma once
#include <cstdint>
#include <ctime>

// Millisecond tick counter and the fixed pauses. Ticks wrap at 2^32; measure
// with unsigned differences (Elapsed).
class CClock {
public:
    virtual ~CClock() = default;
    virtual uint32_t GetTickCount() = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // Sleeps up to ms but wakes early, returning true, when fd becomes readable.
    virtual bool SleepUnlessReadable(int fd, uint32_t ms) = 0;

    // How long a fixed pause that the caller waits out itself lasts (a timer
    // beside other work, not Sleep): the pause asked for.
    virtual uint32_t PauseLength(uint32_t ms) { return ms; }

    // Calendar time in seconds, for what an operator reads as a date.
    virtual int64_t GetWallTime() { return static_cast<int64_t>(std::time(nullptr)); }

    uint32_t Elapsed(uint32_t dwStart) { return GetTickCount() - dwStart; }
};

class CSystemClock : public CClock {
public:
    uint32_t GetTickCount() override;
    void Sleep(uint32_t ms) override;
    bool SleepUnlessReadable(int fd, uint32_t ms) override;
};
