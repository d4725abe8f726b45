#include "app/CommandTable.h"

#include "app/OrvixApp.h"
#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "ops/AutoAssign.h"
#include "ops/DefaultParams.h"
#include "ops/DownloadBatch.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/NodeCommands.h"
#include "ops/NodeDownload.h"
#include "ops/NodeFiles.h"
#include "ops/NodeSearch.h"
#include "ops/OperationLogDlg.h"
#include "ops/RegistryCommands.h"
#include "ops/SearchInterface.h"
#include "params/ParamFile.h"
#include "res/CommandTexts.h"
#include "res/DiscoveryTexts.h"
#include "res/LogTexts.h"

#include <algorithm>

namespace {
// A handler that needs the document only.
CommandHandler OnDoc(void (*fn)(COrvixDoc&)) {
    return [fn](SCommandContext& ctx) { fn(ctx.doc); };
}
// A handler given the selected row as it is (-1: none).
CommandHandler OnRow(void (*fn)(COrvixDoc&, int)) {
    return [fn](SCommandContext& ctx) { fn(ctx.doc, ctx.nSelected); };
}
// A handler on the selected row; nothing without one.
CommandHandler OnSelected(void (*fn)(COrvixDoc&, int)) {
    return [fn](SCommandContext& ctx) {
        if (ctx.nSelected >= 0) {
            fn(ctx.doc, ctx.nSelected);
        }
    };
}

void SetSelectedNode(SCommandContext& ctx) {
    if (ctx.nSelected >= 0) {
        SetNodeIndividually(ctx.doc, ctx.paramFile.m_param, ctx.nSelected);
    }
}

CommandHandler OnDownload(int nKind) {
    return [nKind](SCommandContext& ctx) { DownloadToSelectedNode(ctx.doc, ctx.nSelected, nKind); };
}

// The batch's progress window outlives its command: it stays open until the
// operator closes it, and the next batch shows its rows in it again.
CDownloadProgressDlg& BatchProgress() {
    static CDownloadProgressDlg s_progress;
    return s_progress;
}

CommandHandler OnDownloadBatch(int nKindFlag) {
    return [nKindFlag](SCommandContext& ctx) {
        DownloadToChosenNodes(ctx.doc, BatchProgress(), nKindFlag);
    };
}

// The log this run writes to, or the user's when it writes none.
void ShowOperationLog(SCommandContext& ctx) {
    const COperationLog* pLog = ctx.doc.GetEnv().pLog;
    OperationLogWindow().Open(ctx.doc.GetEnv().ui,
                              pLog != nullptr ? pLog->GetPath() : GetOperationLogPath());
}

std::vector<SCommand> BuildTable() {
    using E = EEnable;
    // One row a command: id, label, context-menu label, prompt, enable rule, handler.
    // clang-format off
    std::vector<SCommand> vec = {
        {ID_APP_EXIT, TXT_CMD_EXIT, nullptr, TXT_PROMPT_EXIT, E::Always, {}, true},
        {ID_NETWORK_NEW, TXT_CMD_NETWORK_NEW, nullptr, TXT_PROMPT_NETWORK_NEW, E::Always, OnRow(RegisterNetwork)},
        {ID_NETWORK_PROPERTIES, TXT_CMD_NETWORK_PROPERTIES, nullptr, TXT_PROMPT_NETWORK_PROPERTIES, E::Network, OnRow(ShowNetworkProperties)},
        {ID_NETWORK_DELETE, TXT_CMD_NETWORK_DELETE, nullptr, TXT_PROMPT_NETWORK_DELETE, E::Network, OnRow(DeleteNetwork)},
        {ID_NODE_SEARCH, TXT_CMD_SEARCH, TXT_CMD_SEARCH_POPUP, TXT_PROMPT_SEARCH, E::Network, OnDoc(SearchNodes)},
        {ID_NODE_REFRESH_SEARCH, TXT_CMD_REFRESH_SEARCH, TXT_CMD_REFRESH_SEARCH, TXT_PROMPT_REFRESH_SEARCH, E::Network, OnDoc(RefreshSearch)},
        {ID_NODE_IP_SEARCH, TXT_CMD_IP_SEARCH, TXT_CMD_IP_SEARCH_POPUP, TXT_PROMPT_IP_SEARCH, E::Network, OnDoc(SearchByIp)},
        {ID_NODE_SEARCH_INTERFACE, TXT_CMD_SEARCH_INTERFACE, nullptr, TXT_PROMPT_SEARCH_INTERFACE, E::Always, OnDoc(ChooseSearchInterface)},
        {ID_NODE_AUTO_SET, TXT_CMD_AUTO_SET, TXT_CMD_AUTO_SET_POPUP, TXT_PROMPT_AUTO_SET, E::Rows,
         [](SCommandContext& ctx) { AutoAssignAddresses(ctx.doc, ctx.paramFile.m_param); }},
        {ID_NODE_SET, TXT_CMD_NODE_SET, TXT_CMD_NODE_SET_POPUP, TXT_PROMPT_NODE_SET, E::Selection, SetSelectedNode},
        {ID_NODE_GET, TXT_CMD_NODE_GET, TXT_CMD_NODE_GET_POPUP, TXT_PROMPT_NODE_GET, E::Selection, OnSelected(GetNodeSettings)},
        {ID_NODE_CHANGE_MODE, TXT_CMD_CHANGE_MODE, TXT_CMD_CHANGE_MODE_POPUP, TXT_PROMPT_CHANGE_MODE, E::Selection, OnSelected(ChangeNodeMode)},
        {ID_APP_DOWNLOAD_NODE, TXT_CMD_DOWNLOAD_NODE, TXT_CMD_DOWNLOAD_NODE, TXT_PROMPT_APP_DOWNLOAD_NODE, E::SelectionOnIp, OnDownload(DOWNLOAD_APPLICATION)},
        {ID_APP_DOWNLOAD_BATCH, TXT_CMD_DOWNLOAD_BATCH, TXT_CMD_DOWNLOAD_BATCH, TXT_PROMPT_APP_DOWNLOAD_BATCH, E::Always, OnDownloadBatch(BATCH_APPLICATION)},
        {ID_KERNEL_DOWNLOAD_NODE, TXT_CMD_DOWNLOAD_NODE, TXT_CMD_DOWNLOAD_NODE, TXT_PROMPT_KERNEL_DOWNLOAD_NODE, E::SelectionOnIp, OnDownload(DOWNLOAD_KERNEL)},
        {ID_KERNEL_DOWNLOAD_BATCH, TXT_CMD_DOWNLOAD_BATCH, TXT_CMD_DOWNLOAD_BATCH, TXT_PROMPT_KERNEL_DOWNLOAD_BATCH, E::Always, OnDownloadBatch(BATCH_KERNEL)},
        {ID_NODE_VERSION_INFO, TXT_CMD_VERSION_INFO, TXT_CMD_VERSION_INFO, TXT_PROMPT_VERSION_INFO, E::Selection, OnSelected(ShowNodeVersions)},
        {ID_NODE_FILE_INFO, TXT_CMD_FILE_INFO, TXT_CMD_FILE_INFO, TXT_PROMPT_FILE_INFO, E::SelectionAddress, OnSelected(ShowNodeFiles)},
        {ID_NODE_DELETE_APP, TXT_CMD_DELETE_APP, TXT_CMD_DELETE_APP, TXT_PROMPT_DELETE_APP, E::Selection, OnSelected(DeleteNodeApplications)},
        {ID_NODE_NEW, TXT_CMD_NODE_NEW, TXT_CMD_NODE_NEW_POPUP, TXT_PROMPT_NODE_NEW, E::Network, OnRow(RegisterNode)},
        {ID_NODE_PROPERTIES, TXT_CMD_NODE_PROPERTIES, TXT_CMD_NODE_PROPERTIES_POPUP, TXT_PROMPT_NODE_PROPERTIES, E::Selection, OnRow(ShowNodeProperties)},
        {ID_NODE_DELETE, TXT_CMD_NODE_DELETE, TXT_CMD_NODE_DELETE_POPUP, TXT_PROMPT_NODE_DELETE, E::Selection, OnRow(DeleteSelectedNode)},
        {ID_DEFAULT_PARAM, TXT_CMD_DEFAULT_PARAM, TXT_CMD_DEFAULT_PARAM_POPUP, TXT_PROMPT_DEFAULT_PARAM, E::Always,
         [](SCommandContext& ctx) { EditDefaultParams(ctx.doc, ctx.paramFile); }},
        {ID_INIT_NODE, TXT_CMD_INIT_NODE, TXT_CMD_INIT_NODE_POPUP, TXT_PROMPT_INIT_NODE, E::Selection, OnSelected(InitializeNode)},
        {ID_INIT_MODEL, TXT_CMD_INIT_MODEL, TXT_CMD_INIT_MODEL_POPUP, TXT_PROMPT_INIT_MODEL, E::Rows, OnDoc(InitializeModel)},
        {ID_VIEW_STATUS_BAR, TXT_CMD_STATUS_BAR, nullptr, TXT_PROMPT_STATUS_BAR, E::Always, {}, true},
        {ID_VIEW_OPERATION_LOG, TXT_CMD_OPERATION_LOG, nullptr, TXT_PROMPT_OPERATION_LOG, E::Always, ShowOperationLog},
        {ID_APP_ABOUT, TXT_CMD_ABOUT, nullptr, TXT_PROMPT_ABOUT, E::Always, {}, true},
        {ID_HELP, TXT_CMD_HELP, nullptr, nullptr, E::Always, {}, true},
    };
    // clang-format on
    return vec;
}

SMenuEntry Cmd(int nId) {
    return {SMenuEntry::Command, nId, nullptr};
}
SMenuEntry Sep() {
    return {SMenuEntry::Separator, 0, nullptr};
}
SMenuEntry Pop(const char* pszText) {
    return {SMenuEntry::Popup, 0, pszText};
}
SMenuEntry End() {
    return {SMenuEntry::End, 0, nullptr};
}

// The "管理" items; the context menu titles two submenus differently.
std::vector<SMenuEntry> ManageItems(bool bPopup) {
    std::vector<SMenuEntry> vec = {
        Cmd(ID_NODE_SEARCH),
        Pop(TXT_MENU_OTHER_SEARCH),
        Cmd(ID_NODE_REFRESH_SEARCH),
        Cmd(ID_NODE_IP_SEARCH),
        End(),
        Sep(),
        Cmd(ID_NODE_AUTO_SET),
        Cmd(ID_NODE_SET),
        Cmd(ID_NODE_GET),
        Cmd(ID_NODE_CHANGE_MODE),
        Pop(TXT_MENU_APP_DOWNLOAD),
        Cmd(ID_APP_DOWNLOAD_NODE),
        Cmd(ID_APP_DOWNLOAD_BATCH),
        End(),
        Pop(bPopup ? TXT_MENU_KERNEL_DOWNLOAD_POPUP : TXT_MENU_KERNEL_DOWNLOAD),
        Cmd(ID_KERNEL_DOWNLOAD_NODE),
        Cmd(ID_KERNEL_DOWNLOAD_BATCH),
        End(),
        Cmd(ID_NODE_VERSION_INFO),
        Cmd(ID_NODE_FILE_INFO),
        Cmd(ID_NODE_DELETE_APP),
        Sep(),
        Cmd(ID_NODE_NEW),
        Cmd(ID_NODE_PROPERTIES),
        Cmd(ID_NODE_DELETE),
        Sep(),
        Cmd(ID_DEFAULT_PARAM),
        Sep(),
        Pop(bPopup ? TXT_MENU_INITIALIZE_POPUP : TXT_MENU_INITIALIZE),
        Cmd(ID_INIT_NODE),
        Cmd(ID_INIT_MODEL),
        End()};
    if (!bPopup) {
        // The interface choice sits with the other searches, in the main menu only.
        vec.insert(vec.begin() + 4, Cmd(ID_NODE_SEARCH_INTERFACE));
    }
    return vec;
}
} // namespace

bool IsCommandEnabled(EEnable eRule, const SCommandState& state) {
    switch (eRule) {
    case EEnable::Always:
        return true;
    case EEnable::Network:
        return state.bNetwork;
    case EEnable::Rows:
        return state.nRows > 0;
    case EEnable::Selection:
        return state.pSelected != nullptr;
    case EEnable::SelectionOnIp:
        return state.pSelected != nullptr && state.pSelected->m_dwIp != NODE_UNSET_IP;
    case EEnable::SelectionAddress:
        return state.pSelected != nullptr && HasAddress(*state.pSelected);
    }
    return false;
}

const std::vector<SCommand>& GetCommandTable() {
    static const std::vector<SCommand> s_vec = BuildTable();
    return s_vec;
}

const SCommand* FindCommand(int nId) {
    const std::vector<SCommand>& vec = GetCommandTable();
    auto it =
        std::find_if(vec.begin(), vec.end(), [nId](const SCommand& cmd) { return cmd.nId == nId; });
    return it == vec.end() ? nullptr : &*it;
}

void OnNodeDoubleClick(SCommandContext& ctx) {
    const SCommand* pCommand = FindCommand(ID_NODE_GET);
    if (ctx.nSelected >= 0 && pCommand != nullptr && pCommand->fnHandler) {
        pCommand->fnHandler(ctx);
    }
}

const std::vector<SMenuEntry>& GetMainMenu() {
    static const std::vector<SMenuEntry> s_vec = [] {
        std::vector<SMenuEntry> vec = {Pop(TXT_MENU_FILE),
                                       Cmd(ID_APP_EXIT),
                                       End(),
                                       Pop(TXT_MENU_NETWORK),
                                       Cmd(ID_NETWORK_NEW),
                                       Cmd(ID_NETWORK_PROPERTIES),
                                       Cmd(ID_NETWORK_DELETE),
                                       End(),
                                       Pop(TXT_MENU_MANAGE)};
        std::vector<SMenuEntry> vecManage = ManageItems(false);
        vec.insert(vec.end(), vecManage.begin(), vecManage.end());
        vec.insert(vec.end(),
                   {End(), Pop(TXT_MENU_VIEW), Cmd(ID_VIEW_STATUS_BAR), Cmd(ID_VIEW_OPERATION_LOG),
                    End(), Pop(TXT_MENU_HELP), Cmd(ID_APP_ABOUT), Cmd(ID_HELP), End()});
        return vec;
    }();
    return s_vec;
}

const std::vector<SMenuEntry>& GetContextMenu() {
    static const std::vector<SMenuEntry> s_vec = ManageItems(true);
    return s_vec;
}
