#include "VirtualDisplay.h"

#include <chrono>
#include <csignal>
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

CVirtualDisplay::CVirtualDisplay() {
    // The server picks a number it can take itself and writes it to the pipe
    // once it takes connections: no guess races a server that is just ending.
    int arrPipe[2];
    if (::pipe2(arrPipe, O_CLOEXEC) != 0) {
        return;
    }
    std::vector<std::string> vecArgs{"/usr/bin/Xvfb", "-displayfd", "3", "-nolisten",
                                     "tcp",           "-screen",    "0", "1024x768x24"};
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
    std::string strNumber = strRead.substr(0, strRead.find('\n'));
    if (!strNumber.empty() && strNumber.find_first_not_of("0123456789") == std::string::npos &&
        CanOpenDisplay(":" + strNumber)) {
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
}
