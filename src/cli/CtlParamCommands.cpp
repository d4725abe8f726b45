#include "cli/CtlCommon.h"

#include "cli/CtlParamKeys.h"
#include "doc/OrvixDoc.h"
#include "link/NodeProtocol.h"
#include "ops/DefaultParams.h"
#include "ops/NodeCommandDlgs.h"
#include "ops/NodeCommands.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "params/ParamFile.h"
#include "platform/AtomicFile.h"
#include "platform/IpText.h"
#include "platform/Profile.h"
#include "res/Texts.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The parameter set to send or to make the defaults: a file's, or the defaults.
bool LoadParamSource(SCtlContext& ctx, NODEPARAM& param) {
    param = ctx.paramFile.m_param;
    if (ctx.args.strFrom.empty()) {
        return true;
    }
    if (::access(ctx.args.strFrom.c_str(), R_OK) != 0) {
        return BadInput(ctx, TXT_CTL_ERR_NO_FILE, ctx.args.strFrom);
    }
    if (!IsParamFile(ctx.args.strFrom)) {
        return BadInput(ctx, TXT_CTL_ERR_NOT_PARAM_FILE, ctx.args.strFrom);
    }
    CParamFile file;
    file.m_strPath = ctx.args.strFrom;
    file.LoadParams();
    param = file.m_param;
    return true;
}

bool CheckSettings(SCtlContext& ctx) {
    for (const std::string& strSetting : ctx.args.vecSets) {
        const SCtlParamKey* pKey = nullptr;
        std::string strValue;
        if (!SplitCtlSetting(strSetting, pKey, strValue)) {
            return BadInput(ctx, TXT_CTL_ERR_UNKNOWN_KEY,
                            strSetting.substr(0, strSetting.find('=')));
        }
    }
    return true;
}

void AddParamsOutput(SCtlContext& ctx, const NODEPARAM& param) {
    CJson& jsonParams = ctx.result.json["params"] = CJson::Object();
    for (const auto& [strKey, strValue] : RenderParamFile(param)) {
        jsonParams.Set(strKey, CJson::Str(strValue));
        ctx.result.vecLines.push_back(strKey + "=" + strValue);
    }
}
} // namespace

void RunGetParams(SCtlContext& ctx) {
    int nIndex = -1;
    if (!FindNode(ctx, ctx.args.vecArgs[0], nIndex)) {
        return;
    }
    // A new file, never merged into one that is there (nor written where a link
    // there leads): refused before anything is asked of the node.
    struct stat st {};
    if (!ctx.args.strOut.empty() && !ctx.args.bForce &&
        ::lstat(ctx.args.strOut.c_str(), &st) == 0) {
        BadInput(ctx, TXT_CTL_ERR_EXISTS, ctx.args.strOut);
        return;
    }
    const std::string strMac = ctx.doc.GetNode(nIndex)->m_strMac;
    ctx.ui.Answer("CGetParamDlg", [&](CDialogModel& dlg) {
        ctx.ui.Tick(dlg, IDC_NODECMD_OUTSIDE_NET, ctx.args.bOutside);
        return ctx.ui.Close(dlg, DIALOG_OK);
    });
    bool bGot = false;
    NODEPARAM param{};
    std::string strMode;
    std::string strOwnIp;
    ctx.ui.Answer("CParamEditor", [&](CDialogModel& dlg) {
        auto& editor = static_cast<CParamEditor&>(dlg);
        param = editor.ReadBack();
        strMode = Utf8(editor.GetText(IDC_PED_MODE));
        strOwnIp = editor.GetText(IDC_PED_OWN_IP);
        bGot = true;
        return ctx.ui.Close(dlg, DIALOG_CANCEL); // "戻る": nothing is sent back
    });
    GetNodeSettings(ctx.doc, nIndex);
    if (!bGot) {
        return;
    }
    ctx.result.json.Set("mac", CJson::Str(strMac));
    ctx.result.json.Set("ip", CJson::Str(strOwnIp));
    ctx.result.json.Set("mode", CJson::Str(strMode));
    if (!ctx.args.strOut.empty()) {
        CParamFile file;
        file.m_param = param;
        CProfile profile;
        file.SaveParams(profile);
        std::string strError;
        int nErr = ctx.args.bForce
                       ? WriteFileAtomic(ctx.args.strOut, profile.GetText(), 0666, strError)
                       : WriteNewFileAtomic(ctx.args.strOut, profile.GetText(), 0666, strError);
        if (nErr == EEXIST && !ctx.args.bForce) {
            BadInput(ctx, TXT_CTL_ERR_EXISTS, ctx.args.strOut);
            return;
        }
        if (nErr != 0) {
            ctx.ui.Report(CTL_EXIT_FAILED,
                          Format(TXT_CTL_ERR_WRITE, ctx.args.strOut) + ": " + strError);
            return;
        }
        ctx.result.json.Set("out", CJson::Str(ctx.args.strOut));
    }
    AddParamsOutput(ctx, param);
}

bool UseDefaultsFile(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    const std::string& strPath = args.strDefaultsFile;
    // Only a change of the defaults may make the file.
    const bool bMayMake = args.eCommand == ECtlCommand::Defaults && args.strAction != "show" &&
                          (!args.strFrom.empty() || !args.vecSets.empty()) &&
                          ::access(strPath.c_str(), F_OK) != 0;
    if (!bMayMake) {
        if (::access(strPath.c_str(), R_OK) != 0) {
            return BadInput(ctx, TXT_CTL_ERR_NO_FILE, strPath);
        }
        if (!IsParamFile(strPath)) {
            return BadInput(ctx, TXT_CTL_ERR_NOT_PARAM_FILE, strPath);
        }
    }
    ctx.paramFile.m_strPath = strPath;
    ctx.paramFile.LoadParams();
    return true;
}

void RunSetParams(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    // Without --from or --defaults the keys change what the node holds: its
    // own set, fetched by the get exchange, goes back with them.
    const bool bFromNode = args.strFrom.empty() && !args.bDefaults;
    if (bFromNode && args.vecSets.empty()) {
        ctx.ui.Report(CTL_EXIT_BAD_INPUT, TXT_CTL_ERR_NOTHING_TO_SEND);
        return;
    }
    std::vector<std::string> vecMacs;
    NODEPARAM param{};
    if (!FindNodes(ctx, args.vecArgs, vecMacs) || !CheckSettings(ctx) ||
        (!bFromNode && !LoadParamSource(ctx, param))) {
        return;
    }
    AnswerParamDialogs(ctx.ui, false, args.vecSets, nullptr, [&ctx](CDialogModel& dlg) {
        ctx.ui.Tick(dlg, IDC_PED_OUTSIDE_NET, ctx.args.bOutside);
        return ctx.ui.Close(dlg, IDC_PED_SEND);
    });
    ctx.ui.Answer("CGetParamDlg", [&ctx](CDialogModel& dlg) {
        ctx.ui.Tick(dlg, IDC_NODECMD_OUTSIDE_NET, ctx.args.bOutside);
        return ctx.ui.Close(dlg, DIALOG_OK);
    });
    CJson& jsonNodes = ctx.result.json["nodes"] = CJson::Array();
    ctx.result.vecHeader = {"MAC", "IP", "result"};
    for (size_t nNode = 0; nNode < vecMacs.size(); ++nNode) {
        if (StopsBefore(ctx, vecMacs, nNode)) {
            break;
        }
        const std::string& strMac = vecMacs[nNode];
        size_t nMark = ctx.ui.GetMessages().size();
        int nIndex = IndexOfMac(ctx.doc, strMac);
        if (bFromNode) {
            GetNodeSettings(ctx.doc, nIndex); // its reply opens the settings dialog
        } else {
            SetNodeIndividually(ctx.doc, param, nIndex);
        }
        int nExit = ctx.ui.GetExitSince(nMark);
        const COXParam* pNode = ctx.doc.GetNode(IndexOfMac(ctx.doc, strMac));
        std::string strIp = pNode != nullptr ? FormatIpHost(pNode->m_dwIp) : "";
        CJson json = CJson::Object();
        json.Set("mac", CJson::Str(strMac));
        json.Set("ip", CJson::Str(strIp));
        json.Set("exit", CJson::Int(nExit));
        jsonNodes.Push(json);
        ctx.result.vecRows.push_back(
            {strMac, strIp, nExit == CTL_EXIT_OK ? "OK" : std::to_string(nExit)});
        if (nExit == CTL_EXIT_BAD_INPUT || nExit == CTL_EXIT_UNANSWERED) {
            break; // the same refusal for every node
        }
    }
}

void RunDefaults(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    if (args.strAction != "show" && (!args.strFrom.empty() || !args.vecSets.empty())) {
        NODEPARAM param{};
        if (!CheckSettings(ctx) || !LoadParamSource(ctx, param)) {
            return;
        }
        AnswerParamDialogs(ctx.ui, true, args.vecSets, args.strFrom.empty() ? nullptr : &param,
                           [&ctx](CDialogModel& dlg) { return ctx.ui.Close(dlg, DIALOG_OK); });
        EditDefaultParams(ctx.doc, ctx.paramFile);
        // Whatever the sheet did, what the file holds now is shown.
        ctx.paramFile.LoadParams();
    }
    ctx.result.json.Set("file", CJson::Str(ctx.paramFile.m_strPath));
    AddParamsOutput(ctx, ctx.paramFile.m_param);
}

void RunMode(SCtlContext& ctx) {
    int nIndex = -1;
    if (!FindNode(ctx, ctx.args.vecArgs[0], nIndex)) {
        return;
    }
    int nChoice =
        static_cast<int>(std::find(std::begin(MODE_CODES), std::end(MODE_CODES), ctx.args.nMode) -
                         std::begin(MODE_CODES));
    ctx.ui.Answer("CModeChangeDlg", [&](CDialogModel& dlg) {
        dlg.SetInt(IDC_MODE_GROUP, nChoice);
        ctx.ui.Tick(dlg, IDC_NODECMD_OUTSIDE_NET, ctx.args.bOutside);
        return ctx.ui.Close(dlg, DIALOG_OK);
    });
    size_t nMark = ctx.ui.GetMessages().size();
    ChangeNodeMode(ctx.doc, nIndex);
    ctx.result.json.Set("mac", CJson::Str(ctx.doc.GetNode(nIndex)->m_strMac));
    ctx.result.json.Set("requestedMode", CJson::Int(ctx.args.nMode));
    // The mode the node is in only when it took it.
    if (ctx.ui.GetExitSince(nMark) == CTL_EXIT_OK) {
        ctx.result.json.Set("mode", CJson::Int(ctx.args.nMode));
    }
}

namespace {
// The dialog that stands for the question "initialise?": --yes answers it.
CCtlUi::FnAnswer ConfirmedOk(SCtlContext& ctx, std::function<void(CDialogModel&)> fnFill) {
    return [&ctx, fnFill](CDialogModel& dlg) {
        if (!ctx.args.bYes) {
            ctx.ui.Report(CTL_EXIT_UNANSWERED,
                          Format(TXT_CTL_ERR_UNANSWERED_QUESTION, dlg.GetTitle()));
            return DIALOG_CANCEL;
        }
        if (fnFill) {
            fnFill(dlg);
        }
        return ctx.ui.Close(dlg, DIALOG_OK);
    };
}
} // namespace

void RunInit(SCtlContext& ctx) {
    if (ctx.args.bModel) {
        if (!HasCurrentNetwork(ctx)) {
            return;
        }
        ctx.ui.Answer("CInitModelDlg", ConfirmedOk(ctx, [](CDialogModel& dlg) {
                          dlg.SetInt(IDC_INITALL_MODEL, MODEL_INDEX_MRV620);
                      }));
        std::vector<std::string> vecSilent;
        ctx.ui.Answer("CInitErrorDlg", SilenceAnswer(ctx, vecSilent));
        InitializeModel(ctx.doc);
        CJson& jsonSilent = ctx.result.json["silent"] = CJson::Array();
        for (const std::string& strMac : vecSilent) {
            jsonSilent.Push(CJson::Str(strMac));
        }
        ListNodes(ctx);
        return;
    }
    int nIndex = -1;
    if (!FindNode(ctx, ctx.args.vecArgs[0], nIndex)) {
        return;
    }
    ctx.ui.Answer("CInitializeDlg", ConfirmedOk(ctx, {}));
    InitializeNode(ctx.doc, nIndex);
    ListNodes(ctx);
}
