#pragma once
#include "registry/IpSearchList.h"
#include "ui/DialogModel.h"

#include <string>
#include <vector>

// Control ids of the IP search dialog.
inline constexpr int IDC_IPS_EDIT = 1300;
inline constexpr int IDC_IPS_REGISTER = 1301;
inline constexpr int IDC_IPS_ADDR_LIST = 1302; // GetInt: selected row, -1 none
inline constexpr int IDC_IPS_DELETE = 1303;
inline constexpr int IDC_IPS_ADD = 1304;
inline constexpr int IDC_IPS_REMOVE = 1305;
inline constexpr int IDC_IPS_TARGET_LIST = 1306; // GetInt: selected row, -1 none
inline constexpr int IDC_IPS_SEARCH = 1307;
inline constexpr int IDC_IPS_GROUP = CTL_GROUP_FIRST; // "IPアドレスの登録"
inline constexpr int IPS_EDIT_LIMIT = 15;
// End result of the dialog when the operator chose "検索".
inline constexpr int IPS_RESULT_SEARCH = IDC_IPS_SEARCH;

// The IP search dialog over the document's two lists. The list boxes show the
// lists sorted as text; after every change the document's lists are rebuilt
// from the list boxes' last row to their first.
class CIpSearchDlg : public CDialogModel {
public:
    CIpSearchDlg(std::vector<CIpSearchList>& listIpAddr, std::vector<CIpSearchList>& listTargets);

    const char* GetDialogName() const override { return "CIpSearchDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    SDialogAction OnListEvent(CUi& ui, int nId, EListEvent eEvent) override;

    // Valid dotted text: three dots, none leading, trailing or doubled, and parsable.
    static bool IsValidAddressText(const std::string& strText);

private:
    SDialogAction Register();
    void Refresh(); // list boxes to the document, and to the controls
    bool AddSelectedToTargets();
    void RemoveSelectedTarget();
    static void SortedInsert(std::vector<std::string>& vec, const std::string& str);

    std::vector<CIpSearchList>& m_listIpAddr;
    std::vector<CIpSearchList>& m_listTargets;
    std::vector<std::string> m_vecAddrRows;   // as the list box shows them
    std::vector<std::string> m_vecTargetRows; // as the list box shows them
};
