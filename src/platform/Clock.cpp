#include "platform/Clock.h"

#include <cerrno>
#include <ctime>
#include <poll.h>

uint32_t CSystemClock::GetTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ullMs =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ullMs);
}

void CSystemClock::Sleep(uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

bool CSystemClock::SleepUnlessReadable(int fd, uint32_t ms) {
    if (fd < 0) {
        Sleep(ms);
        return false;
    }
    pollfd pfd{fd, POLLIN, 0};
    int nReady = poll(&pfd, 1, static_cast<int>(ms));
    return nReady > 0;
}
