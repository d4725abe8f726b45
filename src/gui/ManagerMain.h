#pragma once
#include <functional>

class CMainFrame;
class CManagerSession;

// What a caller of the start-up may add (the start-up benchmark, the tests
// that drive the real program).
struct SStartHooks {
    // Right after the main window was shown.
    std::function<void(CMainFrame& frame)> fnShown;
    // Then, with the whole run: window, UI and document.
    std::function<void(CManagerSession& session)> fnRunning;
};

// The whole run of the manager: command line, single instance, the window and
// the document, the event loop. Returns the process's exit status.
int RunManager(int argc, char** argv, const SStartHooks& hooks = {});
