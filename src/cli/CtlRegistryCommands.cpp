#include "cli/CtlCommon.h"

#include "doc/OperationLog.h"
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
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "registry/RegistryRules.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstdio>
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

// networks add NAME --exist-ok of a network already there: it becomes current
// as a first add makes it; values given that differ from it are refused.
void KeepExistingNetwork(SCtlContext& ctx, int nIndex) {
    const SCtlArgs& args = ctx.args;
    const CNetProperty& net = *ctx.doc.m_arrNets[static_cast<size_t>(nIndex)];
    if ((args.bHasMask && ParseIpHost(args.strMask) != net.m_dwSubnetMask) ||
        (args.bHasGateway && ParseIpHost(args.strGateway) != net.m_dwGateway)) {
        std::string strText(args.vecArgs[0].size() + 128, '\0');
        int nLen = std::snprintf(strText.data(), strText.size(), TXT_CTL_ERR_NETWORK_DIFFERS,
                                 args.vecArgs[0].c_str(), FormatIpHost(net.m_dwSubnetMask).c_str(),
                                 FormatIpHost(net.m_dwGateway).c_str());
        strText.resize(static_cast<size_t>(std::max(nLen, 0)));
        ctx.ui.Report(CTL_EXIT_BAD_INPUT, strText);
        return;
    }
    SelectNetworkAt(ctx, nIndex);
    ctx.result.json.Set("network", NetworkJson(net, true));
    ctx.result.vecLines.push_back(Utf8(net.m_strName));
}

// The position of the network of that name (UTF-8); -1 when there is none.
int IndexOfNetwork(COrvixDoc& doc, const std::string& strName) {
    std::string strCp932;
    Utf8ToCp932(strName, strCp932);
    for (size_t i = 0; i < doc.m_arrNets.size(); ++i) {
        if (doc.m_arrNets[i]->m_strName == strCp932) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
} // namespace

void RunNetworks(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    COrvixDoc& doc = ctx.doc;
    if (args.strAction == "add") {
        if (int nExisting = IndexOfNetwork(doc, args.vecArgs[0]); args.bExistOk && nExisting >= 0) {
            KeepExistingNetwork(ctx, nExisting);
            return;
        }
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
        // The current network stays current unless it is the one that goes.
        const CNetProperty* pKeep =
            doc.m_nCurNet >= 0 ? doc.m_arrNets[static_cast<size_t>(doc.m_nCurNet)].get() : nullptr;
        SelectNetworkAt(ctx, nIndex);
        DeleteNetwork(doc, -1);
        for (size_t i = 0; i < doc.m_arrNets.size(); ++i) {
            if (doc.m_arrNets[i].get() == pKeep) {
                SelectNetworkAt(ctx, static_cast<int>(i));
            }
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

namespace {
// nodes set: serial number and remarks through the node's properties, a new
// address by the node dialog's address rules. False when refused.
bool SetNode(SCtlContext& ctx, int nIndex) {
    const SCtlArgs& args = ctx.args;
    COrvixDoc& doc = ctx.doc;
    const COXParam node = *doc.GetNode(nIndex);
    uint32_t dwIp = node.m_dwIp;
    if (!args.vecIps.empty()) {
        SCheck check = CheckNodeAddress(args.vecIps[0], node.m_nModel, doc.m_pCurNet->m_arrNodes,
                                        static_cast<size_t>(nIndex), dwIp);
        if (!check.Ok()) {
            ctx.ui.Report(CTL_EXIT_BAD_INPUT, check.strMessage);
            return false;
        }
    }
    if (args.bHasSerial || args.bHasRemarks) {
        size_t nMark = ctx.ui.GetMessages().size();
        ctx.ui.Answer("CNodeDlg", [&](CDialogModel& dlg) {
            if ((args.bHasSerial && !ctx.ui.Enter(dlg, IDC_NODE_SERIAL, args.strSerial)) ||
                (args.bHasRemarks && !ctx.ui.Enter(dlg, IDC_NODE_REMARKS, args.strRemarks))) {
                return DIALOG_CANCEL;
            }
            return ctx.ui.Close(dlg, DIALOG_OK);
        });
        ShowNodeProperties(doc, nIndex);
        if (ctx.ui.GetExitSince(nMark) != CTL_EXIT_OK) {
            return false;
        }
    }
    if (dwIp != node.m_dwIp) {
        doc.AddOrUpdateNode(node.m_nModel, dwIp, node.m_strMac, false, "", "");
        doc.LogOperation(OPLOG_NODE_ADDRESS, node.m_strMac, dwIp, OPLOG_OK,
                         FormatIpHost(node.m_dwIp) + " -> " + FormatIpHost(dwIp));
    }
    return true;
}
} // namespace

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
    } else if (!SetNode(ctx, nIndex)) {
        return;
    }
    ListNodes(ctx);
}

namespace {
// Who answered the search: per node in the listing, the counts after it, and
// status 3 when fewer registered nodes answered than --expect(-all) asks.
void ReportAnswers(SCtlContext& ctx) {
    ListNodes(ctx, true);
    const SSearchTally& tally = ctx.doc.m_contacts.GetLastTally();
    CJson& jsonCounts = ctx.result.json["counts"] = CJson::Object();
    jsonCounts.Set("answered", CJson::Int(tally.nFound));
    jsonCounts.Set("registered", CJson::Int(tally.nRegistered));
    jsonCounts.Set("silent", CJson::Int(tally.nSilent));
    char sz[160];
    std::snprintf(sz, sizeof sz, TXT_SEARCH_TALLY_FORMAT, tally.nFound, tally.nRegistered,
                  tally.nSilent);
    ctx.result.vecLines.push_back(sz);
    const int nExpected = ctx.args.bExpectAll ? tally.nRegistered : ctx.args.nExpect;
    if (tally.nFound < nExpected) {
        std::snprintf(sz, sizeof sz, TXT_CTL_ERR_TOO_FEW_ANSWERS, tally.nFound, tally.nRegistered,
                      nExpected);
        ctx.ui.Report(CTL_EXIT_NO_REPLY, sz);
    }
}
} // namespace

void RunSearch(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    if (!HasCurrentNetwork(ctx)) {
        return;
    }
    const size_t nMark = ctx.ui.GetMessages().size();
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
    const int nExit = ctx.ui.GetExitSince(nMark);
    if (nExit == CTL_EXIT_BAD_INPUT || nExit == CTL_EXIT_UNANSWERED) {
        ListNodes(ctx); // no search ran
        return;
    }
    ReportAnswers(ctx);
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
