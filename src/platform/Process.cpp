#include "platform/Process.h"

#include "platform/MessagePump.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
int64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Owns the attribute and file-action objects of one spawn.
struct SSpawnSetup {
    posix_spawnattr_t attr{};
    posix_spawn_file_actions_t actions{};
    SSpawnSetup() {
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_init(&actions);
    }
    ~SSpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SSpawnSetup(const SSpawnSetup&) = delete;
    SSpawnSetup& operator=(const SSpawnSetup&) = delete;
};

// A program may look for its terminal to ask for a password; with a session
// of its own it has none and falls back to its standard input.
int PrepareAttributes(posix_spawnattr_t& attr) {
    sigset_t setEmpty;
    sigemptyset(&setEmpty);
    // The manager blocks its termination signals for a signal descriptor;
    // the child must not inherit that, or it could not be told to end.
    sigset_t setDefault;
    sigemptyset(&setDefault);
    for (int nSig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2,
                     SIGTTIN, SIGTTOU, SIGTSTP}) {
        sigaddset(&setDefault, nSig);
    }
    int nErr = posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                   POSIX_SPAWN_SETSIGDEF);
    if (nErr == 0) {
        nErr = posix_spawnattr_setsigmask(&attr, &setEmpty);
    }
    if (nErr == 0) {
        nErr = posix_spawnattr_setsigdefault(&attr, &setDefault);
    }
    return nErr;
}
} // namespace

CProcess::~CProcess() {
    if (IsRunning()) {
        Terminate();
    }
    if (m_fdPid >= 0) {
        close(m_fdPid);
    }
    for (int fd : {m_fdOutput, m_fdErrors}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool CProcess::Start(const SProcessStart& start, std::string& strError) {
    if (m_pid > 0 || start.vecArgs.empty() || start.vecArgs[0].empty()) {
        strError = m_pid > 0 ? "already started" : "no program";
        return false;
    }
    SSpawnSetup setup;
    int nErr = PrepareAttributes(setup.attr);
    std::string strIn = start.strStdinPath.empty() ? "/dev/null" : start.strStdinPath;
    if (nErr == 0) {
        nErr = posix_spawn_file_actions_addopen(&setup.actions, 0, strIn.c_str(),
                                                O_RDONLY | O_NOFOLLOW, 0);
    }
    if (start.bCaptureOutput) {
        // Apart, so that an unbuffered error line never lands inside a line
        // the program's buffered output writes later.
        m_fdOutput = memfd_create("process-output", MFD_CLOEXEC);
        m_fdErrors = memfd_create("process-errors", MFD_CLOEXEC);
        if (m_fdOutput < 0 || m_fdErrors < 0) {
            strError = std::strerror(errno);
            return false;
        }
        // dup2 clears close-on-exec on the copies only.
        if (nErr == 0) {
            nErr = posix_spawn_file_actions_adddup2(&setup.actions, m_fdOutput, 1);
        }
        if (nErr == 0) {
            nErr = posix_spawn_file_actions_adddup2(&setup.actions, m_fdErrors, 2);
        }
    } else {
        if (nErr == 0) {
            nErr = posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0);
        }
        if (nErr == 0) {
            nErr = posix_spawn_file_actions_adddup2(&setup.actions, 1, 2);
        }
    }
    if (nErr == 0 && !start.strWorkDir.empty()) {
        nErr = posix_spawn_file_actions_addchdir_np(&setup.actions, start.strWorkDir.c_str());
    }
    if (nErr == 0) {
        nErr = posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
    }
    if (nErr != 0) {
        strError = std::strerror(nErr);
        return false;
    }

    std::vector<char*> vecArgv;
    vecArgv.reserve(start.vecArgs.size() + 1);
    for (const std::string& str : start.vecArgs) {
        vecArgv.push_back(const_cast<char*>(str.c_str()));
    }
    vecArgv.push_back(nullptr);
    pid_t pid = -1;
    // glibc reports a failed file action or exec here, not as an exit status.
    nErr = posix_spawnp(&pid, vecArgv[0], &setup.actions, &setup.attr, vecArgv.data(), environ);
    if (nErr != 0) {
        strError = start.vecArgs[0] + ": " + std::strerror(nErr);
        return false;
    }
    m_pid = pid;
    // Ours until reaped, so the number cannot be reused under the descriptor.
    m_fdPid = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (m_fdPid < 0) {
        strError = std::string("pidfd_open: ") + std::strerror(errno);
        Terminate(0);
        return false;
    }
    return true;
}

bool CProcess::Wait(CMessagePump& pump, uint32_t ms) {
    if (!IsRunning()) {
        return m_bReaped;
    }
    int64_t llDeadline = MonotonicMs() + static_cast<int64_t>(ms);
    for (;;) {
        int64_t llLeft = llDeadline - MonotonicMs();
        if (pump.PauseUntilReadable(m_fdPid, llLeft > 0 ? static_cast<uint32_t>(llLeft) : 0)) {
            Reap();
            return true;
        }
        if (MonotonicMs() >= llDeadline) {
            return false;
        }
    }
}

void CProcess::Terminate(uint32_t dwGraceMs) {
    if (!IsRunning()) {
        return;
    }
    // The leader is not reaped yet, so its number still names its group.
    kill(-m_pid, SIGTERM);
    if (m_fdPid >= 0 && dwGraceMs > 0) {
        pollfd pfd{m_fdPid, POLLIN, 0};
        int64_t llDeadline = MonotonicMs() + dwGraceMs;
        for (;;) {
            int64_t llLeft = llDeadline - MonotonicMs();
            if (llLeft <= 0) {
                break;
            }
            if (poll(&pfd, 1, static_cast<int>(llLeft)) >= 0 || errno != EINTR) {
                break;
            }
        }
    }
    Reap();
}

void CProcess::Reap() {
    // Whatever the program left of its group goes with it.
    kill(-m_pid, SIGKILL);
    int nStatus = 0;
    while (waitpid(m_pid, &nStatus, 0) < 0 && errno == EINTR) {
    }
    m_nStatus = nStatus;
    m_bReaped = true;
}

std::string CProcess::ReadOutput(size_t nMax) const {
    return ReadCaptured(m_fdOutput, nMax);
}

std::string CProcess::ReadErrors(size_t nMax) const {
    return ReadCaptured(m_fdErrors, nMax);
}

std::string CProcess::ReadCaptured(int fd, size_t nMax) {
    std::string str;
    if (fd < 0) {
        return str;
    }
    str.resize(nMax);
    size_t nHave = 0;
    while (nHave < nMax) {
        ssize_t n = pread(fd, str.data() + nHave, nMax - nHave, static_cast<off_t>(nHave));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        nHave += static_cast<size_t>(n);
    }
    str.resize(nHave);
    return str;
}
