// download --parallel: the rollout, its lines on a terminal and its result.
#include "cli/CtlCommon.h"

#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "ops/DownloadBatch.h"
#include "ops/NodeDownload.h"
#include "ops/Rollout.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstdio>

int RolloutNodeExit(const SRolloutNode& node, int nStopReason) {
    switch (node.eResult) {
    case ERolloutResult::Loaded:
        return CTL_EXIT_OK;
    case ERolloutResult::NotDone:
        return CTL_EXIT_SIGNAL_BASE + nStopReason;
    case ERolloutResult::Waiting:
    case ERolloutResult::Failed:
        break;
    }
    switch (node.nFailure) {
    case DLRESULT_NO_RESPONSE:
        return CTL_EXIT_NO_REPLY;
    case DLRESULT_ABNORMAL:
        return CTL_EXIT_ABNORMAL;
    case DLRESULT_BAD_IMAGE:
        return CTL_EXIT_BAD_INPUT;
    case DLRESULT_NOT_VERIFIED:
        return CTL_EXIT_FAILED;
    default:
        return CTL_EXIT_FTP; // the put's own results
    }
}

namespace {

const char* ResultWord(ERolloutResult eResult) {
    switch (eResult) {
    case ERolloutResult::Loaded:
        return "loaded";
    case ERolloutResult::NotDone:
        return "not done";
    case ERolloutResult::Waiting:
    case ERolloutResult::Failed:
        break;
    }
    return "failed";
}

// The reason on one line.
std::string OneLine(const std::string& str) {
    std::string strOut;
    for (char c : str) {
        if (c == '\r') {
            continue;
        }
        if (c == '\n') {
            strOut += strOut.empty() ? "" : " / ";
        } else {
            strOut += c;
        }
    }
    return strOut;
}

std::string NodeLine(const SRolloutNode& node) {
    const std::string strIp = FormatIpHost(node.dwIp);
    const double dSeconds = node.dwMs / 1000.0;
    const char* pszPlural = node.nAttempts == 1 ? "" : "s";
    char sz[2048];
    switch (node.eResult) {
    case ERolloutResult::Loaded:
        std::snprintf(sz, sizeof sz, TXT_CTL_ROLLOUT_LOADED, node.strMac.c_str(), strIp.c_str(),
                      node.strReadBack.empty() ? "-" : node.strReadBack.c_str(), node.nAttempts,
                      pszPlural, dSeconds);
        break;
    case ERolloutResult::NotDone:
        std::snprintf(sz, sizeof sz, TXT_CTL_ROLLOUT_NOT_DONE, node.strMac.c_str(), strIp.c_str());
        break;
    default:
        std::snprintf(sz, sizeof sz, TXT_CTL_ROLLOUT_FAILED, node.strMac.c_str(), strIp.c_str(),
                      OneLine(node.strState + "\n" + node.strReason).c_str(), node.nAttempts,
                      pszPlural, dSeconds);
        break;
    }
    return sz;
}

std::string SummaryLine(const SRolloutCounts& counts) {
    char szEta[32] = "-:--";
    if (counts.bEtaKnown) {
        unsigned nSeconds = (counts.dwEtaMs + 999) / 1000;
        std::snprintf(szEta, sizeof szEta, "%u:%02u", nSeconds / 60, nSeconds % 60);
    }
    char sz[256];
    std::snprintf(sz, sizeof sz, TXT_CTL_ROLLOUT_SUMMARY, counts.nLoaded, counts.nFailed,
                  counts.nInFlight, counts.nRemaining, szEta);
    return sz;
}

// A node the rollout touched: one line of the operation log, as the
// single-node download leaves.
void LogNode(COrvixDoc& doc, const SRolloutNode& node, int nKind, const std::string& strPath) {
    if (node.nAttempts == 0) {
        return;
    }
    const char* pszOutcome = node.eResult == ERolloutResult::Loaded    ? OPLOG_OK
                             : node.eResult == ERolloutResult::NotDone ? OPLOG_STOPPED
                                                                       : OPLOG_FAILED;
    std::string strMessage = strPath.substr(strPath.find_last_of('/') + 1);
    if (node.eResult != ERolloutResult::Loaded) {
        strMessage += ": " + RolloutReason(node);
    }
    doc.LogOperation(nKind == DOWNLOAD_KERNEL ? OPLOG_DOWNLOAD_KERNEL : OPLOG_DOWNLOAD_APP,
                     node.strMac, node.dwIp, pszOutcome, strMessage);
}

CJson NodeJson(const SRolloutNode& node, int nExit) {
    CJson json = CJson::Object();
    json.Set("mac", CJson::Str(node.strMac));
    json.Set("ip", CJson::Str(FormatIpHost(node.dwIp)));
    json.Set("result", CJson::Str(ResultWord(node.eResult)));
    json.Set("reason", node.strReason.empty() ? CJson() : CJson::Str(node.strReason));
    json.Set("state", CJson::Str(node.strState));
    json.Set("attempts", CJson::Int(node.nAttempts));
    json.Set("seconds", CJson::Real(node.dwMs / 1000.0, 3));
    json.Set("version", node.strReadBack.empty() ? CJson() : CJson::Str(node.strReadBack));
    json.Set("checked", node.eResult != ERolloutResult::Loaded
                            ? CJson()
                            : CJson::Str(node.bByVersion ? "version" : "witness"));
    json.Set("leftInMode", CJson::Bool(node.bLeftInMode));
    json.Set("exit", CJson::Int(nExit));
    return json;
}
} // namespace

std::string RolloutReason(const SRolloutNode& node) {
    return OneLine(node.strState + "\n" + node.strReason);
}

void RunWatchedRollout(SCtlContext& ctx, CRollout& rollout, const SRolloutPlan& plan) {
    rollout.OnNodeDone([&ctx, &plan](const SRolloutNode& node) {
        ctx.ui.ShowProgress(NodeLine(node), false);
        LogNode(ctx.doc, node, plan.nKind, plan.strPath);
    });
    rollout.OnCounts(
        [&ctx](const SRolloutCounts& counts) { ctx.ui.ShowProgress(SummaryLine(counts), true); });
    rollout.Run();
    ctx.ui.ShowProgress("", true);
}

void RunRollout(SCtlContext& ctx, const std::string& strPath,
                const std::vector<std::string>& vecNamed, int nKind) {
    // A node named twice (by MAC and by address) is one node.
    std::vector<std::string> vecMacs;
    for (const std::string& strMac : vecNamed) {
        if (std::find(vecMacs.begin(), vecMacs.end(), strMac) == vecMacs.end()) {
            vecMacs.push_back(strMac);
        }
    }
    // The batch's confirmation, answered by --yes.
    std::string strTargets;
    for (const std::string& strMac : vecMacs) {
        strTargets += (strTargets.empty() ? "" : ",") +
                      FormatIpHost(ctx.doc.GetNode(IndexOfMac(ctx.doc, strMac))->m_dwIp);
    }
    if (ctx.ui.ShowMessage(BatchConfirmText(strTargets, strPath), EMsgButtons::OkCancel,
                           EMsgIcon::Question) != EMsgAnswer::Ok) {
        return;
    }
    SRolloutPlan plan;
    plan.strPath = strPath;
    plan.nKind = nKind;
    plan.nParallel = static_cast<size_t>(ctx.args.nParallel);
    plan.nRetry = ctx.args.nRetry;
    CRollout rollout(ctx.doc, plan, vecMacs);
    RunWatchedRollout(ctx, rollout, plan);

    const int nStop = ctx.doc.GetStopReason();
    ctx.result.json.Set("parallel", CJson::Int(ctx.args.nParallel));
    CJson& jsonNodes = ctx.result.json["nodes"] = CJson::Array();
    ctx.result.vecHeader = {"MAC", "address", "result", "attempts", "seconds", "version", "reason"};
    std::string strFailed;
    size_t nFailed = 0;
    int nFirstExit = CTL_EXIT_OK;
    for (const SRolloutNode& node : rollout.GetNodes()) {
        const int nExit = RolloutNodeExit(node, nStop);
        jsonNodes.Push(NodeJson(node, nExit));
        char szSeconds[32];
        std::snprintf(szSeconds, sizeof szSeconds, "%.1f", node.dwMs / 1000.0);
        ctx.result.vecRows.push_back(
            {node.strMac, FormatIpHost(node.dwIp), ResultWord(node.eResult),
             std::to_string(node.nAttempts), szSeconds, node.strReadBack,
             node.eResult == ERolloutResult::Failed ? RolloutReason(node) : ""});
        if (node.eResult == ERolloutResult::NotDone) {
            ctx.result.vecNotDone.push_back(node.strMac);
        } else if (nExit != CTL_EXIT_OK) {
            strFailed += (strFailed.empty() ? "" : ", ") + node.strMac;
            ++nFailed;
            nFirstExit = nFirstExit == CTL_EXIT_OK ? nExit : nFirstExit;
        }
    }
    const SRolloutCounts counts = rollout.GetCounts();
    CJson jsonCounts = CJson::Object();
    jsonCounts.Set("loaded", CJson::Int(static_cast<int64_t>(counts.nLoaded)));
    jsonCounts.Set("failed", CJson::Int(static_cast<int64_t>(counts.nFailed)));
    jsonCounts.Set("notDone", CJson::Int(static_cast<int64_t>(ctx.result.vecNotDone.size())));
    ctx.result.json.Set("counts", jsonCounts);
    if (nFailed > 0) {
        char sz[128];
        std::snprintf(sz, sizeof sz, TXT_CTL_ROLLOUT_SOME_FAILED, nFailed, vecMacs.size());
        ctx.ui.Report(nFirstExit, sz + strFailed);
    }
}
