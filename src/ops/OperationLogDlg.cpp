#include "ops/OperationLogDlg.h"

#include "doc/OperationLog.h"
#include "platform/Cp932.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {
std::string Cell(const std::string& strUtf8) {
    std::string str;
    if (!Utf8ToCp932(strUtf8, str)) {
        // What CP932 cannot hold shows as '?', as elsewhere.
        for (unsigned char c : strUtf8) {
            str += c < 0x80 ? static_cast<char>(c) : '?';
        }
    }
    return str;
}

const char* OperationText(const std::string& strOperation) {
    static const std::pair<const char*, const char*> s_arr[] = {
        {OPLOG_NETWORK_ADD, TXT_OPLOG_OP_NETWORK_ADD},
        {OPLOG_NETWORK_DELETE, TXT_OPLOG_OP_NETWORK_DELETE},
        {OPLOG_NODE_ADD, TXT_OPLOG_OP_NODE_ADD},
        {OPLOG_NODE_EDIT, TXT_OPLOG_OP_NODE_EDIT},
        {OPLOG_NODE_ADDRESS, TXT_OPLOG_OP_NODE_ADDRESS},
        {OPLOG_NODE_DELETE, TXT_OPLOG_OP_NODE_DELETE},
        {OPLOG_SEARCH_ADD, TXT_OPLOG_OP_SEARCH_ADD},
        {OPLOG_SEARCH_ADDRESS, TXT_OPLOG_OP_SEARCH_ADDRESS},
        {OPLOG_SEARCH_DROP, TXT_OPLOG_OP_SEARCH_DROP},
        {OPLOG_AUTOSET, TXT_OPLOG_OP_AUTOSET},
        {OPLOG_SETTINGS, TXT_OPLOG_OP_SETTINGS},
        {OPLOG_MODE, TXT_OPLOG_OP_MODE},
        {OPLOG_INIT, TXT_OPLOG_OP_INIT},
        {OPLOG_DOWNLOAD_APP, TXT_OPLOG_OP_DOWNLOAD_APP},
        {OPLOG_DOWNLOAD_KERNEL, TXT_OPLOG_OP_DOWNLOAD_KERNEL},
        {OPLOG_APP_DELETE, TXT_OPLOG_OP_APP_DELETE},
        {OPLOG_COMMISSION, TXT_OPLOG_OP_COMMISSION},
    };
    for (const auto& [pszId, pszText] : s_arr) {
        if (strOperation == pszId) {
            return pszText;
        }
    }
    return nullptr; // a later version's: shown as it is named
}

std::string OutcomeText(const SOperationEntry& entry) {
    std::string str = entry.strOutcome == OPLOG_OK         ? TXT_OPLOG_OUTCOME_OK
                      : entry.strOutcome == OPLOG_FAILED   ? TXT_OPLOG_OUTCOME_FAILED
                      : entry.strOutcome == OPLOG_MISMATCH ? TXT_OPLOG_OUTCOME_MISMATCH
                      : entry.strOutcome == OPLOG_STOPPED  ? TXT_OPLOG_OUTCOME_STOPPED
                                                           : entry.strOutcome;
    if (!entry.strMessage.empty()) {
        std::string strMessage = entry.strMessage;
        for (char& c : strMessage) {
            c = c == '\r' || c == '\n' ? ' ' : c;
        }
        str += " (" + strMessage + ")";
    }
    return str;
}

// Size, time and identity of the log and its newest old file: a change of
// any means the rows are to be read again.
std::string Signature(const std::string& strPath) {
    std::string str;
    for (const std::string& strFile : {strPath, RotatedLogName(strPath, 1)}) {
        struct stat st {};
        if (::stat(strFile.c_str(), &st) == 0) {
            str += std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
                   std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
        }
        str += ";";
    }
    return str;
}
} // namespace

COperationLogDlg::COperationLogDlg() {
    SetControls({
        SControl::Report(IDC_OPLOG_LIST, {{TXT_OPLOG_COL_TIME, 140},
                                          {TXT_OPLOG_COL_NODE, 110},
                                          {TXT_OPLOG_COL_OPERATION, 140},
                                          {TXT_OPLOG_COL_OUTCOME, 260}}),
        SControl::Captioned(IDC_OPLOG_FOOTER, ECtl::Label, ""),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_OPLOG_CLOSE),
    });
    SetTitle(TXT_OPLOG_TITLE);
    SetInt(IDC_OPLOG_LIST, -1);
}

bool COperationLogDlg::Reload() {
    std::string strSignature = Signature(m_strPath);
    if (strSignature == m_strSignature) {
        return false;
    }
    m_strSignature = strSignature;
    std::vector<SOperationEntry> vecEntries = ReadOperationLog(m_strPath);
    std::vector<std::vector<std::string>> vecRows;
    for (auto it = vecEntries.rbegin();
         it != vecEntries.rend() && vecRows.size() < static_cast<size_t>(OPLOG_WINDOW_ROWS); ++it) {
        std::string strTime = it->strTime.substr(0, 19);
        if (strTime.size() > 10) {
            strTime[10] = ' ';
        }
        const char* pszOperation = OperationText(it->strOperation);
        vecRows.push_back({Cell(strTime), Cell(it->strMac.empty() ? it->strNetwork : it->strMac),
                           Cell(pszOperation != nullptr ? pszOperation : it->strOperation),
                           Cell(OutcomeText(*it))});
    }
    char szFooter[64];
    std::snprintf(szFooter, sizeof szFooter, "%d", static_cast<int>(vecRows.size()));
    std::string strFooter = TXT_OPLOG_FOOTER;
    strFooter.replace(strFooter.find("%s"), 2, m_strPath);
    strFooter.replace(strFooter.find("%d"), 2, szFooter);
    strFooter.replace(strFooter.find("%d"), 2, std::to_string(vecEntries.size()));
    SetCaption(IDC_OPLOG_FOOTER, strFooter);
    SetRows(IDC_OPLOG_LIST, std::move(vecRows));
    return true;
}

void COperationLogDlg::Open(CUi& ui, const std::string& strPath) {
    if (strPath != m_strPath) {
        m_strSignature.clear();
        m_strPath = strPath;
    }
    Reload();
    m_pShownOn = &ui;
    ui.OpenModeless(*this);
}

void COperationLogDlg::Refresh(CUi& ui) {
    if (m_pShownOn == &ui && Reload()) {
        ui.RefreshModeless(*this);
    }
}

SDialogAction COperationLogDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_OK || nId == DIALOG_CANCEL) {
        if (CUi* pShownOn = m_pShownOn) {
            m_pShownOn = nullptr;
            pShownOn->CloseModeless(*this);
        }
    }
    return SDialogAction::StayOpen();
}

COperationLogDlg& OperationLogWindow() {
    static COperationLogDlg s_window;
    return s_window;
}
