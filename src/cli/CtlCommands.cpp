#include "cli/CtlCommands.h"

#include "cli/CtlCommission.h"
#include "cli/CtlCommon.h"

bool CtlCommandNeedsNodes(const SCtlArgs& args) {
    switch (args.eCommand) {
    case ECtlCommand::None:
    case ECtlCommand::Networks:
    case ECtlCommand::Nodes:
    case ECtlCommand::Defaults:
    case ECtlCommand::Log:
        return false;
    case ECtlCommand::Commission:
        return !args.bCheck; // the check sends nothing
    default:
        return true;
    }
}

void RunCtlCommand(SCtlContext& ctx) {
    ctx.ui.SetYes(ctx.args.bYes);
    if (!ctx.args.strDefaultsFile.empty() && !UseDefaultsFile(ctx)) {
        return;
    }
    if (!ctx.args.strNetwork.empty()) {
        int nIndex = -1;
        if (!FindNetwork(ctx, ctx.args.strNetwork, nIndex)) {
            return;
        }
        SelectNetworkAt(ctx, nIndex);
    }
    switch (ctx.args.eCommand) {
    case ECtlCommand::Networks:
        RunNetworks(ctx);
        break;
    case ECtlCommand::Nodes:
        RunNodes(ctx);
        break;
    case ECtlCommand::Search:
        RunSearch(ctx);
        break;
    case ECtlCommand::AutoSet:
        RunAutoSet(ctx);
        break;
    case ECtlCommand::GetParams:
        RunGetParams(ctx);
        break;
    case ECtlCommand::SetParams:
        RunSetParams(ctx);
        break;
    case ECtlCommand::Defaults:
        RunDefaults(ctx);
        break;
    case ECtlCommand::Mode:
        RunMode(ctx);
        break;
    case ECtlCommand::Init:
        RunInit(ctx);
        break;
    case ECtlCommand::Download:
        RunDownload(ctx);
        break;
    case ECtlCommand::Files:
        RunFiles(ctx);
        break;
    case ECtlCommand::Version:
        RunVersion(ctx);
        break;
    case ECtlCommand::DeleteApp:
        RunDeleteApp(ctx);
        break;
    case ECtlCommand::Commission:
        RunCommission(ctx);
        break;
    case ECtlCommand::Log: // runs without a document (RunLogCommand)
    case ECtlCommand::None:
        break;
    }
}
