#include "ShortPauseClock.h"
#include "TestClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

namespace {
using SteadyClock = std::chrono::steady_clock;

double MsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

// A pipe whose read end becomes readable when something is written.
class CPipe {
public:
    CPipe() { EXPECT_EQ(::pipe(m_afd), 0); }
    ~CPipe() {
        ::close(m_afd[0]);
        ::close(m_afd[1]);
    }
    int ReadEnd() const { return m_afd[0]; }
    void Fill() { EXPECT_EQ(::write(m_afd[1], "x", 1), 1); }

private:
    int m_afd[2] = {-1, -1};
};
} // namespace

TEST(ShortPauseClock, PausesAreDividedAndRoundedUp) {
    CTestClock inner(1000);
    CShortPauseClock clock(inner, 10);
    clock.Sleep(2000);
    clock.Sleep(5);
    clock.Sleep(0);
    CPipe pipe;
    EXPECT_FALSE(clock.SleepUnlessReadable(pipe.ReadEnd(), 1001));
    EXPECT_EQ(inner.GetSleeps(), (std::vector<uint32_t>{200, 1, 0, 101}));
    // The ticks are the inner clock's, not scaled.
    EXPECT_EQ(clock.GetTickCount(), 1000u + 200u + 1u + 0u + 101u);

    CShortPauseClock whole(inner, 0); // no divisor: pauses as asked
    whole.Sleep(7);
    EXPECT_EQ(inner.GetSleeps().back(), 7u);
}

TEST(ShortPauseClock, RealPausesAreShortAndTicksFollowRealTime) {
    CShortPauseClock clock(100);
    uint32_t dwStart = clock.GetTickCount();
    auto start = SteadyClock::now();
    clock.Sleep(3000);
    double dReal = MsSince(start);
    EXPECT_GE(dReal, 29.0);
    EXPECT_LT(dReal, 1500.0); // far below the 3 s asked for

    // Ticks never run backwards and move with real time, unshortened.
    uint32_t dwPrev = dwStart;
    for (int i = 0; i < 1000; ++i) {
        uint32_t dwNow = clock.GetTickCount();
        EXPECT_LT(dwNow - dwPrev, 0x80000000u);
        dwPrev = dwNow;
    }
    double dTicks = clock.Elapsed(dwStart);
    EXPECT_GE(dTicks, dReal - 2.0);
    EXPECT_LE(dTicks, MsSince(start) + 2.0);
}

TEST(ShortPauseClock, AShortenedWaitStillWakesOnInput) {
    CShortPauseClock clock(100);
    CPipe pipe;
    auto start = SteadyClock::now();
    EXPECT_FALSE(clock.SleepUnlessReadable(pipe.ReadEnd(), 2000));
    double dReal = MsSince(start);
    EXPECT_GE(dReal, 19.0);
    EXPECT_LT(dReal, 1000.0);

    pipe.Fill();
    start = SteadyClock::now();
    EXPECT_TRUE(clock.SleepUnlessReadable(pipe.ReadEnd(), 60000));
    EXPECT_LT(MsSince(start), 100.0);
}
