#pragma once
// What mrvctl owns while a command runs, and what it says when it is told to
// stop: the data file's lock (one writer at a time, listings share it) and
// port 65532, each waited for up to --wait and, when another program keeps
// it, refused with status 6 naming that program.
#include "cli/CtlArgs.h"
#include "cli/CtlOutput.h"
#include "platform/TerminationSignals.h"

#include <string>
#include <vector>

class CCtlUi;
class CDataFileLock;
class CStopRequest;

// Takes the lock for the whole command; false after the refusal (status 6)
// or a stop during the wait was reported.
bool TakeDataFile(CDataFileLock& lock, const std::string& strDataPath, bool bShared,
                  const SCtlArgs& args, CCtlUi& ui, const CStopRequest& stop);
// Waits up to --wait for port 65532 to be free; the document takes it right after.
void WaitForNodePort(const SCtlArgs& args, const CStopRequest& stop);
// Port 65532 was refused: who holds it (status 6).
void ReportPortHolder(CCtlUi& ui);

// A stop before the command began: nothing was done.
void ReportStopBeforeStart(CCtlUi& ui, int nSignal);
// A stop after the command: what it did and did not do (result.vecNotDone)
// into the messages and the result. The exit status is 128 plus the signal.
void ReportStop(CCtlUi& ui, SCtlResult& result, int nSignal);

// The command's output and status when a second signal ends it at once.
SAtOnceTexts AtOnceTexts(const SCtlArgs& args, int nSignal);
// The one JSON object of an outcome.
CJson OutcomeJson(const SCtlArgs& args, int nExit, const CJson& jsonMessages,
                  const CJson& jsonResult);
