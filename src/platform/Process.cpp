#include "platform/Process.h"

#include "platform/MessagePump.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
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

// The program's file as execvp would find it, looked up before the fork:
// the child may not allocate.
int FindProgram(const std::string& strName, std::string& strPath) {
    if (strName.find('/') != std::string::npos) {
        strPath = strName;
        return 0;
    }
    const char* pszPath = getenv("PATH");
    std::string strDirs = pszPath != nullptr ? pszPath : "/bin:/usr/bin";
    int nErr = ENOENT;
    size_t nStart = 0;
    while (nStart <= strDirs.size()) {
        size_t nColon = strDirs.find(':', nStart);
        std::string strDir = strDirs.substr(nStart, nColon == std::string::npos ? std::string::npos
                                                                                : nColon - nStart);
        std::string strCandidate = (strDir.empty() ? std::string(".") : strDir) + "/" + strName;
        struct stat st {};
        if (stat(strCandidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            if (access(strCandidate.c_str(), X_OK) == 0) {
                strPath = strCandidate;
                return 0;
            }
            nErr = EACCES;
        }
        if (nColon == std::string::npos) {
            break;
        }
        nStart = nColon + 1;
    }
    return nErr;
}

// Everything the child needs, made before the fork.
struct SChildSetup {
    const char* pszProgram = nullptr;
    char* const* ppArgv = nullptr;
    const char* pszStdin = nullptr;
    const char* pszWorkDir = nullptr; // nullptr: ours
    int fdOutput = -1;                // standard output; -1: both to /dev/null
    int fdErrors = -1;                // standard error, with fdOutput
    pid_t pidParent = 0;
    int fdError = -1; // the errno of a failed step goes here
};

// The failed step's errno to the parent, and the end.
[[noreturn]] void DieInChild(int fdError, int nErr) {
    if (write(fdError, &nErr, sizeof nErr) < 0) {
        // the parent reports a start without a reason
    }
    _exit(127);
}

// The child between fork and exec: async-signal-safe calls only.
[[noreturn]] void RunChild(const SChildSetup& setup) {
    auto Die = [&setup](int nErr) { DieInChild(setup.fdError, nErr); };
    // Default handling of every signal (ours are caught or ignored), then
    // none blocked: the manager blocks its termination signals for a signal
    // descriptor, and the child must be able to be told to end.
    struct sigaction act {};
    act.sa_handler = SIG_DFL;
    sigemptyset(&act.sa_mask);
    for (int nSignal = 1; nSignal < NSIG; ++nSignal) {
        sigaction(nSignal, &act, nullptr);
    }
    // A session of its own: no terminal, so a program that looks for one to
    // ask for a password falls back to its standard input.
    if (setsid() < 0) {
        Die(errno);
    }
    // It dies with us, whatever ends us; we may have died before this took hold.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != setup.pidParent) {
        _exit(127);
    }
    sigset_t setEmpty;
    sigemptyset(&setEmpty);
    sigprocmask(SIG_SETMASK, &setEmpty, nullptr);
    int fdIn = open(setup.pszStdin, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fdIn < 0 || dup2(fdIn, 0) < 0) {
        Die(errno);
    }
    int fdOut = setup.fdOutput >= 0 ? setup.fdOutput : open("/dev/null", O_WRONLY | O_CLOEXEC);
    int fdErr = setup.fdOutput >= 0 ? setup.fdErrors : fdOut;
    if (fdOut < 0 || dup2(fdOut, 1) < 0 || dup2(fdErr, 2) < 0) {
        Die(errno);
    }
    if (setup.pszWorkDir != nullptr && chdir(setup.pszWorkDir) != 0) {
        Die(errno);
    }
    // None of our descriptors but the standard three; the error pipe closes on exec.
    if (setup.fdError > 3) {
        syscall(SYS_close_range, 3u, static_cast<unsigned>(setup.fdError - 1), 0u);
    }
    syscall(SYS_close_range, static_cast<unsigned>(setup.fdError + 1), ~0u, 0u);
    execve(setup.pszProgram, setup.ppArgv, environ);
    DieInChild(setup.fdError, errno);
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
    std::string strProgram;
    if (int nErr = FindProgram(start.vecArgs[0], strProgram); nErr != 0) {
        strError = start.vecArgs[0] + ": " + std::strerror(nErr);
        return false;
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
    }
    std::vector<char*> vecArgv;
    vecArgv.reserve(start.vecArgs.size() + 1);
    for (const std::string& str : start.vecArgs) {
        vecArgv.push_back(const_cast<char*>(str.c_str()));
    }
    vecArgv.push_back(nullptr);
    int afdError[2];
    if (pipe2(afdError, O_CLOEXEC) != 0) {
        strError = std::strerror(errno);
        return false;
    }
    const std::string strIn = start.strStdinPath.empty() ? "/dev/null" : start.strStdinPath;
    SChildSetup setup;
    setup.pszProgram = strProgram.c_str();
    setup.ppArgv = vecArgv.data();
    setup.pszStdin = strIn.c_str();
    setup.pszWorkDir = start.strWorkDir.empty() ? nullptr : start.strWorkDir.c_str();
    setup.fdOutput = m_fdOutput;
    setup.fdErrors = m_fdErrors;
    setup.pidParent = getpid();
    setup.fdError = afdError[1];

    // No handler of ours may run in the child before it has its own.
    sigset_t setAll;
    sigset_t setOld;
    sigfillset(&setAll);
    pthread_sigmask(SIG_SETMASK, &setAll, &setOld);
    pid_t pid = fork();
    if (pid == 0) {
        RunChild(setup);
    }
    int nForkErr = errno;
    pthread_sigmask(SIG_SETMASK, &setOld, nullptr);
    close(afdError[1]);
    if (pid < 0) {
        close(afdError[0]);
        strError = std::string("fork: ") + std::strerror(nForkErr);
        return false;
    }
    // Nothing to read: the program runs. A number: the step that failed.
    int nChildErr = 0;
    ssize_t nRead;
    while ((nRead = read(afdError[0], &nChildErr, sizeof nChildErr)) < 0 && errno == EINTR) {
    }
    close(afdError[0]);
    if (nRead != 0) {
        int nStatus = 0;
        while (waitpid(pid, &nStatus, 0) < 0 && errno == EINTR) {
        }
        strError = start.vecArgs[0] + ": " +
                   std::strerror(nRead == static_cast<ssize_t>(sizeof nChildErr) ? nChildErr : EIO);
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

bool CProcess::CollectIfEnded() {
    if (!IsRunning()) {
        return m_bReaped;
    }
    pollfd pfd{m_fdPid, POLLIN, 0};
    if (m_fdPid < 0 || poll(&pfd, 1, 0) != 1) {
        return false;
    }
    Reap();
    return true;
}

void CProcess::AskToEnd() {
    if (IsRunning()) {
        kill(-m_pid, SIGTERM);
    }
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
