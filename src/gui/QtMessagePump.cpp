#include "gui/QtMessagePump.h"

#include "platform/PollReady.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace {
// A descriptor whose handler never reads must not hang the pump for ever.
constexpr size_t PUMP_MAX_ROUNDS = 1u << 20;
// Rounds of the input held back by a pause taken at its end; a close event
// the platform queues while it handles the click needs a second one.
constexpr int PAUSE_FLUSH_ROUNDS = 4;
} // namespace

CQtMessagePump::CQtMessagePump() = default;

CQtMessagePump::~CQtMessagePump() {
    // The notifiers are children and go with the QObject; stop them first so
    // that none fires into a half-destroyed pump.
    for (auto& [fd, watch] : m_mapWatches) {
        watch.pNotifier->setEnabled(false);
    }
}

void CQtMessagePump::Watch(int fd, Handler handler) {
    Unwatch(fd);
    SWatch watch;
    watch.pHandler = std::make_shared<Handler>(std::move(handler));
    watch.pNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    watch.pNotifier->setEnabled(m_nPauseDepth == 0);
    QObject::connect(watch.pNotifier, &QSocketNotifier::activated, this,
                     [this, fd] { OnActivated(fd); });
    m_mapWatches[fd] = std::move(watch);
}

void CQtMessagePump::Unwatch(int fd) {
    auto it = m_mapWatches.find(fd);
    if (it == m_mapWatches.end()) {
        return;
    }
    // The notifier may be the one whose signal is running this very call:
    // silence it now, delete it later.
    QSocketNotifier* pNotifier = it->second.pNotifier;
    pNotifier->setEnabled(false);
    pNotifier->disconnect(this);
    pNotifier->deleteLater();
    m_mapWatches.erase(it);
}

void CQtMessagePump::Post(Handler fn) {
    m_queuePosted.push_back(std::move(fn));
    ScheduleWake();
}

void CQtMessagePump::ScheduleWake() {
    if (m_bWakeQueued) {
        return;
    }
    m_bWakeQueued = true;
    // Runs the posted work from Qt's own loop when nobody pumps explicitly.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bWakeQueued = false;
            if (m_nPauseDepth > 0) {
                return; // the pause's end schedules it again
            }
            RunPosted();
            if (!m_queuePosted.empty()) {
                ScheduleWake();
            }
        },
        Qt::QueuedConnection);
}

void CQtMessagePump::RunHandler(const std::shared_ptr<Handler>& pHandler) {
    ++m_nDispatched;
    (*pHandler)();
    // Something was dispatched: every wait on the stack has what it waited for.
    for (QEventLoop* pLoop : m_vecWaits) {
        pLoop->quit();
    }
}

void CQtMessagePump::OnActivated(int fd) {
    auto it = m_mapWatches.find(fd);
    // An explicit pump may have drained it since Qt looked.
    if (it == m_mapWatches.end() || !IsReadableNow(fd)) {
        return;
    }
    std::shared_ptr<Handler> pHandler = it->second.pHandler;
    RunHandler(pHandler);
}

size_t CQtMessagePump::RunPosted() {
    // Only what was queued when we started: work posted by a handler waits for
    // the next round so ordering stays first-in first-out.
    size_t nCount = m_queuePosted.size();
    size_t nRun = 0;
    while (nRun < nCount && !m_queuePosted.empty()) {
        auto pFn = std::make_shared<Handler>(std::move(m_queuePosted.front()));
        m_queuePosted.pop_front();
        ++nRun;
        RunHandler(pFn);
    }
    return nRun;
}

size_t CQtMessagePump::ServeReadyDescriptors() {
    if (m_mapWatches.empty()) {
        return 0;
    }
    std::vector<int> vecFds;
    vecFds.reserve(m_mapWatches.size());
    for (const auto& [fd, watch] : m_mapWatches) {
        vecFds.push_back(fd);
    }
    std::vector<int> vecReady;
    std::vector<int> vecClosed;
    PollForInput(vecFds, 0, vecReady, vecClosed);
    for (int fd : vecClosed) {
        Unwatch(fd); // can never be read again
    }
    size_t nRun = 0;
    for (int fd : vecReady) {
        auto it = m_mapWatches.find(fd);
        // Unwatched by an earlier handler of this round, or drained by a
        // handler that pumped again.
        if (it == m_mapWatches.end() || !IsReadableNow(fd)) {
            continue;
        }
        std::shared_ptr<Handler> pHandler = it->second.pHandler;
        ++nRun;
        RunHandler(pHandler);
    }
    return nRun;
}

size_t CQtMessagePump::PumpPendingMessages() {
    size_t nStart = m_nDispatched;
    for (size_t nRound = 0; nRound < PUMP_MAX_ROUNDS; ++nRound) {
        size_t nBefore = m_nDispatched;
        // Paints, input and timers, and any notifier Qt has seen.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        RunPosted();
        // Qt delivers one activation per descriptor and loop pass; a burst of
        // datagrams is served here instead.
        ServeReadyDescriptors();
        if (m_nDispatched == nBefore) {
            break;
        }
    }
    return m_nDispatched - nStart;
}

size_t CQtMessagePump::WaitForMessages(uint32_t ms) {
    size_t nStart = m_nDispatched;
    PumpPendingMessages();
    if (m_nDispatched != nStart || ms == 0) {
        return m_nDispatched - nStart;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(ms));
    m_vecWaits.push_back(&loop);
    // Blocks in Qt's dispatcher: no spinning while nothing happens.
    loop.exec(QEventLoop::AllEvents);
    m_vecWaits.pop_back();
    if (m_nDispatched != nStart) {
        PumpPendingMessages(); // the rest of a burst
    }
    return m_nDispatched - nStart;
}

namespace {
int64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Blocks until fd is readable, fdStop is signalled or ms passed; true for fd.
bool BlockOnDescriptor(int fd, int fdStop, uint32_t ms) {
    int64_t llDeadline = MonotonicMs() + static_cast<int64_t>(ms);
    pollfd apfd[2] = {{fdStop, POLLIN, 0}, {fd, POLLIN, 0}};
    nfds_t nCount = fd >= 0 ? 2 : 1;
    for (;;) {
        int64_t llLeft = llDeadline - MonotonicMs();
        if (llLeft < 0) {
            llLeft = 0;
        }
        int nReady = poll(apfd, nCount, llLeft > INT_MAX ? INT_MAX : static_cast<int>(llLeft));
        if (nReady < 0 && errno == EINTR) {
            continue;
        }
        if (nReady <= 0 || (apfd[0].revents & POLLIN) != 0) {
            return false;
        }
        if ((apfd[1].revents & POLLNVAL) != 0) {
            nCount = 1; // closed: it can never become readable
            continue;
        }
        return (apfd[1].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
    }
}
} // namespace

bool CQtMessagePump::PauseUntilReadable(int fd, uint32_t ms) {
    if (fd >= 0 && IsReadableNow(fd)) {
        return true;
    }
    int fdStop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fdStop < 0) {
        return false; // no way to end the helper; do not pause at all
    }
    if (m_nPauseDepth++ == 0) {
        for (auto& [nFd, watch] : m_mapWatches) {
            watch.pNotifier->setEnabled(false);
        }
    }
    QEventLoop loop;
    std::atomic<bool> bReadable{false};
    std::thread waiter([&loop, &bReadable, fd, fdStop, ms] {
        bReadable = BlockOnDescriptor(fd, fdStop, ms);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Paints and timers go on; keys, clicks and our descriptors wait.
    loop.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    // The loop may also have been ended by the application's exit.
    uint64_t qwOne = 1;
    [[maybe_unused]] ssize_t nWritten = write(fdStop, &qwOne, sizeof qwOne);
    waiter.join();
    close(fdStop);
    // What the operator did meanwhile is taken now, while nothing else is
    // dispatched: a close of the main window is then seen by the command
    // that paused, before it may open a modal window that would refuse it.
    QEventLoop flush;
    for (int nRound = 0; nRound < PAUSE_FLUSH_ROUNDS; ++nRound) {
        if (!flush.processEvents(QEventLoop::ExcludeSocketNotifiers)) {
            break;
        }
    }
    if (--m_nPauseDepth == 0) {
        for (auto& [nFd, watch] : m_mapWatches) {
            watch.pNotifier->setEnabled(true);
        }
        if (!m_queuePosted.empty()) {
            ScheduleWake();
        }
    }
    return bReadable || (fd >= 0 && IsReadableNow(fd));
}
