#include "platform/PollMessagePump.h"
#include "MessagePumpContract.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Poll, MessagePumpContract, ::testing::Types<CPollMessagePump>);
