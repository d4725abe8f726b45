#include "WindowManagerClose.h"

#include <X11/Xlib.h>

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
