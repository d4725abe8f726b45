#include "cli/CtlUi.h"

#include "cli/CtlArgs.h"
#include "cli/CtlOutput.h"
#include "ops/NodeDownload.h"
#include "platform/Cp932.h"
#include "res/Texts.h"

#include <cstring>

namespace {
bool StartsWith(const std::string& str, const char* pszHead) {
    return str.rfind(pszHead, 0) == 0;
}

// Whether strText is a message made from pszFormat: it begins with the
// format's fixed text before its first conversion (a note may follow).
bool MatchesFormat(const std::string& strText, const char* pszFormat) {
    std::string strHead = pszFormat;
    strHead = strHead.substr(0, strHead.find('%'));
    return !strHead.empty() && StartsWith(strText, strHead.c_str());
}

// The format with its one "%s" given; whole, however long the text (a
// question may list a thousand nodes).
std::string Format(const char* pszFormat, const std::string& str) {
    int nLen = std::snprintf(nullptr, 0, pszFormat, str.c_str());
    std::string strOut(static_cast<size_t>(nLen > 0 ? nLen : 0) + 1, '\0');
    std::snprintf(strOut.data(), strOut.size(), pszFormat, str.c_str());
    strOut.pop_back();
    return strOut;
}

// Line ends of the manager's texts as a terminal wants them.
std::string ForTerminal(std::string str) {
    for (size_t nPos; (nPos = str.find("\r\n")) != std::string::npos;) {
        str.erase(nPos, 1);
    }
    for (char& c : str) {
        if (c == '\r') {
            c = '\n';
        }
    }
    return str;
}
} // namespace

namespace {
// Back to the start of the line, and the line cleared.
constexpr char TERMINAL_CLEAR_LINE[] = "\r\x1b[K";
} // namespace

void CCtlUi::PrintLine(const std::string& strLine) {
    if (m_pErr == nullptr) {
        return;
    }
    if (!m_strLive.empty()) {
        std::fputs(TERMINAL_CLEAR_LINE, m_pErr);
    }
    std::fprintf(m_pErr, "%s\n", strLine.c_str());
    if (!m_strLive.empty()) {
        std::fputs(m_strLive.c_str(), m_pErr);
    }
    std::fflush(m_pErr);
}

void CCtlUi::ShowProgress(const std::string& strLine, bool bLive) {
    if (!m_bProgress || m_pErr == nullptr) {
        return;
    }
    if (!bLive) {
        PrintLine(std::string(TXT_CTL_PROGRAM_NAME) + ": " + TerminalText(strLine));
        return;
    }
    m_strLive = TerminalText(strLine);
    std::fprintf(m_pErr, "%s%s", TERMINAL_CLEAR_LINE, m_strLive.c_str());
    std::fflush(m_pErr);
}

void CCtlUi::Report(int nExit, const std::string& strText) {
    m_vecMessages.push_back({ForTerminal(strText), nExit});
    if (!(m_bQuiet && nExit == CTL_EXIT_OK)) {
        PrintLine(std::string(TXT_CTL_PROGRAM_NAME) + ": " +
                  TerminalText(m_vecMessages.back().strText, true));
    }
}

int CCtlUi::GetExit() const {
    return GetExitSince(0);
}

int CCtlUi::GetExitSince(size_t nFrom) const {
    for (size_t i = nFrom; i < m_vecMessages.size(); ++i) {
        if (m_vecMessages[i].nExit != CTL_EXIT_OK) {
            return m_vecMessages[i].nExit;
        }
    }
    return CTL_EXIT_OK;
}

int CCtlUi::ClassifyWarning(const std::string& strText) const {
    if (StartsWith(strText, TXT_NO_RESPONSE)) {
        return CTL_EXIT_NO_REPLY;
    }
    if (StartsWith(strText, TXT_ABNORMAL_RESPONSE)) {
        return CTL_EXIT_ABNORMAL;
    }
    if (strText == TXT_PORT_IN_USE) {
        return CTL_EXIT_MANAGER_RUNNING;
    }
    // The shared address and a file that can never be put are the command
    // line's fault, found before anything was sent.
    for (const char* psz : {TXT_DOWNLOAD_SHARED_ADDRESS, TXT_FTP_UNSAFE_PATH,
                            TXT_DOWNLOAD_NOT_A_FILE, TXT_DOWNLOAD_TOO_LARGE}) {
        if (MatchesFormat(strText, psz)) {
            return CTL_EXIT_BAD_INPUT;
        }
    }
    for (const char* psz :
         {TXT_FTP_NO_SESSION, TXT_FTP_CONNECT_FAILED, TXT_FTP_TIMEOUT, TXT_FTP_NO_PROCESS,
          TXT_FTP_CONNECT_ERR, TXT_FTP_PUT_REFUSED, TXT_FTP_PUT_UNCONFIRMED, TXT_FTP_DELETE_FAILED,
          TXT_FTP_UNSAFE_ACCOUNT, TXT_FTP_UNSAFE_NAME, TXT_APPINFO_UNREADABLE,
          TXT_FTPERR_LOGIN_DENIED, TXT_FTPERR_CONNECTION_REFUSED, TXT_FTPERR_UNREACHABLE,
          TXT_FTPERR_TIMEOUT, TXT_FTPERR_RESOLVE, TXT_FTPERR_RESET}) {
        if (MatchesFormat(strText, psz)) {
            return CTL_EXIT_FTP;
        }
    }
    if (MatchesFormat(strText, LeftInModeNote(DOWNLOAD_APPLICATION, true).c_str())) {
        return CTL_EXIT_NO_REPLY; // the node did not come back to operation
    }
    const std::string strRebootFailed = TXT_BATCH_REBOOT_FAILED;
    if (strText.size() >= strRebootFailed.size() &&
        strText.compare(strText.size() - strRebootFailed.size(), strRebootFailed.size(),
                        strRebootFailed) == 0) {
        return CTL_EXIT_NO_REPLY; // loaded, but the node did not come back to operation
    }
    if (strText == TXT_APPINFO_NO_USER_APP || strText == TXT_DOWNLOAD_DONE ||
        strText == TXT_BATCH_ALL_DONE) {
        return CTL_EXIT_OK; // what the node holds, or a success: notices
    }
    return m_nOtherFailure;
}

bool CCtlUi::Enter(CDialogModel& dlg, int nId, const std::string& strValue) {
    const SControl* pControl = dlg.FindControl(nId);
    if (pControl == nullptr || !dlg.IsEnabled(nId)) {
        Report(CTL_EXIT_BAD_INPUT, Format(TXT_CTL_ERR_BAD_VALUE, strValue));
        return false;
    }
    if (pControl->eKind == ECtl::DropList || pControl->eKind == ECtl::RadioGroup) {
        size_t nCount = pControl->eKind == ECtl::DropList ? dlg.GetItems(nId).size()
                                                          : pControl->vecMembers.size();
        bool bDigits = !strValue.empty() && strValue.size() < 5 &&
                       strValue.find_first_not_of("0123456789") == std::string::npos;
        if (!bDigits || static_cast<size_t>(std::stoi(strValue)) >= nCount) {
            Report(CTL_EXIT_BAD_INPUT, Format(TXT_CTL_ERR_BAD_VALUE, strValue));
            return false;
        }
        dlg.SetInt(nId, std::stoi(strValue));
        dlg.OnChange(*this, nId);
        return true;
    }
    std::string strCp932;
    if (!Utf8ToCp932(strValue, strCp932)) {
        Report(CTL_EXIT_BAD_INPUT, Format(TXT_CTL_ERR_BAD_TEXT, strValue));
        return false;
    }
    // Only what a person could type into the field: no line break in a field
    // of one line (the INI file would keep the value cut at it); an
    // upper-case field upper-cases as it is typed.
    if (strCp932.find_first_of("\r\n") != std::string::npos) {
        Report(CTL_EXIT_BAD_INPUT, Format(TXT_CTL_ERR_BAD_VALUE, strValue));
        return false;
    }
    std::string strTyped = FilterInput(*pControl, strCp932);
    if (pControl->eKind == ECtl::UpperEdit && strTyped.size() == strCp932.size()) {
        strCp932 = strTyped;
    }
    if (strTyped != strCp932) {
        Report(CTL_EXIT_BAD_INPUT, Format(TXT_CTL_ERR_BAD_VALUE, strValue));
        return false;
    }
    dlg.SetText(nId, strCp932);
    dlg.OnChange(*this, nId);
    return true;
}

void CCtlUi::Tick(CDialogModel& dlg, int nId, bool bOn) {
    if (dlg.IsEnabled(nId)) {
        dlg.SetInt(nId, bOn ? 1 : 0);
        dlg.OnChange(*this, nId);
    }
}

bool CCtlUi::Click(CDialogModel& dlg, int nId) {
    SDialogAction action = dlg.OnCommand(*this, nId);
    if (action.eKind == SDialogAction::Message) {
        Report(CTL_EXIT_BAD_INPUT, action.strMessage);
        return false;
    }
    return true;
}

int CCtlUi::Close(CDialogModel& dlg, int nId) {
    SDialogAction action = dlg.OnCommand(*this, nId);
    switch (action.eKind) {
    case SDialogAction::Close:
        return action.nResult;
    case SDialogAction::Message:
        Report(CTL_EXIT_BAD_INPUT, action.strMessage);
        return DIALOG_CANCEL;
    case SDialogAction::Stay:
        break;
    }
    Report(CTL_EXIT_FAILED, Format(TXT_CTL_ERR_DIALOG_STAYED, dlg.GetDialogName()));
    return DIALOG_CANCEL;
}

EMsgAnswer CCtlUi::MessageBox(const std::string& strText, EMsgButtons buttons, EMsgIcon icon,
                              const std::string& /*strCaption*/) {
    auto itQuestion = m_mapQuestions.find(strText);
    if (buttons != EMsgButtons::Ok && itQuestion != m_mapQuestions.end()) {
        return itQuestion->second();
    }
    switch (buttons) {
    case EMsgButtons::Ok:
        break;
    case EMsgButtons::OkCancel:
    case EMsgButtons::YesNo:
    case EMsgButtons::YesNoCancel:
    case EMsgButtons::RetryCancel: {
        bool bOkKind = buttons == EMsgButtons::OkCancel;
        if (m_bYes && buttons != EMsgButtons::RetryCancel) {
            return bOkKind ? EMsgAnswer::Ok : EMsgAnswer::Yes;
        }
        Report(CTL_EXIT_UNANSWERED, Format(TXT_CTL_ERR_UNANSWERED_QUESTION, strText));
        return (bOkKind || buttons == EMsgButtons::RetryCancel) ? EMsgAnswer::Cancel
                                                                : EMsgAnswer::No;
    }
    }
    if (m_bOffline && strText == TXT_PORT_IN_USE) {
        return EMsgAnswer::Ok; // nothing is sent: the port is not needed
    }
    Report(icon == EMsgIcon::Information ? CTL_EXIT_OK : ClassifyWarning(strText), strText);
    return EMsgAnswer::Ok;
}

int CCtlUi::DoModal(CDialogModel& dialog) {
    auto it = m_mapAnswers.find(dialog.GetDialogName());
    if (it == m_mapAnswers.end()) {
        Report(CTL_EXIT_UNANSWERED, Format(TXT_CTL_ERR_UNANSWERED_DIALOG, dialog.GetDialogName()));
        return DIALOG_CANCEL;
    }
    FnAnswer fn = it->second; // an answer may replace itself
    return fn(dialog);
}

void CCtlUi::OpenModeless(CDialogModel& /*dialog*/) {}
void CCtlUi::RefreshModeless(CDialogModel& /*dialog*/) {}
void CCtlUi::CloseModeless(CDialogModel& /*dialog*/) {}

bool CCtlUi::ChooseFileToOpen(const SFileChoice& /*choice*/, std::string& strPath) {
    if (m_strFileChoice.empty()) {
        Report(CTL_EXIT_UNANSWERED, TXT_CTL_ERR_UNANSWERED_FILE);
        return false;
    }
    strPath = m_strFileChoice;
    return true;
}

bool CCtlUi::OpenWithDesktop(const std::string& /*strPath*/) {
    return false;
}

void CCtlUi::SetStatusText(const std::string& strText) {
    if (m_bProgress && m_pErr != nullptr && !strText.empty() && strText != TXT_STATUS_READY) {
        PrintLine(std::string(TXT_CTL_PROGRAM_NAME) + ": " + TerminalText(strText));
    }
}

void CCtlUi::EnableMainWindow(bool /*bEnable*/) {}
void CCtlUi::BeginWaitCursor() {}
void CCtlUi::RestoreWaitCursor() {}
void CCtlUi::EndWaitCursor() {}
void CCtlUi::UpdateAllViews() {}
