// The FTP runs: a connection check through the FTP session, then the
// command-line client (tnftp) on a generated script, both in a private
// working folder, waited for as a pause of the pump.
#include "doc/AppInfoDlg.h"
#include "doc/FileInfoDlg.h"
#include "doc/FtpRun.h"
#include "doc/FtpTrace.h"
#include "doc/FtpWorkDir.h"
#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/FtpSession.h"
#include "platform/IpText.h"
#include "platform/Process.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char FTP_SCRIPT_NAME[] = "_ftpscr_.txt";
// The reserved values the check passes, as the manager always has.
constexpr int FTP_CONNECT_RESERVED1 = 5000;
constexpr int FTP_CONNECT_RESERVED2 = 1;

struct SScriptRun {
    int nResult = FTPRUN_NO_PROCESS;
    std::optional<std::string> listing; // after an end in time, when the client wrote one
    SFtpReply reply;                    // what the client reported of the marked command
};

std::string Formatted(const char* pszFormat, const std::string& str1, const std::string& str2) {
    char sz[1024];
    std::snprintf(sz, sizeof sz, pszFormat, str1.c_str(), str2.c_str());
    return sz;
}

// Writes the script into a private folder, starts the client there on it,
// removes the script as soon as the client holds it open, and waits for the end.
SScriptRun RunFtpScript(CMessagePump& pump, const SFtpRunEnv& env, const std::string& strScriptName,
                        const std::string& strScript, const std::string& strHost,
                        const char* pszListing, const CFtpTrace& trace) {
    SScriptRun run;
    CFtpWorkDir dir;
    if (dir.Path().empty()) {
        return run;
    }
    std::string strScriptPath = dir.File(strScriptName);
    std::string strError;
    if (CreateExclusiveFile(strScriptPath, strScript, 0600, strError) != 0) {
        return run;
    }
    std::vector<std::string> vecArgs{env.strClient};
    vecArgs.insert(vecArgs.end(), std::begin(FTP_CLIENT_OPTIONS), std::end(FTP_CLIENT_OPTIONS));
    vecArgs.push_back(strHost);
    CProcess proc;
    bool bStarted = proc.Start({vecArgs, strScriptPath, dir.Path(), true}, strError);
    ::unlink(strScriptPath.c_str());
    if (!bStarted) {
        trace.Say(TXT_FTPTRACE_NO_START, strError);
        return run;
    }
    if (trace.IsOn()) {
        std::string strCommand;
        for (const std::string& strArg : vecArgs) {
            strCommand += (strCommand.empty() ? "" : " ") + strArg;
        }
        trace.Say(TXT_FTPTRACE_START, strCommand);
        trace.SayLines(TXT_FTPTRACE_SCRIPT, strScript);
    }
    if (!proc.Wait(pump, env.dwTimeLimit)) {
        proc.Terminate();
        trace.Say(TXT_FTPTRACE_TIMEOUT);
        run.nResult = FTPRUN_TIMEOUT;
        return run;
    }
    run.nResult = FTPRUN_OK;
    run.listing = dir.Read(pszListing, FTP_LISTING_MAX);
    const std::string strOutput = proc.ReadOutput(FTP_OUTPUT_MAX);
    const std::string strErrors = proc.ReadErrors(FTP_OUTPUT_MAX);
    trace.SayLines(TXT_FTPTRACE_OUTPUT, strOutput + strErrors);
    trace.SayStatus(TXT_FTPTRACE_END, proc.GetWaitStatus());
    run.reply = ReadMarkedReply(strOutput, strErrors, FtpMarkerLine(dir.Path()));
    return run;
}
} // namespace

void COrvixDoc::SetFtpRunEnv(SFtpRunEnv env) {
    m_ftpEnv = std::move(env);
}

bool COrvixDoc::CreateFtpClient() {
    try {
        m_pFtpClient =
            m_ftpEnv.fnCreateClient ? m_ftpEnv.fnCreateClient() : std::make_unique<CFtpClient>();
    } catch (const CFtpError& err) {
        std::string strIgnored;
        err.GetErrorMessage(strIgnored); // not shown: the caller reports the result
        m_pFtpClient.reset();
    }
    if (m_pFtpClient == nullptr) {
        return false;
    }
    m_pFtpClient->SetPump(&m_env.pump);
    return true;
}

bool COrvixDoc::CheckFtpConnection(const std::string& strHost, const std::string& strUser,
                                   const std::string& strPassword) {
    if (m_pFtpClient == nullptr) {
        return false;
    }
    CFtpTrace trace(m_ftpEnv, strHost, strUser, strPassword);
    trace.Say(TXT_FTPTRACE_CHECK);
    try {
        if (!m_pFtpClient->Connect(strHost, FTP_CONNECT_RESERVED1, FTP_CONNECT_RESERVED2, strUser,
                                   strPassword, m_ftpEnv.wCheckPort, false)) {
            trace.Say(TXT_FTPTRACE_CHECK_FAILED);
            m_env.ui.ShowMessage(TXT_FTP_CONNECT_FAILED);
            return false;
        }
        trace.Say(TXT_FTPTRACE_CHECK_OK);
    } catch (const CFtpError& err) {
        trace.Say(TXT_FTPTRACE_CHECK_FAILED);
        m_env.ui.ShowMessage(CheckFailureText(err));
        return false;
    }
    return true;
}

void COrvixDoc::ReleaseFtpClient() {
    if (m_pFtpClient != nullptr) {
        m_pFtpClient->CloseConnection();
        m_pFtpClient.reset();
    }
}

int COrvixDoc::CheckFtpAccount(const std::string& strHost, const std::string& strUser,
                               const std::string& strPassword) {
    if (!CreateFtpClient()) {
        return FTPRUN_NO_SESSION;
    }
    bool bConnected = CheckFtpConnection(strHost, strUser, strPassword);
    ReleaseFtpClient();
    return bConnected ? FTPRUN_OK : FTPRUN_NO_CONNECTION;
}

int COrvixDoc::RunFtpPut(const std::string& strHost, const std::string& strLocalPath,
                         const std::string& strUser, const std::string& strPassword,
                         int nShowListing) {
    ++m_nFtpScriptCount;
    m_ftpReply = SFtpReply();
    if (!IsAccountSafe(strUser, strPassword)) {
        m_env.ui.ShowMessage(TXT_FTP_UNSAFE_ACCOUNT);
        return FTPRUN_UNSAFE_TEXT;
    }
    if (!IsScriptSafePath(strLocalPath)) {
        m_env.ui.ShowMessage(TXT_FTP_UNSAFE_PATH);
        return FTPRUN_UNSAFE_TEXT;
    }
    SScriptRun run;
    {
        CWaitCursorScope cursor(m_env.ui);
        int nCheck = CheckFtpAccount(strHost, strUser, strPassword);
        if (nCheck != FTPRUN_OK) {
            return nCheck;
        }
        char szName[64];
        std::snprintf(szName, sizeof szName, FTP_PUT_SCRIPT_FORMAT, m_nFtpScriptCount);
        run = RunFtpScript(m_env.pump, m_ftpEnv, szName,
                           ComposePutScript(strUser, strPassword, strLocalPath), strHost,
                           FTP_LISTING_PUT, CFtpTrace(m_ftpEnv, strHost, strUser, strPassword));
    }
    if (run.nResult == FTPRUN_TIMEOUT) {
        m_env.ui.ShowMessage(TXT_FTP_TIMEOUT);
        return FTPRUN_TIMEOUT;
    }
    if (run.nResult != FTPRUN_OK) {
        return run.nResult;
    }
    m_ftpReply = run.reply;
    if (nShowListing == 1) {
        CFileInfoDlg dlg(run.listing);
        dlg.Run(m_env.ui);
    }
    // The server's answer to the put decides, never the listing: a node may
    // list what it installed under another name and size.
    return TransferResult(run.reply);
}

int COrvixDoc::CheckAndListFiles(const std::string& strHost, const std::string& strUser,
                                 const std::string& strPassword, uint32_t dwPauseAfter,
                                 int& nRunResult, std::optional<std::string>& listing) {
    if (!IsAccountSafe(strUser, strPassword)) {
        m_env.ui.ShowMessage(TXT_FTP_UNSAFE_ACCOUNT);
        return FTPRUN_UNSAFE_TEXT;
    }
    CWaitCursorScope cursor(m_env.ui);
    int nCheck = CheckFtpAccount(strHost, strUser, strPassword);
    if (nCheck != FTPRUN_OK) {
        return nCheck;
    }
    // Waited for to its end, so a dialog never reads half a listing.
    SScriptRun run = RunFtpScript(
        m_env.pump, m_ftpEnv, FTP_SCRIPT_NAME, ComposeListingScript(strUser, strPassword), strHost,
        FTP_LISTING_DIR, CFtpTrace(m_ftpEnv, strHost, strUser, strPassword));
    if (dwPauseAfter > 0) {
        m_env.clock.Sleep(dwPauseAfter);
    }
    nRunResult = run.nResult;
    listing = std::move(run.listing);
    return FTPRUN_OK;
}

int COrvixDoc::RunFtpListing(const std::string& strHost, const std::string& strUser,
                             const std::string& strPassword) {
    int nRun = FTPRUN_NO_PROCESS;
    std::optional<std::string> listing;
    int nCheck = CheckAndListFiles(strHost, strUser, strPassword, 0, nRun, listing);
    if (nCheck != FTPRUN_OK) {
        return nCheck;
    }
    if (nRun == FTPRUN_OK) {
        CFileInfoDlg dlg(listing);
        dlg.Run(m_env.ui);
    }
    return FTPRUN_OK;
}

int COrvixDoc::RunFtpDeleteSelection(const std::string& strHost, const std::string& strUser,
                                     const std::string& strPassword) {
    int nRun = FTPRUN_NO_PROCESS;
    std::optional<std::string> listing;
    int nCheck =
        CheckAndListFiles(strHost, strUser, strPassword, FTP_SELECTION_PAUSE_MS, nRun, listing);
    if (nCheck != FTPRUN_OK) {
        return nCheck;
    }
    CAppInfoDlg dlg(strHost, strUser, strPassword, nRun == FTPRUN_OK ? listing : std::nullopt);
    if (dlg.Run(m_env.ui) != DIALOG_OK || dlg.GetSelection().empty()) {
        return FTPRUN_OK;
    }
    // Whole names, never the joined text: a name may hold a comma.
    const std::vector<std::string> vecNames = dlg.GetSelection();
    for (const std::string& strName : vecNames) {
        if (!IsScriptSafeText(strName) || strName.size() > FTP_NAME_MAX) {
            m_env.ui.ShowMessage(TXT_FTP_UNSAFE_NAME);
            return FTPRUN_UNSAFE_TEXT;
        }
    }
    if (m_env.ui.ShowMessage(ComposeDeleteConfirmation(vecNames), EMsgButtons::OkCancel,
                             EMsgIcon::Question) != EMsgAnswer::Ok) {
        return FTPRUN_OK;
    }
    // Only the last deletion shows what is left.
    for (size_t i = 0; i < vecNames.size(); ++i) {
        RunFtpDelete(strUser, strPassword, strHost, vecNames[i], i + 1 == vecNames.size() ? 1 : 0);
    }
    return FTPRUN_OK;
}

std::string COrvixDoc::ComposeDeleteConfirmation(const std::vector<std::string>& vecNames) {
    // Measured in CP932 bytes, as the message buffer holds them.
    std::string strTailCp932;
    Utf8ToCp932(TXT_DELETE_CONFIRM_TAIL, strTailCp932);
    std::string strText;
    size_t nCp932 = strTailCp932.size();
    for (const std::string& strName : vecNames) {
        std::string strLineCp932;
        std::string strLine;
        char szLine[128];
        std::snprintf(szLine, sizeof szLine, TXT_DELETE_CONFIRM_LINE,
                      Cp932ToUtf8Lossy(strName).c_str());
        strLine = szLine;
        Utf8ToCp932(strLine, strLineCp932);
        if (nCp932 + strLineCp932.size() > FTP_CONFIRM_MAX) {
            break; // cannot happen with a selection within its bounds
        }
        nCp932 += strLineCp932.size();
        strText += strLine;
    }
    return strText + TXT_DELETE_CONFIRM_TAIL;
}

void COrvixDoc::RunFtpDelete(const std::string& strUser, const std::string& strPassword,
                             const std::string& strHost, const std::string& strFileName,
                             int nShowListing) {
    if (!IsAccountSafe(strUser, strPassword)) {
        m_env.ui.ShowMessage(TXT_FTP_UNSAFE_ACCOUNT);
        return;
    }
    if (!IsScriptSafeText(strFileName) || strFileName.empty()) {
        m_env.ui.ShowMessage(TXT_FTP_UNSAFE_NAME);
        return;
    }
    SScriptRun run;
    {
        CWaitCursorScope cursor(m_env.ui);
        int nCheck = CheckFtpAccount(strHost, strUser, strPassword);
        if (nCheck == FTPRUN_NO_SESSION) {
            return;
        }
        if (nCheck == FTPRUN_NO_CONNECTION) {
            m_env.ui.ShowMessage(TXT_FTP_CONNECT_ERR);
            return;
        }
        run = RunFtpScript(m_env.pump, m_ftpEnv, FTP_SCRIPT_NAME,
                           ComposeDeleteScript(strUser, strPassword, strFileName), strHost,
                           FTP_LISTING_PUT, CFtpTrace(m_ftpEnv, strHost, strUser, strPassword));
    }
    // The node the deletion went to, as the registry has it at that address.
    std::string strMac;
    for (int i = 0; const COXParam* pNode = GetNode(i); ++i) {
        if (FormatIpHost(pNode->m_dwIp) == strHost) {
            strMac = pNode->m_strMac;
            break;
        }
    }
    const std::string strName = Cp932ToUtf8Lossy(strFileName);
    if (run.nResult != FTPRUN_OK) {
        LogOperation(OPLOG_APP_DELETE, strMac, ParseIpHost(strHost), OPLOG_FAILED, strName);
        return;
    }
    if (TransferResult(run.reply) != FTPRUN_OK) {
        std::string strText = Formatted(TXT_FTP_DELETE_FAILED, strName, run.reply.strText);
        m_env.ui.ShowMessage(strText);
        LogOperation(OPLOG_APP_DELETE, strMac, ParseIpHost(strHost), OPLOG_FAILED, strText);
    } else {
        LogOperation(OPLOG_APP_DELETE, strMac, ParseIpHost(strHost), OPLOG_OK, strName);
    }
    if (nShowListing == 1) {
        CFileInfoDlg dlg(run.listing);
        dlg.Run(m_env.ui);
    }
}
