#pragma once
#include <functional>

class CMainFrame;

// What a caller of the start-up may add (the start-up benchmark).
struct SStartHooks {
    // Right after the main window was shown.
    std::function<void(CMainFrame& frame)> fnShown;
};

// The whole run of the manager: command line, single instance, the window and
// the document, the event loop. Returns the process's exit status.
int RunManager(int argc, char** argv, const SStartHooks& hooks = {});
