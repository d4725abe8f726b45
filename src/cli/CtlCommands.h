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

// mrvctl log: the operation log at strPath (the user's), filtered by --since,
// --node and --network; no data file and no port are needed for it.
void RunLogCommand(const SCtlArgs& args, CCtlUi& ui, SCtlResult& result,
                   const std::string& strPath);

// Downloads to the nodes named by MAC: one node by the single-node flow,
// again up to nRetry times while it fails; several by the batch engine, 16 at
// a time, its retry question answered yes up to nRetry times. One entry per
// node goes into the result. Returns the nodes that failed in the end.
std::vector<std::string> RunCtlDownloads(SCtlContext& ctx, const std::vector<std::string>& vecMacs,
                                         int nKind, int nRetry);
