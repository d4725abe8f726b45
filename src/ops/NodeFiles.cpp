#include "ops/NodeFiles.h"

#include "doc/OrvixDoc.h"
#include "ops/GetVersionDlg.h"
#include "ops/InformationDlg.h"
#include "ops/NodeDownload.h"
#include "platform/Clock.h"
#include "platform/IpText.h"
#include "registry/OXParam.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

namespace {
enum class EFilesRun { Listing, Deletion };

// Both commands: setup mode, the account, the FTP run, operation again.
void RunOnNodeFiles(COrvixDoc& doc, int nSelected, EFilesRun eRun) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_FILE_INFO_PREPARING);
    CWaitCursorScope cursor(env.ui);
    const COXParam* pNode = doc.GetNode(nSelected);
    if (pNode == nullptr) {
        return;
    }
    std::string strHost = FormatIpHost(pNode->m_dwIp);
    int nResult = ChangeNodeMode(doc, nSelected, DOWNLOAD_APPLICATION);
    if (nResult == DLRESULT_NO_RESPONSE) {
        env.ui.ShowMessage(TXT_NO_RESPONSE);
    }
    if (nResult != 0) {
        return; // an abnormal reply was reported by the dispatcher
    }
    env.clock.Sleep(DOWNLOAD_RESTART_PAUSE_MS);
    nResult = FetchFtpAccount(doc, nSelected, env.settings.m_nRetryGetParam + 1);
    if (nResult != 0) {
        // The node is in its setup mode: not left there without a word.
        bool bBack = ReturnToOperation(doc, nSelected);
        // An abnormal reply was reported by the dispatcher.
        std::string strText = nResult == DLRESULT_NO_RESPONSE ? TXT_NO_RESPONSE : "";
        if (!bBack) {
            strText += LeftInModeNote(DOWNLOAD_APPLICATION, strText.empty());
        }
        if (!strText.empty()) {
            env.ui.ShowMessage(strText);
        }
        return;
    }
    env.ui.SetStatusText(TXT_STATUS_FILE_INFO);
    {
        CInformationDlg info(TXT_INFO_FILE_INFO);
        info.Show(DIALOG_CANCEL, false);
        CModelessWindow window(env.ui, info);
        CNodeSocket& socket = doc.GetSocket();
        if (eRun == EFilesRun::Listing) {
            doc.RunFtpListing(strHost, socket.m_strFtpUser, socket.m_strFtpPassword);
        } else {
            doc.RunFtpDeleteSelection(strHost, socket.m_strFtpUser, socket.m_strFtpPassword);
        }
    }
    // Whatever the FTP run gave, the node goes back to operation; only a
    // node that stays out of it is worth a word.
    if (ChangeNodeMode(doc, nSelected, DOWNLOAD_MODE_NORMAL) != 0) {
        env.ui.ShowMessage(LeftInModeNote(DOWNLOAD_APPLICATION, true));
    }
    doc.GetSocket().m_nPending = PENDING_NONE;
}
} // namespace

void ShowNodeFiles(COrvixDoc& doc, int nSelected) {
    RunOnNodeFiles(doc, nSelected, EFilesRun::Listing);
}

void DeleteNodeApplications(COrvixDoc& doc, int nSelected) {
    RunOnNodeFiles(doc, nSelected, EFilesRun::Deletion);
}

void ShowNodeVersions(COrvixDoc& doc, int nSelected) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_VERSION_INFO);
    const COXParam* pNode = doc.GetNode(nSelected);
    if (pNode == nullptr) {
        return;
    }
    CGetVersionDlg dlg(HasAddress(*pNode));
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    int nUnicast = dlg.GetUnicast();
    env.ui.EnableMainWindow(false);
    // The reply opens the version dialog from inside the wait, which ends
    // when the operator has closed it.
    int nOutcome = doc.Exchange(
        PENDING_GET_VERSION,
        [&doc, nSelected, nUnicast] { doc.SendGetVersion(nSelected, nUnicast); },
        static_cast<uint32_t>(env.settings.m_nTimeout > 0 ? env.settings.m_nTimeout : 0));
    if (nOutcome == EXCHANGE_NO_REPLY) {
        env.ui.ShowMessage(TXT_NO_RESPONSE);
    }
}
