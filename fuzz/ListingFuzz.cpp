// A node's listing through the application dialog to the deletion scripts:
// the installed entries found in it, the names an operator adds, removes or
// takes all of, the checks the deletion makes, the confirmation and the
// scripts the client would be fed (composed, never run).
// Oracles: the dialog lists the listing's entries in order; no script line is
// made from a name that was not chosen whole from one entry; each script is
// the fixed lines, its deletion line read by the client's own tokenizer as
// exactly "del" and the name, its login line as the account; the confirmation
// names every chosen name.
#include "FuzzSupport.h"
#include "cli/CtlUi.h"
#include "doc/AppInfoDlg.h"
#include "doc/FtpRun.h"
#include "doc/OrvixDoc.h"
#include "platform/Cp932.h"

#include <algorithm>

namespace {
// How tnftp splits a command line into words (its makeargv): blanks separate,
// a backslash takes the next character as it is, double quotes group.
std::vector<std::string> ClientWords(const std::string& strLine) {
    std::vector<std::string> vec;
    size_t i = 0;
    while (i < strLine.size()) {
        while (i < strLine.size() && (strLine[i] == ' ' || strLine[i] == '\t')) {
            ++i;
        }
        if (i >= strLine.size()) {
            break;
        }
        std::string strWord;
        bool bGot = false;
        bool bQuoted = false;
        for (; i < strLine.size(); ++i) {
            char c = strLine[i];
            if (bQuoted) {
                if (c == '"') {
                    bQuoted = false;
                } else {
                    strWord += c;
                    bGot = true;
                }
            } else if (c == ' ' || c == '\t') {
                break;
            } else if (c == '\\') {
                if (++i < strLine.size()) {
                    strWord += strLine[i];
                    bGot = true;
                }
            } else if (c == '"') {
                bQuoted = true;
            } else {
                strWord += c;
                bGot = true;
            }
        }
        if (bGot) {
            vec.push_back(strWord);
        }
    }
    return vec;
}

std::vector<std::string> Lines(const std::string& str) {
    std::vector<std::string> vec;
    size_t nStart = 0;
    while (nStart < str.size()) {
        size_t nEnd = str.find('\n', nStart);
        FUZZ_CHECK(nEnd != std::string::npos, "a script's last line has no line end");
        vec.push_back(str.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    return vec;
}

// The installed entries by the documented rule, whole: after each "user",
// from the next 'V' to the end of its line.
std::vector<std::string> WholeEntries(const std::string& strListing) {
    std::vector<std::string> vec;
    size_t nPos = 0;
    while ((nPos = strListing.find("user", nPos)) != std::string::npos) {
        size_t nV = strListing.find('V', nPos);
        if (nV == std::string::npos) {
            break;
        }
        size_t nEnd = strListing.find_first_of("\r\n", nV);
        vec.push_back(strListing.substr(nV, nEnd == std::string::npos ? nEnd : nEnd - nV));
        if (nEnd == std::string::npos) {
            break;
        }
        nPos = nEnd;
    }
    return vec;
}

void CheckScript(const std::string& strScript, const std::string& strUser,
                 const std::string& strPassword, const std::string& strName) {
    std::vector<std::string> vecLines = Lines(strScript);
    size_t n = 0;
    FUZZ_CHECK(!vecLines.empty() &&
                   ClientWords(vecLines[n]) ==
                       (strPassword.empty()
                            ? std::vector<std::string>{"user", strUser}
                            : std::vector<std::string>{"user", strUser, strPassword}),
               "the login line is not the account: " + Shown(vecLines.empty() ? "" : vecLines[0]));
    ++n;
    if (strPassword.empty()) {
        FUZZ_CHECK(vecLines.size() > n && vecLines[n].empty(), "no empty password line");
        ++n;
    }
    const std::vector<std::string> vecRest = {"bin",           "lpwd",  "",    "lpwd",
                                              "dir . Dir.txt", "close", "quit"};
    FUZZ_CHECK(vecLines.size() == n + vecRest.size(),
               "the script has other lines: " + Shown(strScript));
    for (size_t i = 0; i < vecRest.size(); ++i, ++n) {
        if (i == 2) {
            FUZZ_CHECK(ClientWords(vecLines[n]) == (std::vector<std::string>{"del", strName}),
                       "the deletion line does not name the chosen name whole: " +
                           Shown(vecLines[n]) + " for " + Shown(strName));
        } else {
            FUZZ_CHECK(vecLines[n] == vecRest[i], "unexpected script line " + Shown(vecLines[n]));
        }
    }
}
} // namespace

// Input: the account's user and password, the operator's steps (a byte each:
// the low three bits the step, the rest the row), each on a line of its own,
// then the listing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CInputReader in(pData, nSize);
    const std::string strUser = in.Until('\n');
    const std::string strPassword = in.Until('\n');
    const std::string strSteps = in.Until('\n');
    const std::vector<uint8_t> vecSteps(strSteps.begin(), strSteps.end());
    const std::string strListing = in.Rest();

    const std::vector<std::string> vecWhole = WholeEntries(strListing);
    CCtlUi ui;
    bool bShown = false;
    std::vector<std::string> vecAdded; // what the operator added, in order, removals applied
    ui.Answer("CAppInfoDlg", [&](CDialogModel& dlg) {
        bShown = true;
        const std::vector<std::string>& vecItems = dlg.GetItems(IDC_APPINFO_INSTALLED);
        FUZZ_CHECK(vecItems.size() == vecWhole.size(),
                   "the dialog lists another number of entries");
        for (size_t i = 0; i < vecItems.size(); ++i) {
            FUZZ_CHECK(vecWhole[i].compare(0, vecItems[i].size(), vecItems[i]) == 0 &&
                           !vecItems[i].empty(),
                       "an entry is not the start of the listing's entry: " + Shown(vecItems[i]));
        }
        for (uint8_t by : vecSteps) {
            int nRow = by >> 3;
            switch (by & 7) {
            case 0:
            case 1:
                dlg.SetInt(IDC_APPINFO_INSTALLED, nRow);
                dlg.OnCommand(ui, IDC_APPINFO_ADD);
                break;
            case 2:
                dlg.SetInt(IDC_APPINFO_INSTALLED, nRow);
                dlg.OnListEvent(ui, IDC_APPINFO_INSTALLED, EListEvent::DoubleClick);
                break;
            case 3:
                dlg.OnCommand(ui, IDC_APPINFO_ALL);
                break;
            case 4:
                dlg.SetInt(IDC_APPINFO_DELETE_LIST, nRow);
                dlg.OnCommand(ui, IDC_APPINFO_REMOVE);
                break;
            case 5:
                dlg.SetInt(IDC_APPINFO_DELETE_LIST, nRow);
                dlg.OnListEvent(ui, IDC_APPINFO_DELETE_LIST, EListEvent::DoubleClick);
                break;
            default:
                dlg.SetInt(IDC_APPINFO_INSTALLED, -1);
                dlg.OnCommand(ui, IDC_APPINFO_ADD);
                break;
            }
        }
        vecAdded = dlg.GetItems(IDC_APPINFO_DELETE_LIST);
        if (!dlg.IsEnabled(DIALOG_OK)) {
            FUZZ_CHECK(vecAdded.empty(), "OK is disabled with names in the delete list");
            return ui.Close(dlg, DIALOG_CANCEL);
        }
        return ui.Close(dlg, (vecSteps.size() & 1) == 0 ? DIALOG_OK : DIALOG_CANCEL);
    });

    CAppInfoDlg dlg("192.168.1.10", strUser, strPassword, strListing);
    const int nEnd = dlg.Run(ui);
    if (strListing.find("user") == std::string::npos) {
        FUZZ_CHECK(!bShown && nEnd == DIALOG_OK && dlg.GetSelection().empty(),
                   "a listing without user applications offered a choice");
        return 0;
    }
    if (nEnd != DIALOG_OK) {
        FUZZ_CHECK(dlg.GetSelection().empty(), "a cancelled dialog chose names");
        return 0;
    }
    const std::vector<std::string>& vecNames = dlg.GetSelection();
    FUZZ_CHECK(vecNames == vecAdded, "the selection is not the delete list");
    for (size_t i = 0; i < vecNames.size(); ++i) {
        FUZZ_CHECK(std::count(vecNames.begin(), vecNames.end(), vecNames[i]) == 1,
                   "a name is chosen twice");
        FUZZ_CHECK(std::any_of(vecWhole.begin(), vecWhole.end(),
                               [&](const std::string& strEntry) {
                                   return AppFileName(strEntry) == vecNames[i];
                               }),
                   "a chosen name is not the whole name of an entry: " + Shown(vecNames[i]));
    }
    // The deletion's own checks, then what it would show and feed the client.
    for (const std::string& strName : vecNames) {
        if (!IsScriptSafeText(strName) || strName.size() > FTP_NAME_MAX) {
            return 0; // refused whole, before anything is asked
        }
    }
    const std::string strConfirm = COrvixDoc::ComposeDeleteConfirmation(vecNames);
    for (const std::string& strName : vecNames) {
        FUZZ_CHECK(strConfirm.find("「" + Cp932ToUtf8Lossy(strName) + "」") != std::string::npos,
                   "the confirmation does not name " + Shown(strName));
    }
    const bool bAccountSafe =
        !strUser.empty() && IsScriptSafeText(strUser) && IsScriptSafeText(strPassword);
    for (const std::string& strName : vecNames) {
        if (!bAccountSafe || strName.empty()) {
            continue; // refused by the deletion
        }
        CheckScript(ComposeDeleteScript(strUser, strPassword, strName), strUser, strPassword,
                    strName);
    }
    return 0;
}
