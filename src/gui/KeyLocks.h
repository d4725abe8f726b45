#pragma once

// The lock states of the keyboard as the indicator panes show them.
struct SKeyLocks {
    bool bKnown = false; // the platform told us; otherwise every pane stays blank
    bool bKana = false;
    bool bCaps = false;
    bool bNum = false;
    bool bScroll = false;
};

// Read from the X server's keyboard indicators; unknown on other platforms
// (Wayland, offscreen) and where the program was built without X11.
SKeyLocks ReadKeyLocks();
