#include "VirtualDisplay.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
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
    for (int nDisplay = 90; nDisplay < 190 && m_strNumber.empty(); ++nDisplay) {
        std::string strNumber = std::to_string(nDisplay);
        if (std::filesystem::exists("/tmp/.X" + strNumber + "-lock")) {
            continue;
        }
        std::vector<std::string> vecArgs{
            "/usr/bin/Xvfb", ":" + strNumber, "-nolisten", "tcp", "-screen", "0", "1024x768x24"};
        std::vector<char*> vecArgv;
        for (std::string& str : vecArgs) {
            vecArgv.push_back(str.data());
        }
        vecArgv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        int nError = posix_spawn(&m_pid, vecArgv[0], &actions, nullptr, vecArgv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (nError != 0) {
            return;
        }
        // Up once it takes connections; gone when the number was taken after all.
        auto tEnd = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < tEnd) {
            if (CanOpenDisplay(":" + strNumber)) {
                m_strNumber = strNumber;
                break;
            }
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (m_strNumber.empty() && m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
}

CVirtualDisplay::~CVirtualDisplay() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}
