#include "gui/KeyLocks.h"

#include <QGuiApplication>

#ifdef ORVIX_HAVE_XKB
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

SKeyLocks ReadKeyLocks() {
    SKeyLocks locks;
#ifdef ORVIX_HAVE_XKB
    auto* pX11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                    : nullptr;
    Display* pDisplay = pX11 != nullptr ? pX11->display() : nullptr;
    if (pDisplay == nullptr) {
        return locks;
    }
    // By indicator name, whatever their bit positions are on this server.
    auto ReadNamed = [pDisplay](const char* pszName) {
        Atom atom = XInternAtom(pDisplay, pszName, True);
        Bool bOn = False;
        if (atom == None ||
            !XkbGetNamedIndicator(pDisplay, atom, nullptr, &bOn, nullptr, nullptr)) {
            return false;
        }
        return bOn == True;
    };
    locks.bKnown = true;
    locks.bKana = ReadNamed("Kana");
    locks.bCaps = ReadNamed("Caps Lock");
    locks.bNum = ReadNamed("Num Lock");
    locks.bScroll = ReadNamed("Scroll Lock");
#endif
    return locks;
}
