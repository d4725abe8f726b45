#include "platform/PollMessagePump.h"
#include "MessagePumpContract.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Poll, MessagePumpContract, ::testing::Types<CPollMessagePump>);

// A descriptor closed while still watched must not turn every wait into a spin.
TEST(PollMessagePump, ClosedWatchedDescriptorDoesNotEndWaitsEarly) {
    CPollMessagePump pump;
    int nCalls = 0;
    {
        pump_contract::CDatagramPair pair;
        pump.Watch(pair.Fd(), [&] { ++nCalls; });
    } // closed here, still watched
    pump_contract::CStopwatch watch;
    pump.WaitForMessages(150);
    pump.WaitForMessages(150);
    EXPECT_GE(watch.Ms(), 250.0);
    EXPECT_LT(watch.CpuMs(), 30.0);
    EXPECT_EQ(nCalls, 0);
}
