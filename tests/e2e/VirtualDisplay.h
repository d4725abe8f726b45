#pragma once
// The X side of the close tests: a virtual display of their own, and the
// close a window manager asks of a window.
#include <string>

#include <sys/types.h>

// A virtual X display of its own while this lives, on a number it holds the
// lock of; its number is empty when it could not be started.
class CVirtualDisplay {
public:
    CVirtualDisplay();
    ~CVirtualDisplay();
    CVirtualDisplay(const CVirtualDisplay&) = delete;
    CVirtualDisplay& operator=(const CVirtualDisplay&) = delete;

    const std::string& Number() const { return m_strNumber; }

private:
    void Start(const std::string& strNumber);

    pid_t m_pid = -1;
    std::string m_strNumber;
    std::string m_strLock;
};

// What a window manager does when the operator clicks a window's close box:
// the X server hands the window a WM_DELETE_WINDOW message. On the display
// that DISPLAY names; false when it cannot be reached.
bool SendWindowManagerClose(unsigned long ulWindow);

// The X server of strDisplay (":N") takes connections.
bool CanOpenDisplay(const std::string& strDisplay);
