#include "cli/CtlCommands.h"

#include "app/NodeListModel.h"
#include "cli/CtlParamKeys.h"
#include "cli/CtlUi.h"
#include "doc/AppInfoDlg.h"
#include "doc/FileInfoDlg.h"
#include "doc/OrvixDoc.h"
#include "doc/VersionInfoDlg.h"
#include "ops/AutoAssign.h"
#include "ops/AutoSetDlg.h"
#include "ops/DefaultParams.h"
#include "ops/DownloadBatch.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/DownloadTargetDlg.h"
#include "ops/GetVersionDlg.h"
#include "ops/IpSearchDlg.h"
#include "ops/MotImage.h"
#include "ops/NetworkDlg.h"
#include "ops/NodeCommandDlgs.h"
#include "ops/NodeCommands.h"
#include "ops/NodeDlg.h"
#include "ops/NodeDownload.h"
#include "ops/NodeFiles.h"
#include "ops/NodeSearch.h"
#include "ops/RegistryCommands.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "params/ParamFile.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace {
std::string Format(const char* pszFormat, const std::string& str) {
    char sz[1024];
    std::snprintf(sz, sizeof sz, pszFormat, str.c_str());
    return sz;
}

std::string Utf8(const std::string& strCp932) {
    return Cp932ToUtf8Lossy(strCp932);
}

bool BadInputText(CCtlUi& ui, const char* pszFormat, const std::string& str) {
    ui.Report(CTL_EXIT_BAD_INPUT, Format(pszFormat, str));
    return false;
}

bool BadInput(SCtlContext& ctx, const char* pszFormat, const std::string& str) {
    return BadInputText(ctx.ui, pszFormat, str);
}

bool IsHexMac(const std::string& str) {
    return str.size() == 12 && str.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::string Upper(std::string str) {
    std::transform(str.begin(), str.end(), str.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return str;
}

bool HasCurrentNetwork(SCtlContext& ctx) {
    ctx.doc.UpdateAllViews();
    if (ctx.doc.m_pCurNet == nullptr) {
        ctx.ui.Report(CTL_EXIT_BAD_INPUT, TXT_CTL_ERR_NO_NETWORK);
        return false;
    }
    return true;
}

// A node of the current network by its MAC, its address or its row number
// (from 1, as listed).
bool FindNode(SCtlContext& ctx, const std::string& strName, int& nIndex) {
    if (!HasCurrentNetwork(ctx)) {
        return false;
    }
    const std::vector<COXParam>& vecNodes = ctx.doc.m_pCurNet->m_arrNodes;
    auto Index = [&](auto fnMatch) {
        auto it = std::find_if(vecNodes.begin(), vecNodes.end(), fnMatch);
        return it == vecNodes.end() ? -1 : static_cast<int>(it - vecNodes.begin());
    };
    if (IsHexMac(strName)) {
        std::string strMac = Upper(strName);
        nIndex = Index([&](const COXParam& node) { return node.m_strMac == strMac; });
    } else if (!strName.empty() && strName.size() <= 4 &&
               strName.find_first_not_of("0123456789") == std::string::npos) {
        int nRow = std::stoi(strName);
        nIndex = (nRow >= 1 && static_cast<size_t>(nRow) <= vecNodes.size()) ? nRow - 1 : -1;
    } else if (strName.find('.') != std::string::npos) {
        uint32_t dwIp = 0;
        if (!ParseDottedStrict(strName, dwIp)) {
            return BadInput(ctx, TXT_CTL_ERR_BAD_ADDRESS, strName);
        }
        nIndex = Index([&](const COXParam& node) { return node.m_dwIp == dwIp; });
    } else {
        nIndex = -1;
    }
    return nIndex >= 0 || BadInput(ctx, TXT_CTL_ERR_UNKNOWN_NODE, strName);
}

// The MACs of several nodes, all found before anything is done.
bool FindNodes(SCtlContext& ctx, const std::vector<std::string>& vecNames,
               std::vector<std::string>& vecMacs) {
    for (const std::string& strName : vecNames) {
        int nIndex = -1;
        if (!FindNode(ctx, strName, nIndex)) {
            return false;
        }
        vecMacs.push_back(ctx.doc.GetNode(nIndex)->m_strMac);
    }
    return true;
}

// The first node of the current network with that address, as the batch finds it.
int IndexOfAddress(COrvixDoc& doc, uint32_t dwIp) {
    for (int i = 0; const COXParam* pNode = doc.GetNode(i); ++i) {
        if (pNode->m_dwIp == dwIp) {
            return i;
        }
    }
    return -1;
}

int IndexOfMac(COrvixDoc& doc, const std::string& strMac) {
    for (int i = 0; const COXParam* pNode = doc.GetNode(i); ++i) {
        if (pNode->m_strMac == strMac) {
            return i;
        }
    }
    return -1;
}

CJson NodeJson(const COXParam& node, int nRow) {
    CJson json = CJson::Object();
    json.Set("row", CJson::Int(nRow + 1));
    json.Set("mac", CJson::Str(node.m_strMac));
    json.Set("ip", CJson::Str(FormatIpHost(node.m_dwIp)));
    json.Set("addressed", CJson::Bool(HasAddress(node)));
    json.Set("serial", CJson::Str(Utf8(node.m_strSerial)));
    json.Set("remarks", CJson::Str(Utf8(node.m_strRemarks)));
    return json;
}

// The current network's nodes as the manager's list shows them.
void ListNodes(SCtlContext& ctx) {
    CNodeListModel model;
    model.Rebuild(ctx.doc);
    CJson& json = ctx.result.json;
    json.Set("network", ctx.doc.m_pCurNet != nullptr
                            ? CJson::Str(Utf8(ctx.doc.m_pCurNet->m_strName))
                            : CJson());
    CJson& jsonNodes = json["nodes"] = CJson::Array();
    for (const SNodeListColumn& column : NODELIST_COLUMN_TABLE) {
        ctx.result.vecHeader.emplace_back(column.pszTitle);
    }
    for (size_t nRow = 0; nRow < model.GetRowCount(); ++nRow) {
        std::vector<std::string> vecRow;
        for (int nColumn = 0; nColumn < NODELIST_COLUMNS; ++nColumn) {
            vecRow.push_back(model.GetText(nRow, nColumn));
        }
        ctx.result.vecRows.push_back(vecRow);
        if (const COXParam* pNode = ctx.doc.GetNode(static_cast<int>(nRow))) {
            jsonNodes.Push(NodeJson(*pNode, static_cast<int>(nRow)));
        }
    }
}

CJson NetworkJson(const CNetProperty& net, bool bCurrent) {
    CJson json = CJson::Object();
    json.Set("name", CJson::Str(Utf8(net.m_strName)));
    json.Set("mask", CJson::Str(FormatIpHost(net.m_dwSubnetMask)));
    json.Set("gateway", CJson::Str(FormatIpHost(net.m_dwGateway)));
    json.Set("baseIp", CJson::Str(FormatIpHost(net.m_dwBaseIp)));
    json.Set("increment", CJson::Int(net.m_nIpIncrement));
    json.Set("nodes", CJson::Int(static_cast<int64_t>(net.m_arrNodes.size())));
    json.Set("current", CJson::Bool(bCurrent));
    return json;
}

// The network of that name (UTF-8), by its position.
bool FindNetwork(SCtlContext& ctx, const std::string& strName, int& nIndex) {
    std::string strCp932;
    Utf8ToCp932(strName, strCp932);
    for (size_t i = 0; i < ctx.doc.m_arrNets.size(); ++i) {
        if (ctx.doc.m_arrNets[i]->m_strName == strCp932) {
            nIndex = static_cast<int>(i);
            return true;
        }
    }
    return BadInput(ctx, TXT_CTL_ERR_UNKNOWN_NETWORK, strName);
}

void SelectNetworkAt(SCtlContext& ctx, int nIndex) {
    ctx.doc.UpdateAllViews(); // numbers the networks' menu entries
    ctx.doc.SelectNetwork(NET_MENU_ID_BASE + static_cast<uint32_t>(nIndex));
}

void RunNetworks(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    COrvixDoc& doc = ctx.doc;
    if (args.strAction == "add") {
        ctx.ui.Answer("CNetworkDlg", [&](CDialogModel& dlg) {
            if (!ctx.ui.Enter(dlg, IDC_NET_NAME, args.vecArgs[0]) ||
                (args.bHasMask && !ctx.ui.Enter(dlg, IDC_NET_MASK, args.strMask)) ||
                (args.bHasGateway && !ctx.ui.Enter(dlg, IDC_NET_GATEWAY, args.strGateway))) {
                return DIALOG_CANCEL;
            }
            return ctx.ui.Close(dlg, DIALOG_OK);
        });
        size_t nBefore = doc.m_arrNets.size();
        RegisterNetwork(doc, -1);
        if (doc.m_arrNets.size() > nBefore) {
            ctx.result.json.Set("network", NetworkJson(*doc.m_arrNets.back(), true));
            ctx.result.vecLines.push_back(Utf8(doc.m_arrNets.back()->m_strName));
        }
        return;
    }
    int nIndex = doc.m_nCurNet;
    if (args.strAction != "list" && !args.vecArgs.empty() &&
        !FindNetwork(ctx, args.vecArgs[0], nIndex)) {
        return;
    }
    if (args.strAction == "select") {
        SelectNetworkAt(ctx, nIndex);
        ctx.result.json.Set("network",
                            NetworkJson(*doc.m_arrNets[static_cast<size_t>(nIndex)], true));
        ctx.result.vecLines.push_back(Utf8(doc.m_arrNets[static_cast<size_t>(nIndex)]->m_strName));
    } else if (args.strAction == "delete") {
        if (nIndex < 0) {
            ctx.ui.Report(CTL_EXIT_BAD_INPUT, TXT_CTL_ERR_NO_NETWORK);
            return;
        }
        int nKeep = doc.m_nCurNet;
        SelectNetworkAt(ctx, nIndex);
        size_t nBefore = doc.m_arrNets.size();
        DeleteNetwork(doc, -1);
        if (doc.m_arrNets.size() == nBefore && nKeep >= 0) {
            SelectNetworkAt(ctx, nKeep); // not deleted: the current one stays
        }
        return;
    }
    if (args.strAction == "show") {
        if (nIndex < 0) {
            ctx.ui.Report(CTL_EXIT_BAD_INPUT, TXT_CTL_ERR_NO_NETWORK);
            return;
        }
        const CNetProperty& net = *doc.m_arrNets[static_cast<size_t>(nIndex)];
        ctx.result.json.Set("network", NetworkJson(net, nIndex == doc.m_nCurNet));
        ctx.result.vecHeader = {"name", "mask", "gateway", "base ip", "increment", "nodes"};
        ctx.result.vecRows.push_back({Utf8(net.m_strName), FormatIpHost(net.m_dwSubnetMask),
                                      FormatIpHost(net.m_dwGateway), FormatIpHost(net.m_dwBaseIp),
                                      std::to_string(net.m_nIpIncrement),
                                      std::to_string(net.m_arrNodes.size())});
        return;
    }
    // list
    CJson& jsonNets = ctx.result.json["networks"] = CJson::Array();
    ctx.result.vecHeader = {"", "name", "mask", "gateway", "nodes"};
    for (size_t i = 0; i < doc.m_arrNets.size(); ++i) {
        const CNetProperty& net = *doc.m_arrNets[i];
        bool bCurrent = static_cast<int>(i) == doc.m_nCurNet;
        jsonNets.Push(NetworkJson(net, bCurrent));
        ctx.result.vecRows.push_back(
            {bCurrent ? "*" : "", Utf8(net.m_strName), FormatIpHost(net.m_dwSubnetMask),
             FormatIpHost(net.m_dwGateway), std::to_string(net.m_arrNodes.size())});
    }
}

void RunNodes(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    COrvixDoc& doc = ctx.doc;
    if (args.strAction == "list") {
        ListNodes(ctx);
        return;
    }
    if (!HasCurrentNetwork(ctx)) {
        return;
    }
    if (args.strAction == "add") {
        ctx.ui.Answer("CNodeDlg", [&](CDialogModel& dlg) {
            if (!ctx.ui.Enter(dlg, IDC_NODE_MAC, args.vecArgs[0]) ||
                (!args.vecIps.empty() && !ctx.ui.Enter(dlg, IDC_NODE_IP, args.vecIps[0])) ||
                (args.bHasSerial && !ctx.ui.Enter(dlg, IDC_NODE_SERIAL, args.strSerial)) ||
                (args.bHasRemarks && !ctx.ui.Enter(dlg, IDC_NODE_REMARKS, args.strRemarks))) {
                return DIALOG_CANCEL;
            }
            return ctx.ui.Close(dlg, DIALOG_OK);
        });
        RegisterNode(doc, -1);
        ListNodes(ctx);
        return;
    }
    int nIndex = -1;
    if (!FindNode(ctx, args.vecArgs[0], nIndex)) {
        return;
    }
    if (args.strAction == "delete") {
        DeleteSelectedNode(doc, nIndex);
    } else { // set
        ctx.ui.Answer("CNodeDlg", [&](CDialogModel& dlg) {
            if ((args.bHasSerial && !ctx.ui.Enter(dlg, IDC_NODE_SERIAL, args.strSerial)) ||
                (args.bHasRemarks && !ctx.ui.Enter(dlg, IDC_NODE_REMARKS, args.strRemarks))) {
                return DIALOG_CANCEL;
            }
            return ctx.ui.Close(dlg, DIALOG_OK);
        });
        ShowNodeProperties(doc, nIndex);
    }
    ListNodes(ctx);
}

void RunSearch(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    if (!HasCurrentNetwork(ctx)) {
        return;
    }
    if (!args.vecIps.empty()) {
        ctx.ui.Answer("CIpSearchDlg", [&](CDialogModel& dlg) {
            // Only the given addresses are searched: the earlier targets go.
            while (!dlg.GetItems(IDC_IPS_TARGET_LIST).empty()) {
                dlg.SetInt(IDC_IPS_TARGET_LIST, 0);
                ctx.ui.Click(dlg, IDC_IPS_REMOVE);
            }
            for (const std::string& strIp : args.vecIps) {
                if (!ctx.ui.Enter(dlg, IDC_IPS_EDIT, strIp) ||
                    !ctx.ui.Click(dlg, IDC_IPS_REGISTER)) {
                    return DIALOG_CANCEL;
                }
                const std::vector<std::string>& vecRows = dlg.GetItems(IDC_IPS_ADDR_LIST);
                for (size_t i = 0; i < vecRows.size(); ++i) {
                    if (ParseIpHost(vecRows[i]) == ParseIpHost(strIp)) {
                        dlg.SetInt(IDC_IPS_ADDR_LIST, static_cast<int>(i));
                        ctx.ui.Click(dlg, IDC_IPS_ADD);
                    }
                }
            }
            return ctx.ui.Close(dlg, IDC_IPS_SEARCH);
        });
        SearchByIp(ctx.doc);
    } else if (args.bRefresh) {
        RefreshSearch(ctx.doc);
    } else {
        SearchNodes(ctx.doc);
    }
    ListNodes(ctx);
}

// What a run over many nodes does about a silent one: the option's answer,
// and the node's MAC noted.
CCtlUi::FnAnswer SilenceAnswer(SCtlContext& ctx, std::vector<std::string>& vecSilent) {
    return [&ctx, &vecSilent](CDialogModel& dlg) {
        std::string strMac = dlg.GetText(IDC_NOREPLY_MAC);
        vecSilent.push_back(strMac);
        switch (ctx.args.eSilence) {
        case ECtlSilence::Continue:
            ctx.ui.Report(CTL_EXIT_NO_REPLY, std::string(TXT_NO_RESPONSE) + " (" + strMac + ")");
            return ctx.ui.Close(dlg, IDC_NOREPLY_CONTINUE);
        case ECtlSilence::Stop:
            ctx.ui.Report(CTL_EXIT_NO_REPLY, std::string(TXT_NO_RESPONSE) + " (" + strMac + ")");
            return ctx.ui.Close(dlg, IDC_NOREPLY_END);
        case ECtlSilence::Unanswered:
            break;
        }
        ctx.ui.Report(CTL_EXIT_UNANSWERED, Format(TXT_CTL_ERR_UNANSWERED_SILENCE, strMac));
        return ctx.ui.Close(dlg, IDC_NOREPLY_END);
    };
}

void RunAutoSet(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    if (!HasCurrentNetwork(ctx)) {
        return;
    }
    std::map<std::string, uint32_t> mapBefore;
    for (const COXParam& node : ctx.doc.m_pCurNet->m_arrNodes) {
        if (!HasAddress(node)) {
            mapBefore[node.m_strMac] = node.m_dwIp;
        }
    }
    ctx.ui.Answer("CAutoSetDlg", [&](CDialogModel& dlg) {
        if (!ctx.ui.Enter(dlg, IDC_AUTO_BASE_IP, args.strBase) ||
            !ctx.ui.Enter(dlg, IDC_AUTO_INCREMENT, args.strIncrement)) {
            return DIALOG_CANCEL;
        }
        return ctx.ui.Close(dlg, DIALOG_OK);
    });
    std::vector<std::string> vecSilent;
    ctx.ui.Answer("CAutoSetErrorDlg", SilenceAnswer(ctx, vecSilent));
    AutoAssignAddresses(ctx.doc, ctx.paramFile.m_param);

    CJson& jsonAssigned = ctx.result.json["assigned"] = CJson::Array();
    ctx.result.vecHeader = {"MAC", "IP"};
    ctx.doc.UpdateAllViews();
    if (ctx.doc.m_pCurNet != nullptr) {
        for (const COXParam& node : ctx.doc.m_pCurNet->m_arrNodes) {
            if (mapBefore.count(node.m_strMac) != 0 && HasAddress(node)) {
                CJson json = CJson::Object();
                json.Set("mac", CJson::Str(node.m_strMac));
                json.Set("ip", CJson::Str(FormatIpHost(node.m_dwIp)));
                jsonAssigned.Push(json);
                ctx.result.vecRows.push_back({node.m_strMac, FormatIpHost(node.m_dwIp)});
            }
        }
    }
    CJson& jsonSilent = ctx.result.json["silent"] = CJson::Array();
    for (const std::string& strMac : vecSilent) {
        jsonSilent.Push(CJson::Str(strMac));
    }
}

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

void RunGetParams(SCtlContext& ctx) {
    int nIndex = -1;
    if (!FindNode(ctx, ctx.args.vecArgs[0], nIndex)) {
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
        file.m_strPath = ctx.args.strOut;
        file.m_param = param;
        file.SaveParams();
        if (!IsParamFile(ctx.args.strOut)) {
            ctx.ui.Report(CTL_EXIT_FAILED, Format(TXT_CTL_ERR_WRITE, ctx.args.strOut));
            return;
        }
        ctx.result.json.Set("out", CJson::Str(ctx.args.strOut));
    }
    AddParamsOutput(ctx, param);
}

void RunSetParams(SCtlContext& ctx) {
    std::vector<std::string> vecMacs;
    NODEPARAM param{};
    if (!FindNodes(ctx, ctx.args.vecArgs, vecMacs) || !CheckSettings(ctx) ||
        !LoadParamSource(ctx, param)) {
        return;
    }
    AnswerParamDialogs(ctx.ui, false, ctx.args.vecSets, nullptr, [&ctx](CDialogModel& dlg) {
        ctx.ui.Tick(dlg, IDC_PED_OUTSIDE_NET, ctx.args.bOutside);
        return ctx.ui.Close(dlg, IDC_PED_SEND);
    });
    CJson& jsonNodes = ctx.result.json["nodes"] = CJson::Array();
    ctx.result.vecHeader = {"MAC", "IP", "result"};
    for (const std::string& strMac : vecMacs) {
        size_t nMark = ctx.ui.GetMessages().size();
        int nIndex = IndexOfMac(ctx.doc, strMac);
        SetNodeIndividually(ctx.doc, param, nIndex);
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
    ChangeNodeMode(ctx.doc, nIndex);
    ctx.result.json.Set("mac", CJson::Str(ctx.doc.GetNode(nIndex)->m_strMac));
    ctx.result.json.Set("mode", CJson::Int(ctx.args.nMode));
}

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

void RunDownload(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    std::vector<std::string> vecNames(args.vecArgs.begin() + 1, args.vecArgs.end());
    std::vector<std::string> vecMacs;
    if (!FindNodes(ctx, vecNames, vecMacs)) {
        return;
    }
    // The file is checked before any node is touched.
    std::error_code ec;
    std::string strPath = std::filesystem::absolute(args.vecArgs[0], ec).string();
    if (::access(strPath.c_str(), R_OK) != 0) {
        BadInput(ctx, TXT_CTL_ERR_NO_FILE, args.vecArgs[0]);
        return;
    }
    std::string strMessage;
    if (!CheckMotImage(strPath, strMessage)) {
        ctx.ui.Report(CTL_EXIT_BAD_INPUT, strMessage);
        return;
    }
    // The batch finds its nodes by address: each needs one of its own.
    if (vecMacs.size() > 1) {
        for (const std::string& strMac : vecMacs) {
            const COXParam& node = *ctx.doc.GetNode(IndexOfMac(ctx.doc, strMac));
            if (node.m_dwIp == NODE_UNSET_IP ||
                IndexOfAddress(ctx.doc, node.m_dwIp) != IndexOfMac(ctx.doc, strMac)) {
                BadInput(ctx, TXT_CTL_ERR_NO_OWN_ADDRESS, strMac);
                return;
            }
        }
    }
    ctx.ui.SetFileChoice(strPath);
    ctx.ui.SetOtherFailure(CTL_EXIT_FTP);
    int nKind = args.strAction == "kernel" ? DOWNLOAD_KERNEL : DOWNLOAD_APPLICATION;
    ctx.result.json.Set("file", CJson::Str(strPath));
    RunCtlDownloads(ctx, vecMacs, nKind, args.nRetry);
}

// The listing dialog: its text kept, then closed.
CCtlUi::FnAnswer KeepListing(SCtlContext& ctx, std::string& strListing) {
    return [&ctx, &strListing](CDialogModel& dlg) {
        strListing = Utf8(dlg.GetText(IDC_FILEINFO_TEXT));
        return ctx.ui.Close(dlg, DIALOG_OK);
    };
}

void AddListingOutput(SCtlContext& ctx, const std::string& strListing) {
    CJson& jsonLines = ctx.result.json["listing"] = CJson::Array();
    size_t nStart = 0;
    while (nStart < strListing.size()) {
        size_t nEnd = strListing.find_first_of("\r\n", nStart);
        std::string strLine =
            strListing.substr(nStart, nEnd == std::string::npos ? nEnd : nEnd - nStart);
        if (!strLine.empty()) {
            jsonLines.Push(CJson::Str(strLine));
            ctx.result.vecLines.push_back(strLine);
        }
        if (nEnd == std::string::npos) {
            break;
        }
        nStart = nEnd + 1;
    }
}

void RunFiles(SCtlContext& ctx) {
    int nIndex = -1;
    if (!FindNode(ctx, ctx.args.vecArgs[0], nIndex)) {
        return;
    }
    ctx.ui.SetOtherFailure(CTL_EXIT_FTP);
    std::string strListing;
    ctx.ui.Answer("CFileInfoDlg", KeepListing(ctx, strListing));
    ctx.result.json.Set("mac", CJson::Str(ctx.doc.GetNode(nIndex)->m_strMac));
    ShowNodeFiles(ctx.doc, nIndex);
    AddListingOutput(ctx, strListing);
}

void RunVersion(SCtlContext& ctx) {
    std::vector<std::string> vecMacs;
    if (!FindNodes(ctx, ctx.args.vecArgs, vecMacs)) {
        return;
    }
    ctx.ui.Answer("CGetVersionDlg", [&](CDialogModel& dlg) {
        ctx.ui.Tick(dlg, IDC_GETVER_OUTSIDE, ctx.args.bOutside);
        return ctx.ui.Close(dlg, DIALOG_OK);
    });
    CJson& jsonNodes = ctx.result.json["nodes"] = CJson::Array();
    ctx.result.vecHeader = {"MAC", "board", "kernel", "boot", "application", "version", "sectors"};
    for (const std::string& strMac : vecMacs) {
        CJson json = CJson::Object();
        json.Set("mac", CJson::Str(strMac));
        bool bGot = false;
        ctx.ui.Answer("CVersionInfoDlg", [&](CDialogModel& dlg) {
            bGot = true;
            std::string strBoard = Utf8(dlg.GetText(IDC_VER_BOARD_ID));
            std::string strKernel = dlg.GetText(IDC_VER_KERNEL);
            std::string strBoot = dlg.GetText(IDC_VER_BOOT);
            json.Set("board", CJson::Str(strBoard));
            json.Set("kernel", CJson::Str(strKernel));
            json.Set("boot", CJson::Str(strBoot));
            CJson& jsonApps = json["apps"] = CJson::Array();
            ctx.result.vecRows.push_back({strMac, strBoard, strKernel, strBoot, "", "", ""});
            for (int nRow = 0; nRow < VER_MAX_ROWS; ++nRow) {
                std::string strName = Utf8(dlg.GetText(CVersionInfoDlg::RowName(nRow)));
                if (strName.empty()) {
                    break;
                }
                CJson jsonApp = CJson::Object();
                jsonApp.Set("name", CJson::Str(strName));
                jsonApp.Set("version", CJson::Str(dlg.GetText(CVersionInfoDlg::RowVersion(nRow))));
                jsonApp.Set("sectors", CJson::Str(dlg.GetText(CVersionInfoDlg::RowSectors(nRow))));
                jsonApps.Push(jsonApp);
                ctx.result.vecRows.push_back({"", "", "", "", strName,
                                              dlg.GetText(CVersionInfoDlg::RowVersion(nRow)),
                                              dlg.GetText(CVersionInfoDlg::RowSectors(nRow))});
            }
            return ctx.ui.Close(dlg, DIALOG_OK);
        });
        size_t nMark = ctx.ui.GetMessages().size();
        ShowNodeVersions(ctx.doc, IndexOfMac(ctx.doc, strMac));
        json.Set("exit", CJson::Int(ctx.ui.GetExitSince(nMark)));
        jsonNodes.Push(json);
        ctx.ui.Forget("CVersionInfoDlg");
        if (!bGot && ctx.ui.GetExitSince(nMark) == CTL_EXIT_OK) {
            ctx.ui.Report(CTL_EXIT_NO_REPLY, TXT_NO_RESPONSE);
        }
    }
}

void RunDeleteApp(SCtlContext& ctx) {
    int nIndex = -1;
    if (!FindNode(ctx, ctx.args.vecArgs[0], nIndex)) {
        return;
    }
    const std::vector<std::string> vecNames(ctx.args.vecArgs.begin() + 1, ctx.args.vecArgs.end());
    ctx.ui.SetOtherFailure(CTL_EXIT_FTP);
    bool bAsked = false;
    ctx.ui.Answer("CAppInfoDlg", [&](CDialogModel& dlg) {
        bAsked = true;
        const std::vector<std::string>& vecItems = dlg.GetItems(IDC_APPINFO_INSTALLED);
        for (const std::string& strName : vecNames) {
            auto it = std::find_if(vecItems.begin(), vecItems.end(), [&](const std::string& str) {
                return Utf8(AppFileName(str)) == strName;
            });
            if (it == vecItems.end()) {
                BadInput(ctx, TXT_CTL_ERR_NO_APP, strName);
                return ctx.ui.Close(dlg, DIALOG_CANCEL);
            }
            dlg.SetInt(IDC_APPINFO_INSTALLED, static_cast<int>(it - vecItems.begin()));
            if (!ctx.ui.Click(dlg, IDC_APPINFO_ADD)) {
                return ctx.ui.Close(dlg, DIALOG_CANCEL);
            }
        }
        return ctx.ui.Close(dlg, DIALOG_OK);
    });
    std::string strListing;
    ctx.ui.Answer("CFileInfoDlg", KeepListing(ctx, strListing));
    size_t nMark = ctx.ui.GetMessages().size();
    DeleteNodeApplications(ctx.doc, nIndex);
    if (!bAsked && ctx.ui.GetExitSince(nMark) == CTL_EXIT_OK) {
        // The node has no user application at all.
        BadInput(ctx, TXT_CTL_ERR_NO_APP, vecNames.front());
    }
    ctx.result.json.Set("mac", CJson::Str(ctx.doc.GetNode(nIndex)->m_strMac));
    AddListingOutput(ctx, strListing);
}
} // namespace

bool CtlCommandNeedsNodes(const SCtlArgs& args) {
    switch (args.eCommand) {
    case ECtlCommand::None:
    case ECtlCommand::Networks:
    case ECtlCommand::Nodes:
    case ECtlCommand::Defaults:
        return false;
    default:
        return true;
    }
}

namespace {
struct SNodeDownload {
    int nExit = CTL_EXIT_OK;
    int nAttempts = 0;
    std::string strState; // the batch's last state of the node (UTF-8), if any
};

// One node: the single-node flow, again while it fails and retries are left.
SNodeDownload DownloadOne(SCtlContext& ctx, const std::string& strMac, int nKind, int nRetry) {
    SNodeDownload outcome;
    for (int nTry = 0; nTry <= nRetry; ++nTry) {
        size_t nMark = ctx.ui.GetMessages().size();
        ++outcome.nAttempts;
        DownloadToSelectedNode(ctx.doc, IndexOfMac(ctx.doc, strMac), nKind);
        outcome.nExit = ctx.ui.GetExitSince(nMark);
        if (outcome.nExit == CTL_EXIT_OK || outcome.nExit == CTL_EXIT_BAD_INPUT ||
            outcome.nExit == CTL_EXIT_UNANSWERED) {
            break;
        }
        if (nTry < nRetry) {
            char sz[128];
            std::snprintf(sz, sizeof sz, TXT_CTL_PROGRESS_RETRY, nTry + 1, nRetry, size_t{1});
            ctx.ui.SetStatusText(sz);
        }
    }
    return outcome;
}

// Up to 16 nodes through the batch engine: the target dialog answered with
// their addresses, its retry question with --retry, the confirmation with --yes.
void DownloadBatchOf(SCtlContext& ctx, const std::vector<std::string>& vecMacs, int nKind,
                     int nRetry, std::map<std::string, SNodeDownload>& mapOutcome) {
    std::vector<std::string> vecAddrs;
    for (const std::string& strMac : vecMacs) {
        vecAddrs.push_back(FormatIpHost(ctx.doc.GetNode(IndexOfMac(ctx.doc, strMac))->m_dwIp));
    }
    ctx.ui.Answer("CDownloadTargetDlg", [&ctx, vecAddrs](CDialogModel& dlg) {
        for (const std::string& strAddr : vecAddrs) {
            const std::vector<std::string>& vecItems = dlg.GetItems(IDC_BATCH_REGISTERED);
            auto it = std::find(vecItems.begin(), vecItems.end(), strAddr);
            if (it == vecItems.end()) {
                BadInputText(ctx.ui, TXT_CTL_ERR_NO_OWN_ADDRESS, strAddr);
                return DIALOG_CANCEL;
            }
            dlg.SetInt(IDC_BATCH_REGISTERED, static_cast<int>(it - vecItems.begin()));
            if (!ctx.ui.Click(dlg, IDC_BATCH_ADD)) {
                return DIALOG_CANCEL;
            }
        }
        return ctx.ui.Close(dlg, DIALOG_OK);
    });
    int nPasses = 1;
    ctx.ui.AnswerQuestion(TXT_BATCH_RETRY, [&nPasses, nRetry] {
        if (nPasses > nRetry) {
            return EMsgAnswer::Cancel;
        }
        ++nPasses;
        return EMsgAnswer::Ok;
    });
    CDownloadProgressDlg progress;
    size_t nMark = ctx.ui.GetMessages().size();
    DownloadToChosenNodes(ctx.doc, progress,
                          nKind == DOWNLOAD_KERNEL ? BATCH_KERNEL : BATCH_APPLICATION);
    const int nBefore = ctx.ui.GetExitSince(nMark);
    // The last pass's rows: the nodes done in an earlier pass are not among them.
    std::map<std::string, std::vector<std::string>> mapRows;
    for (const std::vector<std::string>& vecRow : progress.GetRows(IDC_PROGRESS_LIST)) {
        if (vecRow.size() > PROGRESS_COL_RESULT) {
            // Report cells are CP932, as the window shows them.
            std::vector<std::string> vecUtf8;
            for (const std::string& strCell : vecRow) {
                vecUtf8.push_back(Utf8(strCell));
            }
            mapRows[vecUtf8[PROGRESS_COL_ADDRESS]] = vecUtf8;
        }
    }
    for (size_t i = 0; i < vecMacs.size(); ++i) {
        SNodeDownload& outcome = mapOutcome[vecMacs[i]];
        outcome.nAttempts = nPasses;
        auto it = mapRows.find(vecAddrs[i]);
        if (progress.GetPath().empty()) {
            outcome.nExit = nBefore != CTL_EXIT_OK ? nBefore : CTL_EXIT_FAILED; // never began
            continue;
        }
        if (it == mapRows.end()) {
            continue; // done in an earlier pass
        }
        outcome.strState = it->second[PROGRESS_COL_STATE];
        if (it->second[PROGRESS_COL_RESULT] == TXT_BATCH_RESULT_NG) {
            outcome.nExit =
                outcome.strState == TXT_BATCH_STATE_DOWNLOADED ? CTL_EXIT_FTP : CTL_EXIT_NO_REPLY;
            ctx.ui.Report(outcome.nExit,
                          Format(TXT_CTL_ERR_NO_DOWNLOAD, vecMacs[i]) + ": " + outcome.strState);
        }
    }
    ctx.ui.Forget("CDownloadTargetDlg");
}
} // namespace

std::vector<std::string> RunCtlDownloads(SCtlContext& ctx, const std::vector<std::string>& vecMacs,
                                         int nKind, int nRetry) {
    std::string strListing;
    ctx.ui.Answer("CFileInfoDlg", KeepListing(ctx, strListing));
    std::map<std::string, SNodeDownload> mapOutcome;
    if (vecMacs.size() == 1) {
        mapOutcome[vecMacs[0]] = DownloadOne(ctx, vecMacs[0], nKind, nRetry);
    } else {
        // The batch takes at most 16 nodes; more go in batches one after another.
        for (size_t nFirst = 0; nFirst < vecMacs.size(); nFirst += BATCH_MAX_TARGETS) {
            std::vector<std::string> vecBatch(
                vecMacs.begin() + static_cast<long>(nFirst),
                vecMacs.begin() +
                    static_cast<long>(std::min(nFirst + BATCH_MAX_TARGETS, vecMacs.size())));
            DownloadBatchOf(ctx, vecBatch, nKind, nRetry, mapOutcome);
            if (ctx.ui.GetExit() == CTL_EXIT_UNANSWERED || ctx.ui.GetExit() == CTL_EXIT_BAD_INPUT) {
                break;
            }
        }
    }
    CJson& jsonNodes = ctx.result.json["nodes"] = CJson::Array();
    ctx.result.vecHeader = {"MAC", "attempts", "result"};
    std::vector<std::string> vecFailed;
    for (const std::string& strMac : vecMacs) {
        const SNodeDownload& outcome = mapOutcome[strMac];
        CJson json = CJson::Object();
        json.Set("mac", CJson::Str(strMac));
        json.Set("attempts", CJson::Int(outcome.nAttempts));
        json.Set("exit", CJson::Int(outcome.nExit));
        if (!outcome.strState.empty()) {
            json.Set("state", CJson::Str(outcome.strState));
        }
        jsonNodes.Push(json);
        ctx.result.vecRows.push_back(
            {strMac, std::to_string(outcome.nAttempts),
             outcome.nExit == CTL_EXIT_OK ? "OK" : std::to_string(outcome.nExit)});
        if (outcome.nExit != CTL_EXIT_OK) {
            vecFailed.push_back(strMac);
        }
    }
    return vecFailed;
}

void RunCtlCommand(SCtlContext& ctx) {
    ctx.ui.SetYes(ctx.args.bYes);
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
    case ECtlCommand::None:
        break;
    }
}
