#pragma once
#include "ui/DialogModel.h"

#include <optional>
#include <string>
#include <vector>

inline constexpr int IDC_APPINFO_INSTALLED = 1067;
inline constexpr int IDC_APPINFO_DELETE_LIST = 1068;
inline constexpr int IDC_APPINFO_ADD = 1150;
inline constexpr int IDC_APPINFO_REMOVE = 1153;
inline constexpr int IDC_APPINFO_ALL = 1159;
inline constexpr int IDC_APPINFO_INSTALLED_LABEL = LabelOf(IDC_APPINFO_INSTALLED);
inline constexpr int IDC_APPINFO_DELETE_LABEL = LabelOf(IDC_APPINFO_DELETE_LIST);

// Installed user applications in a listing: after each "user", the text
// from the next 'V' to the end of its line (CR or LF), whole.
std::vector<std::string> ParseInstalledEntries(const std::string& strListing);
// The same as the list shows them: each at most 99 bytes.
std::vector<std::string> ParseInstalledApps(const std::string& strListing);
// The file name of an entry: what follows its first space; empty without one.
std::string AppFileName(const std::string& strEntry);

// The application dialog: the installed applications of a listing, and the
// names the operator chose to delete. Texts are the listing's bytes (CP932).
class CAppInfoDlg : public CDialogModel {
public:
    // Host and account are held for the caller, not used here. Without a
    // listing (it could not be read) the lists stay empty.
    CAppInfoDlg(std::string strHost, std::string strUser, std::string strPassword,
                const std::optional<std::string>& listing);

    const char* GetDialogName() const override { return "CAppInfoDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    SDialogAction OnListEvent(CUi& ui, int nId, EListEvent eEvent) override;

    // Opens it modally and returns its end. A listing without "user" means no
    // user application: a message, and OK with an empty selection.
    int Run(CUi& ui);
    // After OK: the chosen names in list order, each whole.
    const std::vector<std::string>& GetSelection() const { return m_vecSelection; }
    // The same joined by commas (a name may hold a comma itself: only for showing).
    const std::string& GetSelectionText() const { return m_strSelection; }

    const std::string m_strHost;
    const std::string m_strUser;
    const std::string m_strPassword;

private:
    // Adds the file name of installed entry nRow; a message when it cannot be.
    std::string AddEntry(int nRow);
    SDialogAction RemoveSelected();
    size_t JoinedSize(const std::vector<std::string>& vecNames) const;

    std::optional<std::string> m_listing;
    std::vector<std::string> m_vecWholeEntries; // the list's entries before their cut
    std::vector<std::string> m_vecSelection;
    std::string m_strSelection;
};
