#include "VirtualDisplay.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <X11/Xlib.h>

extern char** environ;

bool SendWindowManagerClose(unsigned long ulWindow) {
    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = ulWindow;
    event.xclient.message_type = XInternAtom(pDisplay, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(pDisplay, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    bool bSent = XSendEvent(pDisplay, ulWindow, False, NoEventMask, &event) != 0;
    XCloseDisplay(pDisplay);
    return bSent;
}

bool CanOpenDisplay(const std::string& strDisplay) {
    Display* pDisplay = XOpenDisplay(strDisplay.c_str());
    if (pDisplay == nullptr) {
        return false;
    }
    XCloseDisplay(pDisplay);
    return true;
}

namespace {
// Takes display nDisplay by its lock file, the one X servers and xvfb-run
// honour; a lock whose holder is gone is taken over. A server started with
// -displayfd neither takes nor heeds the lock and, in another network
// namespace, does not see the first one's abstract socket either: two test
// networks' servers both took display 0 and the one ending first took the
// other's socket file with it. So the number is chosen here, under the lock.
bool LockDisplay(int nDisplay, std::string& strLock) {
    std::string strPath = "/tmp/.X" + std::to_string(nDisplay) + "-lock";
    for (int nTry = 0; nTry < 2; ++nTry) {
        int fd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
        if (fd >= 0) {
            char sz[16];
            int n = std::snprintf(sz, sizeof sz, "%10d\n", static_cast<int>(::getpid()));
            bool bWritten = ::write(fd, sz, static_cast<size_t>(n)) == n;
            ::close(fd);
            if (bWritten) {
                strLock = strPath;
                return true;
            }
            ::unlink(strPath.c_str());
            return false;
        }
        if (errno != EEXIST) {
            return false;
        }
        char sz[16] = {};
        int fdRead = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fdRead < 0) {
            continue; // it has just gone
        }
        ssize_t nRead = ::read(fdRead, sz, sizeof sz - 1);
        ::close(fdRead);
        long lPid = nRead > 0 ? std::strtol(sz, nullptr, 10) : 0;
        if (lPid <= 0 || ::kill(static_cast<pid_t>(lPid), 0) == 0 || errno != ESRCH) {
            return false; // held, or being written
        }
        ::unlink(strPath.c_str());
    }
    return false;
}
} // namespace

CVirtualDisplay::CVirtualDisplay() {
    for (int nDisplay = 10; nDisplay < 200 && m_strNumber.empty(); ++nDisplay) {
        if (LockDisplay(nDisplay, m_strLock)) {
            Start(std::to_string(nDisplay));
            if (m_strNumber.empty()) {
                ::unlink(m_strLock.c_str());
                m_strLock.clear();
            }
        }
    }
}

void CVirtualDisplay::Start(const std::string& strNumber) {
    // The server writes its number to the pipe once it takes connections.
    int arrPipe[2];
    if (::pipe2(arrPipe, O_CLOEXEC) != 0) {
        return;
    }
    std::vector<std::string> vecArgs{"/usr/bin/Xvfb", ":" + strNumber, "-displayfd", "3",
                                     "-nolisten",     "tcp",           "-screen",    "0",
                                     "1024x768x24"};
    std::vector<char*> vecArgv;
    for (std::string& str : vecArgs) {
        vecArgv.push_back(str.data());
    }
    vecArgv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, arrPipe[1], 3);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    int nError = posix_spawn(&m_pid, vecArgv[0], &actions, nullptr, vecArgv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(arrPipe[1]);
    if (nError != 0) {
        m_pid = -1;
        ::close(arrPipe[0]);
        return;
    }
    std::string strRead;
    auto tEnd = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (strRead.find('\n') == std::string::npos) {
        auto nLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
                         tEnd - std::chrono::steady_clock::now())
                         .count();
        pollfd pfd{arrPipe[0], POLLIN, 0};
        if (nLeft <= 0 || ::poll(&pfd, 1, static_cast<int>(nLeft)) <= 0) {
            break;
        }
        char sz[32];
        ssize_t n = ::read(arrPipe[0], sz, sizeof sz);
        if (n <= 0) {
            break; // the server ended
        }
        strRead.append(sz, static_cast<size_t>(n));
    }
    ::close(arrPipe[0]);
    if (strRead.substr(0, strRead.find('\n')) == strNumber && CanOpenDisplay(":" + strNumber)) {
        m_strNumber = strNumber;
        return;
    }
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

CVirtualDisplay::~CVirtualDisplay() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (!m_strLock.empty()) {
        ::unlink(m_strLock.c_str());
    }
}
