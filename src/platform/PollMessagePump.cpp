#include "platform/PollMessagePump.h"

#include "platform/PollReady.h"

#include <cstdint>
#include <ctime>
#include <vector>

namespace {
// A descriptor whose handler never reads must not hang the pump for ever.
constexpr size_t PUMP_MAX_ROUNDS = 1u << 20;
} // namespace

void CPollMessagePump::Watch(int fd, Handler handler) {
    m_mapWatches[fd] = std::make_shared<Handler>(std::move(handler));
}

void CPollMessagePump::Unwatch(int fd) {
    m_mapWatches.erase(fd);
}

void CPollMessagePump::Post(Handler fn) {
    m_queuePosted.push_back(std::move(fn));
}

size_t CPollMessagePump::RunPosted() {
    // Only what was queued when we started; work posted by a handler waits for
    // the next round so ordering stays first-in first-out.
    size_t nCount = m_queuePosted.size();
    size_t nRun = 0;
    while (nRun < nCount && !m_queuePosted.empty()) {
        Handler fn = std::move(m_queuePosted.front());
        m_queuePosted.pop_front();
        ++nRun;
        fn();
    }
    return nRun;
}

std::vector<int> CPollMessagePump::WatchedDescriptors() const {
    std::vector<int> vecFds;
    vecFds.reserve(m_mapWatches.size());
    for (const auto& [fd, handler] : m_mapWatches) {
        vecFds.push_back(fd);
    }
    return vecFds;
}

bool CPollMessagePump::PollReady(int nTimeoutMs) {
    timespec tsStart{};
    clock_gettime(CLOCK_MONOTONIC, &tsStart);
    int nLeft = nTimeoutMs;
    std::vector<int> vecReady;
    std::vector<int> vecClosed;
    for (;;) {
        PollForInput(WatchedDescriptors(), nLeft, vecReady, vecClosed);
        for (int fd : vecClosed) {
            m_mapWatches.erase(fd);
        }
        if (!vecReady.empty() || vecClosed.empty()) {
            return !vecReady.empty();
        }
        // Only closed descriptors: wait on for what is left.
        timespec tsNow{};
        clock_gettime(CLOCK_MONOTONIC, &tsNow);
        long lElapsed =
            (tsNow.tv_sec - tsStart.tv_sec) * 1000L + (tsNow.tv_nsec - tsStart.tv_nsec) / 1000000L;
        if (lElapsed >= nTimeoutMs) {
            return false;
        }
        nLeft = static_cast<int>(nTimeoutMs - lElapsed);
    }
}

size_t CPollMessagePump::ServeReadyDescriptors() {
    if (m_mapWatches.empty()) {
        return 0;
    }
    std::vector<int> vecReady;
    std::vector<int> vecClosed;
    PollForInput(WatchedDescriptors(), 0, vecReady, vecClosed);
    for (int fd : vecClosed) {
        m_mapWatches.erase(fd);
    }
    size_t nRun = 0;
    for (int fd : vecReady) {
        auto it = m_mapWatches.find(fd);
        if (it == m_mapWatches.end()) {
            continue; // unwatched by an earlier handler of this round
        }
        std::shared_ptr<Handler> pHandler = it->second;
        ++nRun;
        (*pHandler)();
    }
    return nRun;
}

size_t CPollMessagePump::PumpPendingMessages() {
    size_t nTotal = 0;
    for (size_t nRound = 0; nRound < PUMP_MAX_ROUNDS; ++nRound) {
        size_t nRun = RunPosted();
        nRun += ServeReadyDescriptors();
        if (nRun == 0) {
            break;
        }
        nTotal += nRun;
    }
    return nTotal;
}

size_t CPollMessagePump::WaitForMessages(uint32_t ms) {
    if (m_queuePosted.empty()) {
        int nTimeout = ms > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(ms);
        PollReady(nTimeout);
    }
    return PumpPendingMessages();
}

bool CPollMessagePump::PauseUntilReadable(int fd, uint32_t ms) {
    // Only fd is looked at; what the watched descriptors bring stays queued.
    timespec tsStart{};
    clock_gettime(CLOCK_MONOTONIC, &tsStart);
    for (;;) {
        timespec tsNow{};
        clock_gettime(CLOCK_MONOTONIC, &tsNow);
        int64_t llElapsed = (tsNow.tv_sec - tsStart.tv_sec) * 1000LL +
                            (tsNow.tv_nsec - tsStart.tv_nsec) / 1000000LL;
        if (llElapsed >= static_cast<int64_t>(ms)) {
            return fd >= 0 && IsReadableNow(fd);
        }
        int64_t llLeft = static_cast<int64_t>(ms) - llElapsed;
        int nLeft = llLeft > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(llLeft);
        if (fd < 0) {
            timespec ts{nLeft / 1000, static_cast<long>(nLeft % 1000) * 1000000L};
            nanosleep(&ts, nullptr); // a signal only shortens one round
            continue;
        }
        std::vector<int> vecReady;
        std::vector<int> vecClosed;
        PollForInput({fd}, nLeft, vecReady, vecClosed);
        if (!vecReady.empty()) {
            return true;
        }
        if (!vecClosed.empty()) {
            fd = -1; // can never become readable: the rest is a plain pause
        }
    }
}
