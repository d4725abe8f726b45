#include "platform/TerminationSignals.h"

#include "platform/StopRequest.h"

#include <array>
#include <atomic>
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {
constexpr std::array<int, 3> TERMINATION_SIGNALS = {SIGINT, SIGTERM, SIGHUP};

// What the handler sees: set once before the handlers are installed.
std::atomic<CStopRequest*> s_pStop{nullptr};
std::array<SAtOnceTexts, 3> s_arrAtOnce;

void WriteAll(int fd, const std::string& str) {
    size_t nDone = 0;
    while (nDone < str.size()) {
        ssize_t n = ::write(fd, str.data() + nDone, str.size() - nDone);
        if (n <= 0) {
            return;
        }
        nDone += static_cast<size_t>(n);
    }
}

void OnTerminationSignal(int nSignal) {
    CStopRequest* pStop = s_pStop.load();
    if (pStop == nullptr) {
        return;
    }
    if (!pStop->IsRequested()) {
        pStop->Request(nSignal);
        return;
    }
    // The second: only async-signal-safe calls from here on.
    for (size_t i = 0; i < TERMINATION_SIGNALS.size(); ++i) {
        if (TERMINATION_SIGNALS[i] == nSignal) {
            WriteAll(STDERR_FILENO, s_arrAtOnce[i].strErr);
            WriteAll(STDOUT_FILENO, s_arrAtOnce[i].strOut);
        }
    }
    ::_exit(128 + nSignal);
}
} // namespace

int OpenTerminationSignalFd() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

int ReadTerminationSignal(int fd) {
    signalfd_siginfo info{};
    if (read(fd, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) {
        return 0;
    }
    return static_cast<int>(info.ssi_signo);
}

void RouteTerminationSignals(CStopRequest& stop,
                             const std::function<SAtOnceTexts(int nSignal)>& fnTexts) {
    for (size_t i = 0; i < TERMINATION_SIGNALS.size(); ++i) {
        s_arrAtOnce[i] = fnTexts ? fnTexts(TERMINATION_SIGNALS[i]) : SAtOnceTexts();
    }
    s_pStop.store(&stop);
    struct sigaction act {};
    act.sa_handler = OnTerminationSignal;
    act.sa_flags = SA_RESTART;
    sigemptyset(&act.sa_mask);
    for (int nSignal : TERMINATION_SIGNALS) {
        sigaddset(&act.sa_mask, nSignal); // one handler at a time
    }
    for (int nSignal : TERMINATION_SIGNALS) {
        struct sigaction actOld {};
        if (sigaction(nSignal, nullptr, &actOld) == 0 && actOld.sa_handler == SIG_IGN) {
            continue;
        }
        sigaction(nSignal, &act, nullptr);
    }
    sigset_t set;
    sigemptyset(&set);
    for (int nSignal : TERMINATION_SIGNALS) {
        sigaddset(&set, nSignal);
    }
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void HoldTerminationSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int nSignal : TERMINATION_SIGNALS) {
        sigaddset(&set, nSignal);
    }
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

std::string TerminationSignalName(int nSignal) {
    switch (nSignal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal " + std::to_string(nSignal);
    }
}
