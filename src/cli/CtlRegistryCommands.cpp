#include "cli/CtlCommon.h"

#include "doc/OrvixDoc.h"
#include "ops/AutoAssign.h"
#include "ops/AutoSetDlg.h"
#include "ops/IpSearchDlg.h"
#include "ops/NetworkDlg.h"
#include "ops/NodeCommandDlgs.h"
#include "ops/NodeDlg.h"
#include "ops/NodeSearch.h"
#include "ops/RegistryCommands.h"
#include "params/ParamFile.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>
#include <map>

namespace {
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
} // namespace

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
    if (ctx.doc.IsStopRequested() && ctx.doc.m_pCurNet != nullptr) {
        // Stopped between two nodes: the ones the run did not come to.
        for (const COXParam& node : ctx.doc.m_pCurNet->m_arrNodes) {
            if (mapBefore.count(node.m_strMac) != 0 && !HasAddress(node) &&
                std::find(vecSilent.begin(), vecSilent.end(), node.m_strMac) == vecSilent.end()) {
                ctx.result.vecNotDone.push_back(node.m_strMac);
            }
        }
    }
}
