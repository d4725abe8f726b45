#include "SimLoop.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <poll.h>
#include <vector>

uint64_t CSimLoop::Now() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}

void CSimLoop::Watch(int fd, short nEvents, FdHandler handler) {
    m_mapWatches[fd] = SWatch{nEvents, m_nGeneration++, std::move(handler)};
}

void CSimLoop::SetEvents(int fd, short nEvents) {
    auto it = m_mapWatches.find(fd);
    if (it != m_mapWatches.end()) {
        it->second.nEvents = nEvents;
    }
}

void CSimLoop::Unwatch(int fd) {
    m_mapWatches.erase(fd);
}

uint64_t CSimLoop::AddTimer(uint64_t nDelayMs, TimerHandler handler) {
    uint64_t nId = m_nNextId++;
    uint64_t nDue = Now() + nDelayMs;
    m_mapTimers.emplace(nDue, STimer{nId, std::move(handler)});
    m_mapTimerDue[nId] = nDue;
    return nId;
}

void CSimLoop::CancelTimer(uint64_t nId) {
    auto itDue = m_mapTimerDue.find(nId);
    if (itDue == m_mapTimerDue.end()) {
        return;
    }
    auto range = m_mapTimers.equal_range(itDue->second);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second.nId == nId) {
            m_mapTimers.erase(it);
            break;
        }
    }
    m_mapTimerDue.erase(itDue);
}

void CSimLoop::Run() {
    m_bStop = false;
    std::vector<pollfd> vecPoll;
    std::vector<uint64_t> vecGenerations;
    while (!m_bStop) {
        vecPoll.clear();
        vecGenerations.clear();
        for (const auto& [fd, watch] : m_mapWatches) {
            vecPoll.push_back(pollfd{fd, watch.nEvents, 0});
            vecGenerations.push_back(watch.nGeneration);
        }
        int nTimeout = -1;
        if (!m_mapTimers.empty()) {
            uint64_t nNow = Now();
            uint64_t nDue = m_mapTimers.begin()->first;
            nTimeout = nDue <= nNow ? 0 : int(std::min<uint64_t>(nDue - nNow, 60000));
        }
        int nReady = poll(vecPoll.data(), vecPoll.size(), nTimeout);
        if (nReady < 0 && errno != EINTR) {
            break;
        }
        for (size_t i = 0; nReady > 0 && i < vecPoll.size() && !m_bStop; ++i) {
            if (vecPoll[i].revents == 0) {
                continue;
            }
            // A handler may have closed or replaced this descriptor meanwhile.
            auto it = m_mapWatches.find(vecPoll[i].fd);
            if (it == m_mapWatches.end() || it->second.nGeneration != vecGenerations[i]) {
                continue;
            }
            FdHandler handler = it->second.handler;
            handler(vecPoll[i].revents);
        }
        uint64_t nNow = Now();
        while (!m_bStop && !m_mapTimers.empty() && m_mapTimers.begin()->first <= nNow) {
            auto it = m_mapTimers.begin();
            STimer timer = std::move(it->second);
            m_mapTimers.erase(it);
            m_mapTimerDue.erase(timer.nId);
            timer.handler();
        }
        if (m_fnAfterEach) {
            m_fnAfterEach();
        }
    }
}
