#include "gui/QtMessagePump.h"
#include "MessagePumpContract.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, MessagePumpContract, ::testing::Types<CQtMessagePump>);
