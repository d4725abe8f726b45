#include "ops/DownloadBatch.h"

#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/DownloadTargetDlg.h"
#include "ops/MotImage.h"
#include "ops/NodeDownload.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

namespace {
// What became of one row in a pass.
enum class EBatchNode {
    Skipped,      // no registered node has the address (any more)
    Done,         // downloaded and back in operation
    Failed,       // to be offered for a retry
    RebootFailed, // downloaded, but it did not come back to operation
    Stopped,      // a stop came before its transfer: back in operation, not carried out
};

// The first node of the current network whose address reads as strAddress; -1 none.
int FindNodeByAddress(COrvixDoc& doc, const std::string& strAddress) {
    for (int nIndex = 0;; ++nIndex) {
        const COXParam* pNode = doc.GetNode(nIndex);
        if (pNode == nullptr) {
            return -1;
        }
        if (FormatIpHost(pNode->m_dwIp) == strAddress) {
            return nIndex;
        }
    }
}

// One row: the mode change, the restart pause, the account, the put and the
// return to operation, the row showing each step. bLeftInMode tells a failed
// node that may still be in its download mode.
EBatchNode DownloadRow(COrvixDoc& doc, CDownloadProgressDlg& progress, size_t nRow,
                       const std::string& strPath, bool bKernel, bool& bLeftInMode) {
    const SDocEnv& env = doc.GetEnv();
    CUi& ui = env.ui;
    bLeftInMode = false;
    std::string strAddress = progress.GetRowAddress(nRow);
    int nIndex = FindNodeByAddress(doc, strAddress);
    if (nIndex < 0) {
        return EBatchNode::Skipped;
    }
    int nAttempts = env.settings.m_nRetryGetParam + 1;
    auto Fail = [&](const char* pszState) {
        progress.SetRowState(ui, nRow, pszState, TXT_BATCH_RESULT_NG);
        return EBatchNode::Failed;
    };
    progress.SetRowState(ui, nRow, TXT_BATCH_STATE_PREPARING, TXT_BATCH_RESULT_NONE);
    // The kernel's account comes from the node as it runs now, the
    // application's from the node in its setup mode.
    if (bKernel && FetchFtpAccount(doc, nIndex, nAttempts) != 0) {
        return Fail(TXT_BATCH_STATE_ACCOUNT_ERROR);
    }
    if (ChangeNodeMode(doc, nIndex, bKernel ? DOWNLOAD_KERNEL : DOWNLOAD_APPLICATION) != 0) {
        return Fail(TXT_BATCH_STATE_REBOOT_ERROR);
    }
    env.clock.Sleep(DOWNLOAD_RESTART_PAUSE_MS);
    if (!bKernel && FetchFtpAccount(doc, nIndex, nAttempts) != 0) {
        // Not left out of operation for a retry that may never come.
        bLeftInMode = !ReturnToOperation(doc, nIndex);
        return Fail(TXT_BATCH_STATE_ACCOUNT_ERROR);
    }
    if (doc.IsStopRequested()) {
        bLeftInMode = !ReturnToOperation(doc, nIndex);
        progress.SetRowState(ui, nRow, TXT_BATCH_STATE_WAITING, TXT_BATCH_RESULT_NONE);
        return EBatchNode::Stopped;
    }
    progress.SetRowState(ui, nRow, TXT_BATCH_STATE_DOWNLOADING, TXT_BATCH_RESULT_NONE);
    CNodeSocket& socket = doc.GetSocket();
    int nPut = doc.RunFtpPut(strAddress, strPath, socket.m_strFtpUser, socket.m_strFtpPassword, 0);
    if (nPut != FTPRUN_OK) {
        progress.SetDetail(strAddress, doc.GetFtpReply().strText);
    }
    if (ChangeNodeMode(doc, nIndex, DOWNLOAD_MODE_NORMAL) != 0) {
        if (nPut != FTPRUN_OK) {
            // Neither the file nor the return went through: the node waits in
            // its download mode, so a retry is what helps, not the advice to
            // change its mode by hand.
            bLeftInMode = true;
            return Fail(TXT_BATCH_STATE_REBOOT_ERROR);
        }
        progress.SetRowState(ui, nRow, TXT_BATCH_STATE_REBOOT_ERROR, TXT_BATCH_RESULT_OK);
        return EBatchNode::RebootFailed;
    }
    if (nPut != FTPRUN_OK) {
        return Fail(TXT_BATCH_STATE_DOWNLOAD_FAILED);
    }
    progress.SetRowState(ui, nRow, TXT_BATCH_STATE_DOWNLOADED, TXT_BATCH_RESULT_OK);
    return EBatchNode::Done;
}

// One line of the operation log for a row that was tried: its state as the
// window shows it (and what the node's server said) when it did not end well.
void LogRow(COrvixDoc& doc, const CDownloadProgressDlg& progress, size_t nRow, EBatchNode eNode,
            const std::string& strPath, bool bKernel) {
    std::string strAddress = progress.GetRowAddress(nRow);
    int nIndex = FindNodeByAddress(doc, strAddress);
    if (eNode == EBatchNode::Skipped || nIndex < 0) {
        return;
    }
    const char* pszOperation = bKernel ? OPLOG_DOWNLOAD_KERNEL : OPLOG_DOWNLOAD_APP;
    std::string strName = strPath.substr(strPath.find_last_of('/') + 1);
    if (eNode == EBatchNode::Done) {
        doc.LogNodeOperation(pszOperation, nIndex, OPLOG_OK, strName);
        return;
    }
    const auto& vecRows = progress.GetRows(IDC_PROGRESS_LIST);
    std::string strState = nRow < vecRows.size() && vecRows[nRow].size() > PROGRESS_COL_STATE
                               ? Cp932ToUtf8Lossy(vecRows[nRow][PROGRESS_COL_STATE])
                               : "";
    std::string strDetail = progress.GetDetail(strAddress);
    doc.LogNodeOperation(
        pszOperation, nIndex, eNode == EBatchNode::Stopped ? OPLOG_STOPPED : OPLOG_FAILED,
        strName + ": " + strState + (strDetail.empty() ? "" : " (" + strDetail + ")"));
}

// The format with its first "%s" replaced by strFirst, the next by strSecond.
std::string Substitute(const char* pszFormat, const std::string& strFirst,
                       const std::string& strSecond) {
    std::string str = pszFormat;
    size_t nPos = str.find("%s");
    if (nPos != std::string::npos) {
        str.replace(nPos, 2, strFirst);
        nPos = str.find("%s", nPos + strFirst.size());
        if (nPos != std::string::npos) {
            str.replace(nPos, 2, strSecond);
        }
    }
    return str;
}
} // namespace

std::string RegisteredAddressText(COrvixDoc& doc) {
    std::string str;
    for (int nIndex = 0; const COXParam* pNode = doc.GetNode(nIndex); ++nIndex) {
        if (nIndex > 0) {
            str += ',';
        }
        str += FormatIpHost(pNode->m_dwIp);
    }
    return str;
}

std::string BatchConfirmText(const std::string& strTargets, const std::string& strPath) {
    std::string strLines;
    for (char c : strTargets) {
        if (c == ',') {
            strLines += "\r\n";
        } else {
            strLines += c;
        }
    }
    strLines += "\r\n";
    // A path typed in the Windows way names its file after the last backslash.
    size_t nSlash = strPath.find_last_of("/\\");
    std::string strName = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
    return Substitute(TXT_BATCH_CONFIRM_FORMAT, strLines, strName);
}

void MarkTargetDone(std::string& strTargets, const std::string& strAddress) {
    size_t nStart = 0;
    while (nStart <= strTargets.size()) {
        size_t nEnd = strTargets.find(',', nStart);
        if (nEnd == std::string::npos) {
            nEnd = strTargets.size();
        }
        if (strTargets.compare(nStart, nEnd - nStart, strAddress) == 0) {
            strTargets.replace(nStart, nEnd - nStart, nEnd - nStart, '*');
            return;
        }
        nStart = nEnd + 1;
    }
}

void DownloadBatch(COrvixDoc& doc, CDownloadProgressDlg& progress, const std::string& strPath,
                   std::string& strTargets, int nKindFlag) {
    CUi& ui = doc.GetEnv().ui;
    progress.Begin(ui, strTargets, strPath);
    for (;;) {
        std::string strRebootFailed;
        std::string strLeftInMode;
        bool bRetry = false;
        for (size_t nRow = 0; nRow < progress.GetRowCount() && !doc.IsStopRequested(); ++nRow) {
            bool bLeftInMode = false;
            EBatchNode eNode = EBatchNode::Skipped;
            {
                CWaitCursorScope cursor(ui);
                eNode = DownloadRow(doc, progress, nRow, strPath, nKindFlag == BATCH_KERNEL,
                                    bLeftInMode);
            }
            LogRow(doc, progress, nRow, eNode, strPath, nKindFlag == BATCH_KERNEL);
            std::string strAddress = progress.GetRowAddress(nRow);
            switch (eNode) {
            case EBatchNode::Skipped:
                break;
            case EBatchNode::Failed:
            case EBatchNode::Stopped:
                bRetry = bRetry || eNode == EBatchNode::Failed;
                if (bLeftInMode) {
                    strLeftInMode += strAddress + "\r\n";
                }
                break;
            case EBatchNode::RebootFailed:
                strRebootFailed += strAddress + "\r\n";
                MarkTargetDone(strTargets, strAddress);
                break;
            case EBatchNode::Done:
                MarkTargetDone(strTargets, strAddress);
                break;
            }
        }
        doc.GetSocket().m_nPending = PENDING_NONE;
        if (!strRebootFailed.empty()) {
            ui.ShowMessage(strRebootFailed + TXT_BATCH_REBOOT_FAILED);
        }
        if (!strLeftInMode.empty()) {
            ui.ShowMessage(strLeftInMode + TXT_BATCH_LEFT_IN_MODE);
        }
        if (doc.IsStopRequested()) {
            break; // the rows not carried out stay as they are shown
        }
        if (!bRetry) {
            ui.ShowMessage(TXT_BATCH_ALL_DONE, EMsgButtons::Ok, EMsgIcon::Information);
            break;
        }
        if (ui.ShowMessage(TXT_BATCH_RETRY, EMsgButtons::OkCancel, EMsgIcon::Question) !=
            EMsgAnswer::Ok) {
            break;
        }
        progress.RebuildRows(ui, strTargets);
    }
    progress.End(ui);
}

void DownloadToChosenNodes(COrvixDoc& doc, CDownloadProgressDlg& progress, int nKindFlag) {
    const SDocEnv& env = doc.GetEnv();
    CDownloadTargetDlg targets(RegisteredAddressText(doc));
    if (env.ui.DoModal(targets) != DIALOG_OK || targets.GetTargetText().empty()) {
        return;
    }
    std::string strTargets = targets.GetTargetText();
    // The main window stays disabled, with this text, through the whole batch.
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_DOWNLOAD_CHOOSE);
    std::string strPath;
    if (!env.ui.ChooseFileToOpen(DownloadFileChoice(), strPath)) {
        return;
    }
    // A file that can never be put is refused before any node leaves operation.
    std::string strMessage;
    if (!CheckDownloadFile(strPath, strMessage)) {
        env.ui.ShowMessage(strMessage);
        return;
    }
    if (env.ui.ShowMessage(BatchConfirmText(strTargets, strPath), EMsgButtons::OkCancel,
                           EMsgIcon::Question) != EMsgAnswer::Ok) {
        return;
    }
    DownloadBatch(doc, progress, strPath, strTargets, nKindFlag);
}
