#include "platform/PollReady.h"

#include <cerrno>
#include <ctime>
#include <poll.h>

namespace {
long MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long>(ts.tv_sec) * 1000L + ts.tv_nsec / 1000000L;
}
} // namespace

void PollForInput(const std::vector<int>& vecFds, int nTimeoutMs, std::vector<int>& vecReady,
                  std::vector<int>& vecClosed) {
    vecReady.clear();
    vecClosed.clear();
    std::vector<pollfd> vecPoll;
    vecPoll.reserve(vecFds.size());
    for (int fd : vecFds) {
        vecPoll.push_back(pollfd{fd, POLLIN, 0});
    }
    long lDeadline = MonotonicMs() + nTimeoutMs;
    int nLeft = nTimeoutMs;
    int nReady;
    while ((nReady = poll(vecPoll.empty() ? nullptr : vecPoll.data(), vecPoll.size(), nLeft)) < 0 &&
           errno == EINTR) {
        long lLeft = lDeadline - MonotonicMs();
        nLeft = lLeft > 0 ? static_cast<int>(lLeft) : 0;
    }
    if (nReady <= 0) {
        return;
    }
    for (const pollfd& pfd : vecPoll) {
        if ((pfd.revents & POLLNVAL) != 0) {
            vecClosed.push_back(pfd.fd);
        } else if ((pfd.revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
            vecReady.push_back(pfd.fd);
        }
    }
}

bool IsReadableNow(int fd) {
    std::vector<int> vecReady;
    std::vector<int> vecClosed;
    PollForInput({fd}, 0, vecReady, vecClosed);
    return !vecReady.empty();
}
