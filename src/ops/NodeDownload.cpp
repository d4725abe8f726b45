#include "ops/NodeDownload.h"

#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "ops/InformationDlg.h"
#include "ops/MotImage.h"
#include "platform/Clock.h"
#include "platform/IpText.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

#include <cstdio>

namespace {
int FromExchange(int nOutcome) {
    switch (nOutcome) {
    case EXCHANGE_DONE:
        return 0;
    case EXCHANGE_ABNORMAL:
        return DLRESULT_ABNORMAL;
    default:
        return DLRESULT_NO_RESPONSE;
    }
}

std::string FormatText(const char* pszFormat, const std::string& str) {
    char sz[1024];
    std::snprintf(sz, sizeof sz, pszFormat, str.c_str());
    return sz;
}

uint32_t ReplyTimeout(COrvixDoc& doc) {
    int32_t nTimeout = doc.GetEnv().settings.m_nTimeout;
    return nTimeout > 0 ? static_cast<uint32_t>(nTimeout) : 0;
}

} // namespace

int FetchFtpAccount(COrvixDoc& doc, int nIndex, int nAttempts) {
    int nOutcome = EXCHANGE_NO_REPLY;
    for (int n = 0; n < nAttempts && nOutcome == EXCHANGE_NO_REPLY; ++n) {
        nOutcome = doc.Exchange(
            PENDING_GET_ACCOUNT, [&doc, nIndex] { doc.SendGetParam(nIndex, 1); },
            ReplyTimeout(doc));
    }
    return FromExchange(nOutcome);
}

int ChangeNodeMode(COrvixDoc& doc, int nIndex, int nMode) {
    return FromExchange(doc.Exchange(
        PENDING_CHANGE_MODE, [&doc, nIndex, nMode] { doc.SendChangeMode(nIndex, nMode, 1); },
        ReplyTimeout(doc)));
}

bool ReturnToOperation(COrvixDoc& doc, int nIndex) {
    doc.GetEnv().clock.Sleep(DOWNLOAD_FINISH_PAUSE_MS);
    return ChangeNodeMode(doc, nIndex, DOWNLOAD_MODE_NORMAL) == 0;
}

SFileChoice DownloadFileChoice() {
    return {TXT_DOWNLOAD_CHOOSE_TITLE,
            TXT_DOWNLOAD_DEFAULT_EXT,
            {{TXT_FILTER_MOT, "*.mot"}, {TXT_FILTER_ALL, "*"}}};
}

bool SharesAddress(COrvixDoc& doc, int nIndex) {
    const COXParam* pNode = doc.GetNode(nIndex);
    if (pNode == nullptr) {
        return false;
    }
    for (int i = 0; const COXParam* pOther = doc.GetNode(i); ++i) {
        if (i != nIndex && pOther->m_dwIp == pNode->m_dwIp) {
            return true;
        }
    }
    return false;
}

namespace {
// DownloadNode's steps; strPath gets the file chosen.
int RunDownloadSteps(COrvixDoc& doc, int nIndex, int nKind, bool* pbLeftInMode,
                     std::string& strPath) {
    const SDocEnv& env = doc.GetEnv();
    bool bLeftInMode = false;
    if (pbLeftInMode == nullptr) {
        pbLeftInMode = &bLeftInMode;
    }
    *pbLeftInMode = false;
    const COXParam* pNode = doc.GetNode(nIndex);
    if (pNode == nullptr) {
        return DLRESULT_NO_RESPONSE;
    }
    std::string strHost = FormatIpHost(pNode->m_dwIp);
    CWaitCursorScope cursor(env.ui);
    int nResult = 0;
    // The kernel's account comes from the node as it runs now, in one try.
    if (nKind == DOWNLOAD_KERNEL && (nResult = FetchFtpAccount(doc, nIndex, 1)) != 0) {
        return nResult;
    }
    if (doc.IsStopRequested()) {
        return DLRESULT_STOPPED; // nothing changed on the node yet
    }
    if ((nResult = ChangeNodeMode(doc, nIndex, nKind)) != 0) {
        return nResult;
    }
    env.clock.Sleep(DOWNLOAD_RESTART_PAUSE_MS);
    // From here on the node is out of operation: every way out brings it back.
    auto BackToOperation = [&](int nOutcome) {
        *pbLeftInMode = !ReturnToOperation(doc, nIndex);
        return nOutcome;
    };
    // The application's account comes from the node in its setup mode.
    if (nKind == DOWNLOAD_APPLICATION &&
        (nResult = FetchFtpAccount(doc, nIndex, env.settings.m_nRetryGetParam + 1)) != 0) {
        return BackToOperation(nResult);
    }
    if (doc.IsStopRequested()) {
        return BackToOperation(DLRESULT_STOPPED);
    }

    env.ui.SetStatusText(TXT_STATUS_DOWNLOAD_CHOOSE);
    if (!env.ui.ChooseFileToOpen(DownloadFileChoice(), strPath)) {
        doc.SendChangeMode(nIndex, DOWNLOAD_MODE_NORMAL, 1); // not waited for
        return DLRESULT_CANCELLED;
    }
    // Nothing goes to the node for a file that can never be put.
    std::string strMessage;
    if (!CheckDownloadFile(strPath, strMessage)) {
        env.ui.ShowMessage(strMessage);
        doc.SendChangeMode(nIndex, DOWNLOAD_MODE_NORMAL, 1); // as after a cancel
        return DLRESULT_BAD_IMAGE;
    }

    env.ui.SetStatusText(TXT_STATUS_DOWNLOADING);
    // Open until the node is back in operation.
    CInformationDlg info(TXT_INFO_DOWNLOADING);
    info.Show(DIALOG_CANCEL, false);
    CModelessWindow window(env.ui, info);
    CNodeSocket& socket = doc.GetSocket();
    nResult = doc.RunFtpPut(strHost, strPath, socket.m_strFtpUser, socket.m_strFtpPassword, 1);
    if (nResult != FTPRUN_OK) {
        return BackToOperation(nResult);
    }
    env.clock.Sleep(DOWNLOAD_FINISH_PAUSE_MS);
    nResult = ChangeNodeMode(doc, nIndex, DOWNLOAD_MODE_NORMAL);
    *pbLeftInMode = nResult != 0;
    return nResult;
}
} // namespace

int DownloadNode(COrvixDoc& doc, int nIndex, int nKind, bool* pbLeftInMode) {
    std::string strPath;
    int nResult = RunDownloadSteps(doc, nIndex, nKind, pbLeftInMode, strPath);
    const char* pszOutcome = nResult == FTPRUN_OK ? OPLOG_OK
                             : nResult == DLRESULT_STOPPED || nResult == DLRESULT_CANCELLED
                                 ? OPLOG_STOPPED
                                 : OPLOG_FAILED;
    std::string strMessage = strPath.substr(strPath.find_last_of('/') + 1);
    std::string strFailure = DownloadResultText(nResult, doc.GetFtpReply().strText);
    if (nResult != FTPRUN_OK && !strFailure.empty()) {
        strMessage += (strMessage.empty() ? "" : ": ") + strFailure;
    }
    doc.LogNodeOperation(nKind == DOWNLOAD_KERNEL ? OPLOG_DOWNLOAD_KERNEL : OPLOG_DOWNLOAD_APP,
                         nIndex, pszOutcome, strMessage);
    return nResult;
}

std::string LeftInModeNote(int nMode, bool bAlone) {
    char szNote[512];
    std::snprintf(szNote, sizeof szNote, TXT_DOWNLOAD_LEFT_IN_MODE, nMode);
    std::string strNote = szNote;
    return bAlone ? strNote.substr(strNote.find_first_not_of("\r\n")) : strNote;
}

std::string DownloadResultText(int nResult, const std::string& strReply) {
    switch (nResult) {
    case FTPRUN_OK:
        return TXT_DOWNLOAD_DONE;
    case FTPRUN_NO_SESSION:
        return TXT_FTP_NO_SESSION;
    case FTPRUN_NO_CONNECTION:
        return TXT_FTP_CONNECT_FAILED;
    case FTPRUN_TIMEOUT:
        return TXT_FTP_TIMEOUT;
    case FTPRUN_NO_PROCESS:
        return TXT_FTP_NO_PROCESS;
    case DLRESULT_ABNORMAL:
        return TXT_ABNORMAL_RESPONSE;
    case DLRESULT_NO_RESPONSE:
        return TXT_NO_RESPONSE;
    case FTPRUN_REFUSED:
        return FormatText(TXT_FTP_PUT_REFUSED, strReply);
    case FTPRUN_UNCONFIRMED:
        return FormatText(TXT_FTP_PUT_UNCONFIRMED, strReply);
    default: // cancelled, or refused before anything ran: already said
        return {};
    }
}

void ShowDownloadResult(COrvixDoc& doc, int nResult, bool bLeftInMode, int nMode) {
    CUi& ui = doc.GetEnv().ui;
    if (nResult == FTPRUN_OK) {
        ui.ShowMessage(TXT_DOWNLOAD_DONE, EMsgButtons::Ok, EMsgIcon::Information);
        return;
    }
    std::string strText = DownloadResultText(nResult, doc.GetFtpReply().strText);
    if (bLeftInMode) {
        strText += LeftInModeNote(nMode, strText.empty());
    }
    if (!strText.empty()) {
        ui.ShowMessage(strText);
    }
}

int DownloadToSelectedNode(COrvixDoc& doc, int nSelected, int nKind) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_DOWNLOAD_PREPARING);
    const COXParam* pNode = doc.GetNode(nSelected);
    if (nSelected < 0 || pNode == nullptr) {
        return DLRESULT_BAD_IMAGE;
    }
    // The file would go to whichever of them answers first.
    if (SharesAddress(doc, nSelected)) {
        env.ui.ShowMessage(FormatText(TXT_DOWNLOAD_SHARED_ADDRESS, FormatIpHost(pNode->m_dwIp)));
        return DLRESULT_BAD_IMAGE;
    }
    bool bLeftInMode = false;
    int nResult = DownloadNode(doc, nSelected, nKind, &bLeftInMode);
    doc.GetSocket().m_nPending = PENDING_NONE;
    ShowDownloadResult(doc, nResult, bLeftInMode, nKind);
    return nResult;
}
