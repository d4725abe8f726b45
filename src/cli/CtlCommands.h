#pragma once
// The commands of mrvctl: each runs the manager's own operation on the
// document and answers its dialogs from the command line's options.
#include "cli/CtlArgs.h"
#include "cli/CtlOutput.h"

class COrvixDoc;
class CParamFile;
class CCtlUi;

struct SCtlContext {
    COrvixDoc& doc;
    CParamFile& paramFile; // the default parameters and their INI file
    CCtlUi& ui;
    const SCtlArgs& args;
    SCtlResult& result;
};

// Whether the command talks to nodes (and needs port 65532).
bool CtlCommandNeedsNodes(const SCtlArgs& args);

// Runs the command; what became of it is in ui (exit status, messages) and
// in result (the output).
void RunCtlCommand(SCtlContext& ctx);

// One download to each node, named by MAC, in turn; the failed ones again up
// to nRetry times. Fills one entry per node into jsonNodes and the table.
// Returns the nodes that failed in the end.
std::vector<std::string> RunCtlDownloads(SCtlContext& ctx, const std::vector<std::string>& vecMacs,
                                         int nKind, int nRetry);
