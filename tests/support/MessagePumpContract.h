#pragma once
// What every CMessagePump must do, whatever it is built on. An implementation
// instantiates the suite once in its own test binary:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Poll, MessagePumpContract, ::testing::Types<CPollMessagePump>);
//
// The pump type must be default-constructible. Descriptors are real: an
// AF_UNIX datagram pair, whose datagrams are readable as soon as send returns,
// and a UDP pair on 127.0.0.1 for what arrives later from another thread.
// Times are real; their bounds are generous so that a loaded machine passes.

#include "platform/MessagePump.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pump_contract {

// One-byte datagrams through a connected AF_UNIX pair.
class CDatagramPair {
public:
    CDatagramPair() {
        int afd[2] = {-1, -1};
        if (socketpair(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, afd) == 0) {
            m_fdRead = afd[0];
            m_fdWrite = afd[1];
        }
    }
    ~CDatagramPair() {
        if (m_fdRead >= 0) {
            close(m_fdRead);
        }
        if (m_fdWrite >= 0) {
            close(m_fdWrite);
        }
    }
    CDatagramPair(const CDatagramPair&) = delete;
    CDatagramPair& operator=(const CDatagramPair&) = delete;

    int Fd() const { return m_fdRead; }
    bool Send(uint8_t by) { return send(m_fdWrite, &by, 1, 0) == 1; }
    // The next datagram's byte, or -1 when none is there.
    int ReadOne() {
        uint8_t by = 0;
        return recv(m_fdRead, &by, 1, MSG_DONTWAIT) == 1 ? by : -1;
    }

private:
    int m_fdRead = -1;
    int m_fdWrite = -1;
};

// A receiving UDP socket on 127.0.0.1 and a sender aimed at it. Loopback only.
class CLoopbackUdpPair {
public:
    CLoopbackUdpPair() {
        m_fdRead = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        m_fdWrite = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        m_addr.sin_family = AF_INET;
        m_addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_addr.sin_port = 0;
        socklen_t nLen = sizeof m_addr;
        if (bind(m_fdRead, reinterpret_cast<sockaddr*>(&m_addr), sizeof m_addr) != 0 ||
            getsockname(m_fdRead, reinterpret_cast<sockaddr*>(&m_addr), &nLen) != 0) {
            close(m_fdRead);
            m_fdRead = -1;
        }
    }
    ~CLoopbackUdpPair() {
        if (m_fdRead >= 0) {
            close(m_fdRead);
        }
        if (m_fdWrite >= 0) {
            close(m_fdWrite);
        }
    }
    CLoopbackUdpPair(const CLoopbackUdpPair&) = delete;
    CLoopbackUdpPair& operator=(const CLoopbackUdpPair&) = delete;

    int Fd() const { return m_fdRead; }
    bool Send(uint8_t by) {
        return sendto(m_fdWrite, &by, 1, 0, reinterpret_cast<const sockaddr*>(&m_addr),
                      sizeof m_addr) == 1;
    }
    int ReadOne() {
        uint8_t by = 0;
        return recv(m_fdRead, &by, 1, MSG_DONTWAIT) == 1 ? by : -1;
    }

private:
    int m_fdRead = -1;
    int m_fdWrite = -1;
    sockaddr_in m_addr{};
};

// Sends one datagram from another thread after a delay: something that
// becomes ready while the pump waits.
class CLateSender {
public:
    CLateSender(CLoopbackUdpPair& pair, uint8_t by, std::chrono::milliseconds delay)
        : m_thread([&pair, by, delay] {
              std::this_thread::sleep_for(delay);
              pair.Send(by);
          }) {}
    ~CLateSender() { m_thread.join(); }

private:
    std::thread m_thread;
};

class CStopwatch {
public:
    double Ms() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_t0)
            .count();
    }
    // Processor time this thread used since the start.
    double CpuMs() const { return ThreadCpuMs() - m_dCpu0; }

private:
    static double ThreadCpuMs() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
    }
    std::chrono::steady_clock::time_point m_t0 = std::chrono::steady_clock::now();
    double m_dCpu0 = ThreadCpuMs();
};

} // namespace pump_contract

template <typename TPump> class MessagePumpContract : public ::testing::Test {
protected:
    TPump m_pump;
};

TYPED_TEST_SUITE_P(MessagePumpContract);

TYPED_TEST_P(MessagePumpContract, PostedWorkRunsFirstInFirstOut) {
    CMessagePump& pump = this->m_pump;
    std::string strTrace;
    pump.Post([&] {
        strTrace += 'A';
        // Posted from a handler: behind everything already queued.
        pump.Post([&] { strTrace += 'D'; });
    });
    pump.Post([&] { strTrace += 'B'; });
    pump.Post([&] { strTrace += 'C'; });
    EXPECT_EQ(strTrace, "");
    EXPECT_EQ(pump.PumpPendingMessages(), 4u);
    EXPECT_EQ(strTrace, "ABCD");
    EXPECT_EQ(pump.PumpPendingMessages(), 0u);
}

TYPED_TEST_P(MessagePumpContract, PumpWithNothingReadyReturnsAtOnce) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    ASSERT_GE(pair.Fd(), 0);
    int nCalls = 0;
    pump.Watch(pair.Fd(), [&] { ++nCalls; });
    pump_contract::CStopwatch watch;
    EXPECT_EQ(pump.PumpPendingMessages(), 0u);
    EXPECT_EQ(pump.WaitForMessages(0), 0u);
    EXPECT_LT(watch.Ms(), 500.0);
    EXPECT_EQ(nCalls, 0);
    pump.Unwatch(pair.Fd());
}

TYPED_TEST_P(MessagePumpContract, OnePumpDispatchesEveryQueuedDatagram) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    ASSERT_GE(pair.Fd(), 0);
    std::vector<int> vecSeen;
    pump.Watch(pair.Fd(), [&] { vecSeen.push_back(pair.ReadOne()); });
    for (uint8_t by = 1; by <= 5; ++by) {
        ASSERT_TRUE(pair.Send(by));
    }
    EXPECT_EQ(pump.PumpPendingMessages(), 5u);
    EXPECT_EQ(vecSeen, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(pump.PumpPendingMessages(), 0u);
    pump.Unwatch(pair.Fd());
}

TYPED_TEST_P(MessagePumpContract, EveryReadyDescriptorIsServed) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pairA;
    pump_contract::CDatagramPair pairB;
    std::vector<int> vecA;
    std::vector<int> vecB;
    pump.Watch(pairA.Fd(), [&] { vecA.push_back(pairA.ReadOne()); });
    pump.Watch(pairB.Fd(), [&] { vecB.push_back(pairB.ReadOne()); });
    pairA.Send(1);
    pairB.Send(7);
    pairA.Send(2);
    pairB.Send(8);
    pairB.Send(9);
    EXPECT_EQ(pump.PumpPendingMessages(), 5u);
    EXPECT_EQ(vecA, (std::vector<int>{1, 2}));
    EXPECT_EQ(vecB, (std::vector<int>{7, 8, 9}));
    pump.Unwatch(pairA.Fd());
    pump.Unwatch(pairB.Fd());
}

TYPED_TEST_P(MessagePumpContract, WaitBlocksForItsTimeWithoutSpinning) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    pump.Watch(pair.Fd(), [&] { pair.ReadOne(); });
    pump_contract::CStopwatch watch;
    size_t nRun = pump.WaitForMessages(300);
    double dMs = watch.Ms();
    EXPECT_EQ(nRun, 0u);
    // Returning early would make the caller's wait loop spin; so would a busy wait here.
    EXPECT_GE(dMs, 280.0);
    EXPECT_LT(dMs, 2300.0);
    EXPECT_LT(watch.CpuMs(), 150.0);
    pump.Unwatch(pair.Fd());
}

TYPED_TEST_P(MessagePumpContract, WaitEndsWhenADescriptorBecomesReadable) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CLoopbackUdpPair pair;
    ASSERT_GE(pair.Fd(), 0);
    std::vector<int> vecSeen;
    pump.Watch(pair.Fd(), [&] { vecSeen.push_back(pair.ReadOne()); });
    pump_contract::CStopwatch watch;
    {
        pump_contract::CLateSender sender(pair, 42, std::chrono::milliseconds(50));
        size_t nRun = pump.WaitForMessages(5000);
        EXPECT_GE(nRun, 1u);
    }
    EXPECT_LT(watch.Ms(), 2500.0);
    EXPECT_EQ(vecSeen, (std::vector<int>{42}));
    pump.Unwatch(pair.Fd());
}

TYPED_TEST_P(MessagePumpContract, WaitRunsPostedWorkWithoutBlocking) {
    CMessagePump& pump = this->m_pump;
    int nRun = 0;
    pump.Post([&] { ++nRun; });
    pump_contract::CStopwatch watch;
    EXPECT_EQ(pump.WaitForMessages(5000), 1u);
    EXPECT_LT(watch.Ms(), 1000.0);
    EXPECT_EQ(nRun, 1);
}

TYPED_TEST_P(MessagePumpContract, HandlerThatPumpsAgainSeesTheNextDatagramInside) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    std::string strTrace;
    pump.Watch(pair.Fd(), [&] {
        int n = pair.ReadOne();
        if (n < 0) {
            return;
        }
        strTrace += "<" + std::to_string(n);
        if (n == 1) {
            pump.PumpPendingMessages();
        }
        strTrace += ">";
    });
    pair.Send(1);
    pair.Send(2);
    pump.PumpPendingMessages();
    EXPECT_EQ(strTrace, "<1<2>>");
    pump.Unwatch(pair.Fd());
}

TYPED_TEST_P(MessagePumpContract, HandlerThatWaitsSeesADatagramArrivingMeanwhile) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CLoopbackUdpPair pair;
    ASSERT_GE(pair.Fd(), 0);
    std::string strTrace;
    double dInnerMs = -1.0;
    size_t nInnerRun = 0;
    pump.Watch(pair.Fd(), [&] {
        int n = pair.ReadOne();
        if (n < 0) {
            return;
        }
        strTrace += "<" + std::to_string(n);
        if (n == 1) {
            // The request/wait pattern, nested in a dispatch.
            pump_contract::CStopwatch watch;
            pump_contract::CLateSender sender(pair, 2, std::chrono::milliseconds(50));
            nInnerRun = pump.WaitForMessages(5000);
            dInnerMs = watch.Ms();
        }
        strTrace += ">";
    });
    ASSERT_TRUE(pair.Send(1));
    pump_contract::CStopwatch watch;
    while (strTrace.size() < 6 && watch.Ms() < 5000.0) {
        pump.WaitForMessages(1000);
    }
    EXPECT_EQ(strTrace, "<1<2>>");
    EXPECT_GE(nInnerRun, 1u);
    EXPECT_GE(dInnerMs, 0.0);
    EXPECT_LT(dInnerMs, 2500.0);
    pump.Unwatch(pair.Fd());
}

TYPED_TEST_P(MessagePumpContract, HandlerMayUnwatchItself) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    int nCalls = 0;
    // The handler owns its captures: they must outlive the Unwatch inside it.
    auto pOwned = std::make_shared<std::vector<int>>();
    std::weak_ptr<std::vector<int>> pWatch = pOwned;
    pump.Watch(pair.Fd(), [&pump, &pair, &nCalls, pOwned] {
        ++nCalls;
        pump.Unwatch(pair.Fd());
        pOwned->push_back(pair.ReadOne());
        pOwned->push_back(static_cast<int>(pOwned->size()));
    });
    pOwned.reset();
    pair.Send(1);
    pair.Send(2);
    pair.Send(3);
    EXPECT_EQ(pump.PumpPendingMessages(), 1u);
    EXPECT_EQ(nCalls, 1);
    EXPECT_EQ(pump.PumpPendingMessages(), 0u);
    EXPECT_EQ(nCalls, 1);
    // Handed back: the rest of the datagrams are still there.
    EXPECT_EQ(pair.ReadOne(), 2);
    EXPECT_EQ(pair.ReadOne(), 3);
    // And the handler itself is gone once nothing runs it any more.
    pump.PumpPendingMessages();
    EXPECT_TRUE(pWatch.expired());
}

TYPED_TEST_P(MessagePumpContract, HandlerMayUnwatchAnotherReadyDescriptor) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pairA;
    pump_contract::CDatagramPair pairB;
    std::string strTrace;
    pump.Watch(pairA.Fd(), [&] {
        strTrace += 'A';
        pairA.ReadOne();
        pump.Unwatch(pairB.Fd());
    });
    pump.Watch(pairB.Fd(), [&] {
        strTrace += 'B';
        pairB.ReadOne();
        pump.Unwatch(pairA.Fd());
    });
    pairA.Send(1);
    pairB.Send(1);
    pump.PumpPendingMessages();
    pump.PumpPendingMessages();
    // Whichever ran first took the other away before it ran.
    EXPECT_EQ(strTrace.size(), 1u);
    pump.Unwatch(pairA.Fd());
    pump.Unwatch(pairB.Fd());
}

TYPED_TEST_P(MessagePumpContract, UnwatchedOrReplacedHandlersNoLongerRun) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    std::string strTrace;
    pump.Watch(pair.Fd(), [&] { strTrace += 'X'; });
    pump.Unwatch(pair.Fd());
    pair.Send(1);
    EXPECT_EQ(pump.PumpPendingMessages(), 0u);
    EXPECT_EQ(strTrace, "");
    pump.Watch(pair.Fd(), [&] {
        strTrace += 'X';
        pair.ReadOne();
    });
    pump.Watch(pair.Fd(), [&] {
        strTrace += 'Y';
        pair.ReadOne();
    });
    EXPECT_EQ(pump.PumpPendingMessages(), 1u);
    EXPECT_EQ(strTrace, "Y");
    pump.Unwatch(pair.Fd());
}

TYPED_TEST_P(MessagePumpContract, PauseLastsItsTimeAndDispatchesNothing) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    ASSERT_GE(pair.Fd(), 0);
    std::string strTrace;
    pump.Watch(pair.Fd(), [&] {
        if (pair.ReadOne() >= 0) {
            strTrace += 'D';
        }
    });
    ASSERT_TRUE(pair.Send(1));
    pump.Post([&] { strTrace += 'P'; });
    pump_contract::CStopwatch watch;
    EXPECT_FALSE(pump.PauseUntilReadable(-1, 300));
    double dMs = watch.Ms();
    EXPECT_GE(dMs, 280.0);
    EXPECT_LT(dMs, 2300.0);
    EXPECT_LT(watch.CpuMs(), 150.0);
    // Held back, as behind a blocked thread; the next pump hands both on.
    EXPECT_EQ(strTrace, "");
    EXPECT_EQ(pump.PumpPendingMessages(), 2u);
    EXPECT_EQ(strTrace.size(), 2u);
    pump.Unwatch(pair.Fd());
}

TYPED_TEST_P(MessagePumpContract, PauseEndsWhenItsDescriptorBecomesReadable) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CLoopbackUdpPair awaited;
    pump_contract::CLoopbackUdpPair watched;
    ASSERT_GE(awaited.Fd(), 0);
    ASSERT_GE(watched.Fd(), 0);
    int nWatchedRuns = 0;
    pump.Watch(watched.Fd(), [&] {
        watched.ReadOne();
        ++nWatchedRuns;
    });
    pump_contract::CStopwatch watch;
    bool bReadable = false;
    {
        pump_contract::CLateSender other(watched, 1, std::chrono::milliseconds(20));
        pump_contract::CLateSender sender(awaited, 2, std::chrono::milliseconds(150));
        bReadable = pump.PauseUntilReadable(awaited.Fd(), 5000);
    }
    EXPECT_TRUE(bReadable);
    EXPECT_GE(watch.Ms(), 140.0);
    EXPECT_LT(watch.Ms(), 2500.0);
    EXPECT_LT(watch.CpuMs(), 150.0);
    EXPECT_EQ(nWatchedRuns, 0);
    // The pause does not read what it waited for.
    EXPECT_EQ(awaited.ReadOne(), 2);
    pump.WaitForMessages(1000);
    EXPECT_EQ(nWatchedRuns, 1);
    pump.Unwatch(watched.Fd());
}

TYPED_TEST_P(MessagePumpContract, PauseOnAReadyDescriptorReturnsAtOnce) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    ASSERT_TRUE(pair.Send(9));
    pump_contract::CStopwatch watch;
    EXPECT_TRUE(pump.PauseUntilReadable(pair.Fd(), 5000));
    EXPECT_LT(watch.Ms(), 1000.0);
    EXPECT_EQ(pair.ReadOne(), 9);
    // Nothing there and no time: not readable.
    EXPECT_FALSE(pump.PauseUntilReadable(pair.Fd(), 0));
}

TYPED_TEST_P(MessagePumpContract, PauseInsideAHandlerHoldsBackTheNextDatagram) {
    CMessagePump& pump = this->m_pump;
    pump_contract::CDatagramPair pair;
    std::string strTrace;
    pump.Watch(pair.Fd(), [&] {
        int n = pair.ReadOne();
        if (n < 0) {
            return;
        }
        strTrace += "<" + std::to_string(n);
        if (n == 1) {
            pair.Send(2);
            pump.PauseUntilReadable(-1, 50);
        }
        strTrace += ">";
    });
    pair.Send(1);
    pump.PumpPendingMessages();
    EXPECT_EQ(strTrace, "<1><2>");
    pump.Unwatch(pair.Fd());
}

REGISTER_TYPED_TEST_SUITE_P(
    MessagePumpContract, PauseLastsItsTimeAndDispatchesNothing,
    PauseEndsWhenItsDescriptorBecomesReadable, PauseOnAReadyDescriptorReturnsAtOnce,
    PauseInsideAHandlerHoldsBackTheNextDatagram, PostedWorkRunsFirstInFirstOut,
    PumpWithNothingReadyReturnsAtOnce, OnePumpDispatchesEveryQueuedDatagram,
    EveryReadyDescriptorIsServed, WaitBlocksForItsTimeWithoutSpinning,
    WaitEndsWhenADescriptorBecomesReadable, WaitRunsPostedWorkWithoutBlocking,
    HandlerThatPumpsAgainSeesTheNextDatagramInside, HandlerThatWaitsSeesADatagramArrivingMeanwhile,
    HandlerMayUnwatchItself, HandlerMayUnwatchAnotherReadyDescriptor,
    UnwatchedOrReplacedHandlersNoLongerRun);
