#include "platform/PollMessagePump.h"

#include <cerrno>
#include <ctime>
#include <poll.h>
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

bool CPollMessagePump::PollReady(int nTimeoutMs) {
    timespec tsStart{};
    clock_gettime(CLOCK_MONOTONIC, &tsStart);
    int nLeft = nTimeoutMs;
    for (;;) {
        std::vector<pollfd> vecFds;
        vecFds.reserve(m_mapWatches.size());
        for (const auto& [fd, handler] : m_mapWatches) {
            vecFds.push_back(pollfd{fd, POLLIN, 0});
        }
        int nReady = poll(vecFds.empty() ? nullptr : vecFds.data(), vecFds.size(), nLeft);
        if (nReady > 0) {
            // A descriptor closed while watched can never be read again; left
            // in, it would end every wait at once.
            bool bReadable = false;
            for (const pollfd& pfd : vecFds) {
                if ((pfd.revents & POLLNVAL) != 0) {
                    m_mapWatches.erase(pfd.fd);
                } else if (pfd.revents != 0) {
                    bReadable = true;
                }
            }
            if (bReadable) {
                return true;
            }
        } else if (nReady == 0 || errno != EINTR) {
            return false;
        }
        // Interrupted, or only closed descriptors: wait on for what is left.
        timespec tsNow{};
        clock_gettime(CLOCK_MONOTONIC, &tsNow);
        long lElapsed =
            (tsNow.tv_sec - tsStart.tv_sec) * 1000L + (tsNow.tv_nsec - tsStart.tv_nsec) / 1000000L;
        if (nTimeoutMs >= 0 && lElapsed >= nTimeoutMs) {
            return false;
        }
        if (nTimeoutMs >= 0) {
            nLeft = static_cast<int>(nTimeoutMs - lElapsed);
        }
    }
}

size_t CPollMessagePump::ServeReadyDescriptors() {
    if (m_mapWatches.empty()) {
        return 0;
    }
    std::vector<pollfd> vecFds;
    vecFds.reserve(m_mapWatches.size());
    for (const auto& [fd, handler] : m_mapWatches) {
        vecFds.push_back(pollfd{fd, POLLIN, 0});
    }
    int nReady;
    do {
        nReady = poll(vecFds.data(), vecFds.size(), 0);
    } while (nReady < 0 && errno == EINTR);
    if (nReady <= 0) {
        return 0;
    }
    size_t nRun = 0;
    for (const pollfd& pfd : vecFds) {
        if ((pfd.revents & POLLNVAL) != 0) {
            m_mapWatches.erase(pfd.fd);
            continue;
        }
        if ((pfd.revents & (POLLIN | POLLERR | POLLHUP)) == 0) {
            continue;
        }
        auto it = m_mapWatches.find(pfd.fd);
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
