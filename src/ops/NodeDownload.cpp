#include "ops/NodeDownload.h"

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

SFileChoice DownloadFileChoice() {
    return {TXT_DOWNLOAD_CHOOSE_TITLE,
            TXT_DOWNLOAD_DEFAULT_EXT,
            {{TXT_FILTER_MOT, "*.mot"}, {TXT_FILTER_ALL, "*"}}};
}

int DownloadNode(COrvixDoc& doc, int nIndex, int nKind) {
    const SDocEnv& env = doc.GetEnv();
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
    if ((nResult = ChangeNodeMode(doc, nIndex, nKind)) != 0) {
        return nResult;
    }
    env.clock.Sleep(DOWNLOAD_RESTART_PAUSE_MS);
    // The application's account comes from the node in its setup mode.
    if (nKind == DOWNLOAD_APPLICATION &&
        (nResult = FetchFtpAccount(doc, nIndex, env.settings.m_nRetryGetParam + 1)) != 0) {
        return nResult;
    }

    env.ui.SetStatusText(TXT_STATUS_DOWNLOAD_CHOOSE);
    std::string strPath;
    if (!env.ui.ChooseFileToOpen(DownloadFileChoice(), strPath)) {
        doc.SendChangeMode(nIndex, DOWNLOAD_MODE_NORMAL, 1); // not waited for
        return DLRESULT_CANCELLED;
    }
    std::string strMessage;
    if (!CheckMotImage(strPath, strMessage)) {
        env.ui.ShowMessage(strMessage);
        doc.SendChangeMode(nIndex, DOWNLOAD_MODE_NORMAL, 1); // as after a cancel
        return DLRESULT_BAD_IMAGE;
    }

    env.ui.SetStatusText(TXT_STATUS_DOWNLOADING);
    CInformationDlg info(TXT_INFO_DOWNLOADING);
    info.Show(DIALOG_CANCEL, false);
    CModelessWindow window(env.ui, info);
    CNodeSocket& socket = doc.GetSocket();
    nResult = doc.RunFtpPut(strHost, strPath, socket.m_strFtpUser, socket.m_strFtpPassword, 1);
    if (nResult != FTPRUN_OK) {
        return nResult; // the node stays in its download mode
    }
    env.clock.Sleep(DOWNLOAD_FINISH_PAUSE_MS);
    return ChangeNodeMode(doc, nIndex, DOWNLOAD_MODE_NORMAL);
}

void ShowDownloadResult(COrvixDoc& doc, int nResult) {
    CUi& ui = doc.GetEnv().ui;
    switch (nResult) {
    case FTPRUN_OK:
        ui.ShowMessage(TXT_DOWNLOAD_DONE, EMsgButtons::Ok, EMsgIcon::Information);
        break;
    case FTPRUN_NO_SESSION:
        ui.ShowMessage(TXT_FTP_NO_SESSION);
        break;
    case FTPRUN_NO_CONNECTION:
        ui.ShowMessage(TXT_FTP_CONNECT_FAILED);
        break;
    case FTPRUN_TIMEOUT:
        ui.ShowMessage(TXT_FTP_TIMEOUT);
        break;
    case FTPRUN_NO_PROCESS:
        ui.ShowMessage(TXT_FTP_NO_PROCESS);
        break;
    case DLRESULT_ABNORMAL:
        ui.ShowMessage(TXT_ABNORMAL_RESPONSE);
        break;
    case DLRESULT_NO_RESPONSE:
        ui.ShowMessage(TXT_NO_RESPONSE);
        break;
    case FTPRUN_REFUSED: {
        char sz[512];
        std::snprintf(sz, sizeof sz, TXT_FTP_PUT_REFUSED, "ﾀﾞｳﾝﾛｰﾄﾞ後のﾌｧｲﾙ一覧にﾌｧｲﾙがありません");
        ui.ShowMessage(sz);
        break;
    }
    default: // cancelled, or refused before anything ran: already said
        break;
    }
}

void DownloadToSelectedNode(COrvixDoc& doc, int nSelected, int nKind) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_DOWNLOAD_PREPARING);
    if (nSelected < 0 || doc.GetNode(nSelected) == nullptr) {
        return;
    }
    int nResult = DownloadNode(doc, nSelected, nKind);
    doc.GetSocket().m_nPending = PENDING_NONE;
    ShowDownloadResult(doc, nResult);
}
