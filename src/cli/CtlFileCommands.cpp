#include "cli/CtlCommon.h"

#include "doc/AppInfoDlg.h"
#include "doc/OrvixDoc.h"
#include "doc/VersionInfoDlg.h"
#include "ops/DownloadBatch.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/DownloadTargetDlg.h"
#include "ops/GetVersionDlg.h"
#include "ops/MotImage.h"
#include "ops/NodeDownload.h"
#include "ops/NodeFiles.h"
#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <unistd.h>

void RunDownload(SCtlContext& ctx) {
    const SCtlArgs& args = ctx.args;
    std::vector<std::string> vecNames(args.vecArgs.begin() + 1, args.vecArgs.end());
    std::vector<std::string> vecMacs;
    if (args.bAll) {
        if (!HasCurrentNetwork(ctx)) {
            return;
        }
        for (int i = 0; const COXParam* pNode = ctx.doc.GetNode(i); ++i) {
            if (HasAddress(*pNode)) {
                vecMacs.push_back(pNode->m_strMac);
            }
        }
        if (vecMacs.empty()) {
            ctx.ui.Report(CTL_EXIT_BAD_INPUT, TXT_CTL_ERR_NO_ADDRESSED);
            return;
        }
    } else if (!FindNodes(ctx, vecNames, vecMacs)) {
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
    if (!CheckDownloadFile(strPath, strMessage)) {
        ctx.ui.Report(CTL_EXIT_BAD_INPUT, strMessage);
        return;
    }
    // The batch finds its nodes by address, and a rollout's files go to
    // them: each needs one of its own.
    if (vecMacs.size() > 1 || args.nParallel > 0) {
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
    if (args.nParallel > 0) {
        RunRollout(ctx, strPath, vecMacs, nKind);
        return;
    }
    RunCtlDownloads(ctx, vecMacs, nKind, args.nRetry);
}

namespace {
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
} // namespace

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
    for (size_t nNode = 0; nNode < vecMacs.size(); ++nNode) {
        if (StopsBefore(ctx, vecMacs, nNode)) {
            break;
        }
        const std::string& strMac = vecMacs[nNode];
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
        int nResult = DownloadToSelectedNode(ctx.doc, IndexOfMac(ctx.doc, strMac), nKind);
        outcome.nExit = ctx.ui.GetExitSince(nMark);
        if (nResult == DLRESULT_STOPPED) {
            ctx.result.vecNotDone.push_back(strMac);
            outcome.nExit = CTL_EXIT_SIGNAL_BASE + ctx.doc.GetStopReason();
            break;
        }
        if (outcome.nExit == CTL_EXIT_OK || outcome.nExit == CTL_EXIT_BAD_INPUT ||
            outcome.nExit == CTL_EXIT_UNANSWERED) {
            break;
        }
        if (nTry < nRetry && ctx.doc.IsStopRequested()) {
            break; // no further try after a stop
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
    // Every node is tried once; a retry tries again the ones its pass failed.
    CDownloadProgressDlg progress;
    std::map<std::string, int> mapAttempts; // by address
    int nPasses = 1;
    ctx.ui.AnswerQuestion(TXT_BATCH_RETRY, [&nPasses, nRetry, &progress, &mapAttempts] {
        if (nPasses > nRetry) {
            return EMsgAnswer::Cancel;
        }
        ++nPasses;
        for (const std::vector<std::string>& vecRow : progress.GetRows(IDC_PROGRESS_LIST)) {
            if (vecRow.size() > PROGRESS_COL_RESULT &&
                vecRow[PROGRESS_COL_RESULT] == TXT_BATCH_RESULT_NG) {
                ++mapAttempts[vecRow[PROGRESS_COL_ADDRESS]];
            }
        }
        return EMsgAnswer::Ok;
    });
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
        outcome.nAttempts = 1 + mapAttempts[vecAddrs[i]];
        auto it = mapRows.find(vecAddrs[i]);
        if (progress.GetPath().empty()) {
            outcome.nExit = nBefore != CTL_EXIT_OK ? nBefore : CTL_EXIT_FAILED; // never began
            continue;
        }
        if (it == mapRows.end()) {
            continue; // done in an earlier pass
        }
        outcome.strState = it->second[PROGRESS_COL_STATE];
        if (ctx.doc.IsStopRequested() && it->second[PROGRESS_COL_RESULT] == TXT_BATCH_RESULT_NONE) {
            // Not carried out: the stop came first.
            ctx.result.vecNotDone.push_back(vecMacs[i]);
            outcome.nExit = CTL_EXIT_SIGNAL_BASE + ctx.doc.GetStopReason();
            continue;
        }
        if (it->second[PROGRESS_COL_RESULT] == TXT_BATCH_RESULT_NG) {
            outcome.nExit = outcome.strState == TXT_BATCH_STATE_DOWNLOAD_FAILED ? CTL_EXIT_FTP
                                                                                : CTL_EXIT_NO_REPLY;
            // What the node's server said, when the put got that far.
            std::string strDetail = progress.GetDetail(vecAddrs[i]);
            ctx.ui.Report(outcome.nExit, Format(TXT_CTL_ERR_NO_DOWNLOAD, vecMacs[i]) + ": " +
                                             outcome.strState +
                                             (strDetail.empty() ? "" : " (" + strDetail + ")"));
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
            if (StopsBefore(ctx, vecMacs, nFirst)) {
                break;
            }
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
