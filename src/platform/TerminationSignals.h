#pragma once
#include <functional>
#include <string>

class CStopRequest;

// SIGINT, SIGTERM and SIGHUP as a readable descriptor, so that a manager told
// to stop ends its run normally (and saves its data) instead of dying. Call
// before any thread starts; returns -1 when it cannot be had.
int OpenTerminationSignalFd();
// Takes the pending signal off the descriptor; returns its number, or 0.
int ReadTerminationSignal(int fd);

// What a program prints when a second signal ends it at once: to standard
// error, and to standard output (empty: nothing).
struct SAtOnceTexts {
    std::string strErr;
    std::string strOut;
};

// SIGINT, SIGTERM and SIGHUP as a request to stop at the next safe point: the
// first one asks stop; a second one ends the process at once with status 128
// plus its number, after writing the texts fnTexts gave for that signal (asked
// here, once per signal, never in the handler). A signal that was ignored when
// the program started stays ignored (a job started in the background, nohup).
// stop must live as long as the process.
void RouteTerminationSignals(CStopRequest& stop,
                             const std::function<SAtOnceTexts(int nSignal)>& fnTexts);
// From here on the three signals wait (the program is writing its last output
// and ends right after): nothing cuts it short any more.
void HoldTerminationSignals();
// "SIGINT", "SIGTERM", "SIGHUP", else "signal N".
std::string TerminationSignalName(int nSignal);
