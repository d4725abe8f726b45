#include "doc/AppInfoDlg.h"

#include "doc/FtpRun.h"
#include "platform/Cp932.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <algorithm>

namespace {
// An installed entry is cut here, never inside a double-byte character.
constexpr size_t APP_ENTRY_MAX = 99;

std::string CutCp932(const std::string& str, size_t nMax) {
    size_t n = 0;
    while (n < str.size()) {
        size_t nChar = IsCp932LeadByte(static_cast<unsigned char>(str[n])) ? 2 : 1;
        if (n + nChar > nMax) {
            break;
        }
        n += nChar;
    }
    return str.substr(0, std::min(n, str.size()));
}
} // namespace

std::vector<std::string> ParseInstalledEntries(const std::string& strListing) {
    std::vector<std::string> vec;
    size_t nPos = 0;
    while ((nPos = strListing.find("user", nPos)) != std::string::npos) {
        size_t nV = strListing.find('V', nPos);
        if (nV == std::string::npos) {
            break;
        }
        // tnftp writes LF, the node CR LF: either ends the entry.
        size_t nEnd = strListing.find_first_of("\r\n", nV);
        vec.push_back(
            strListing.substr(nV, nEnd == std::string::npos ? std::string::npos : nEnd - nV));
        if (nEnd == std::string::npos) {
            break;
        }
        nPos = nEnd;
    }
    return vec;
}

std::vector<std::string> ParseInstalledApps(const std::string& strListing) {
    std::vector<std::string> vec = ParseInstalledEntries(strListing);
    for (std::string& strEntry : vec) {
        strEntry = CutCp932(strEntry, APP_ENTRY_MAX);
    }
    return vec;
}

std::string AppFileName(const std::string& strEntry) {
    size_t nSpace = strEntry.find(' ');
    return nSpace == std::string::npos ? std::string() : strEntry.substr(nSpace + 1);
}

CAppInfoDlg::CAppInfoDlg(std::string strHost, std::string strUser, std::string strPassword,
                         const std::optional<std::string>& listing)
    : m_strHost(std::move(strHost)), m_strUser(std::move(strUser)),
      m_strPassword(std::move(strPassword)), m_listing(listing) {
    SetControls({
        SControl::Captioned(IDC_APPINFO_INSTALLED_LABEL, ECtl::Label, TXT_APPINFO_INSTALLED),
        SControl::Of(IDC_APPINFO_INSTALLED, ECtl::ListBox),
        SControl::Captioned(IDC_APPINFO_DELETE_LABEL, ECtl::Label, TXT_APPINFO_DELETE_LIST),
        SControl::Of(IDC_APPINFO_DELETE_LIST, ECtl::ListBox),
        SControl::Captioned(IDC_APPINFO_ADD, ECtl::Button, TXT_APPINFO_ADD),
        SControl::Captioned(IDC_APPINFO_REMOVE, ECtl::Button, TXT_APPINFO_REMOVE),
        SControl::Captioned(IDC_APPINFO_ALL, ECtl::Button, TXT_APPINFO_ALL),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_APPINFO_OK).Disabled(),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_APPINFO_CANCEL),
    });
    SetTitle(TXT_APPINFO_TITLE);
    SetInt(IDC_APPINFO_INSTALLED, -1);
    SetInt(IDC_APPINFO_DELETE_LIST, -1);
    if (m_listing.has_value()) {
        m_vecWholeEntries = ParseInstalledEntries(*m_listing);
        SetItems(IDC_APPINFO_INSTALLED, ParseInstalledApps(*m_listing));
    }
}

int CAppInfoDlg::Run(CUi& ui) {
    m_vecSelection.clear();
    m_strSelection.clear();
    if (!m_listing.has_value()) {
        ui.ShowMessage(TXT_APPINFO_UNREADABLE);
    } else if (m_listing->find("user") == std::string::npos) {
        ui.ShowMessage(TXT_APPINFO_NO_USER_APP);
        return DIALOG_OK; // nothing to choose, nothing deleted
    }
    return ui.DoModal(*this);
}

size_t CAppInfoDlg::JoinedSize(const std::vector<std::string>& vecNames) const {
    size_t n = 0;
    for (const std::string& str : vecNames) {
        n += str.size() + (n > 0 ? 1 : 0);
    }
    return n;
}

std::string CAppInfoDlg::AddEntry(int nRow) {
    // The name of the whole entry, not of the one cut for the list: a cut name
    // would name a file the node never listed.
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_vecWholeEntries.size()) {
        return {};
    }
    std::string strName = AppFileName(m_vecWholeEntries[static_cast<size_t>(nRow)]);
    std::vector<std::string> vecNames = GetItems(IDC_APPINFO_DELETE_LIST);
    if (strName.empty() || std::find(vecNames.begin(), vecNames.end(), strName) != vecNames.end()) {
        return {};
    }
    // A longer name would be cut to another file's name on the way; one with
    // a control character cannot reach the node whole.
    if (strName.size() > FTP_NAME_MAX) {
        return TXT_APPINFO_NAME_TOO_LONG;
    }
    if (!IsScriptSafeText(strName)) {
        return TXT_APPINFO_NAME_UNSENDABLE;
    }
    vecNames.push_back(strName);
    if (JoinedSize(vecNames) > FTP_SELECTION_MAX) {
        return TXT_APPINFO_LIST_FULL;
    }
    SetItems(IDC_APPINFO_DELETE_LIST, std::move(vecNames));
    Enable(DIALOG_OK, true);
    return {};
}

SDialogAction CAppInfoDlg::RemoveSelected() {
    std::vector<std::string> vecNames = GetItems(IDC_APPINFO_DELETE_LIST);
    int nRow = GetInt(IDC_APPINFO_DELETE_LIST);
    if (nRow < 0 || static_cast<size_t>(nRow) >= vecNames.size()) {
        return SDialogAction::StayOpen();
    }
    vecNames.erase(vecNames.begin() + nRow);
    bool bEmpty = vecNames.empty();
    SetItems(IDC_APPINFO_DELETE_LIST, std::move(vecNames));
    SetInt(IDC_APPINFO_DELETE_LIST, -1);
    if (bEmpty) {
        Enable(DIALOG_OK, false);
    }
    return SDialogAction::StayOpen();
}

SDialogAction CAppInfoDlg::OnCommand(CUi& /*ui*/, int nId) {
    switch (nId) {
    case IDC_APPINFO_ADD: {
        std::string strMessage = AddEntry(GetInt(IDC_APPINFO_INSTALLED));
        return strMessage.empty() ? SDialogAction::StayOpen()
                                  : SDialogAction::Fail(strMessage, IDC_APPINFO_INSTALLED);
    }
    case IDC_APPINFO_ALL: {
        std::string strFirst;
        int nCount = static_cast<int>(GetItems(IDC_APPINFO_INSTALLED).size());
        for (int nRow = 0; nRow < nCount; ++nRow) {
            std::string strMessage = AddEntry(nRow);
            if (strFirst.empty()) {
                strFirst = strMessage;
            }
        }
        return strFirst.empty() ? SDialogAction::StayOpen()
                                : SDialogAction::Fail(strFirst, IDC_APPINFO_INSTALLED);
    }
    case IDC_APPINFO_REMOVE:
        return RemoveSelected();
    case DIALOG_OK: {
        m_vecSelection = GetItems(IDC_APPINFO_DELETE_LIST);
        m_strSelection.clear();
        for (const std::string& str : m_vecSelection) {
            if (!m_strSelection.empty()) {
                m_strSelection += ',';
            }
            m_strSelection += str;
        }
        return SDialogAction::CloseWith(DIALOG_OK);
    }
    case DIALOG_CANCEL:
        m_vecSelection.clear();
        m_strSelection.clear();
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    default:
        return SDialogAction::StayOpen();
    }
}

SDialogAction CAppInfoDlg::OnListEvent(CUi& ui, int nId, EListEvent eEvent) {
    if (eEvent != EListEvent::DoubleClick) {
        return SDialogAction::StayOpen();
    }
    if (nId == IDC_APPINFO_INSTALLED) {
        return OnCommand(ui, IDC_APPINFO_ADD);
    }
    if (nId == IDC_APPINFO_DELETE_LIST) {
        return RemoveSelected();
    }
    return SDialogAction::StayOpen();
}
