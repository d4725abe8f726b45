#pragma once
#include <string>

// What a window manager does when the operator clicks a window's close box:
// the X server hands the window a WM_DELETE_WINDOW message. On the display
// that DISPLAY names; false when it cannot be reached.
bool SendWindowManagerClose(unsigned long ulWindow);

// The X server of strDisplay (":N") takes connections.
bool CanOpenDisplay(const std::string& strDisplay);
