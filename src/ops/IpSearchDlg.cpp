#include "ops/IpSearchDlg.h"

#include "platform/IpText.h"
#include "res/Texts.h"

#include <algorithm>

CIpSearchDlg::CIpSearchDlg(std::vector<CIpSearchList>& listIpAddr,
                           std::vector<CIpSearchList>& listTargets)
    : m_listIpAddr(listIpAddr), m_listTargets(listTargets) {
    SetControls({
        SControl::Captioned(IDC_IPS_GROUP, ECtl::Group, TXT_IPSEARCH_GROUP),
        SControl::Of(IDC_IPS_EDIT, ECtl::Edit, IPS_EDIT_LIMIT),
        SControl::Captioned(LabelOf(IDC_IPS_EDIT), ECtl::Label, TXT_IPSEARCH_HINT),
        SControl::Captioned(IDC_IPS_REGISTER, ECtl::Button, TXT_IPSEARCH_REGISTER),
        SControl::Captioned(LabelOf(IDC_IPS_ADDR_LIST), ECtl::Label, TXT_IPSEARCH_ADDR_LIST),
        SControl::Of(IDC_IPS_ADDR_LIST, ECtl::ListBox),
        SControl::Captioned(IDC_IPS_DELETE, ECtl::Button, TXT_IPSEARCH_DELETE),
        SControl::Captioned(IDC_IPS_ADD, ECtl::Button, TXT_IPSEARCH_ADD),
        SControl::Captioned(IDC_IPS_REMOVE, ECtl::Button, TXT_IPSEARCH_REMOVE),
        SControl::Captioned(LabelOf(IDC_IPS_TARGET_LIST), ECtl::Label, TXT_IPSEARCH_TARGET_LIST),
        SControl::Of(IDC_IPS_TARGET_LIST, ECtl::ListBox),
        SControl::Captioned(IDC_IPS_SEARCH, ECtl::Button, TXT_IPSEARCH_SEARCH),
    });
    SetTitle(TXT_IPSEARCH_TITLE);
    for (const CIpSearchList& entry : m_listIpAddr) {
        SortedInsert(m_vecAddrRows, entry.m_strIp);
    }
    for (const CIpSearchList& entry : m_listTargets) {
        SortedInsert(m_vecTargetRows, entry.m_strIp);
    }
    SetInt(IDC_IPS_ADDR_LIST, -1);
    SetInt(IDC_IPS_TARGET_LIST, -1);
    SetItems(IDC_IPS_ADDR_LIST, m_vecAddrRows);
    SetItems(IDC_IPS_TARGET_LIST, m_vecTargetRows);
}

bool CIpSearchDlg::IsValidAddressText(const std::string& strText) {
    if (strText.empty() || strText.front() == '.' || strText.back() == '.' ||
        std::count(strText.begin(), strText.end(), '.') != 3 ||
        strText.find("..") != std::string::npos) {
        return false;
    }
    uint32_t dwIp = 0;
    return ParseDottedAddress(strText, dwIp);
}

void CIpSearchDlg::SortedInsert(std::vector<std::string>& vec, const std::string& str) {
    vec.insert(std::upper_bound(vec.begin(), vec.end(), str), str);
}

void CIpSearchDlg::Refresh() {
    m_listIpAddr.clear();
    for (auto it = m_vecAddrRows.rbegin(); it != m_vecAddrRows.rend(); ++it) {
        m_listIpAddr.push_back(CIpSearchList{*it});
    }
    m_listTargets.clear();
    for (auto it = m_vecTargetRows.rbegin(); it != m_vecTargetRows.rend(); ++it) {
        m_listTargets.push_back(CIpSearchList{*it});
    }
    SetItems(IDC_IPS_ADDR_LIST, m_vecAddrRows);
    SetItems(IDC_IPS_TARGET_LIST, m_vecTargetRows);
    SetInt(IDC_IPS_ADDR_LIST, -1);
    SetInt(IDC_IPS_TARGET_LIST, -1);
}

SDialogAction CIpSearchDlg::Register() {
    std::string strText = GetText(IDC_IPS_EDIT).substr(0, IPS_EDIT_LIMIT);
    if (!IsValidAddressText(strText)) {
        return SDialogAction::Fail(TXT_NODE_IP_BAD, IDC_IPS_EDIT);
    }
    uint32_t dwIp = ParseIpHost(strText);
    bool bKnown = std::any_of(m_vecAddrRows.begin(), m_vecAddrRows.end(),
                              [&](const std::string& str) { return ParseIpHost(str) == dwIp; });
    if (!bKnown) {
        SortedInsert(m_vecAddrRows, strText);
        Refresh();
    }
    // The focus goes back to the edit with its text selected.
    SDialogAction action;
    action.nFocusId = IDC_IPS_EDIT;
    return action;
}

bool CIpSearchDlg::AddSelectedToTargets() {
    int nAddrRow = GetInt(IDC_IPS_ADDR_LIST);
    if (nAddrRow < 0 || static_cast<size_t>(nAddrRow) >= m_vecAddrRows.size()) {
        return false;
    }
    const std::string strIp = m_vecAddrRows[static_cast<size_t>(nAddrRow)];
    uint32_t dwIp = ParseIpHost(strIp);
    bool bThere = std::any_of(m_vecTargetRows.begin(), m_vecTargetRows.end(),
                              [&](const std::string& str) { return ParseIpHost(str) == dwIp; });
    if (!bThere) {
        SortedInsert(m_vecTargetRows, strIp);
        Refresh();
    }
    return true;
}

void CIpSearchDlg::RemoveSelectedTarget() {
    int nTargetRow = GetInt(IDC_IPS_TARGET_LIST);
    if (nTargetRow >= 0 && static_cast<size_t>(nTargetRow) < m_vecTargetRows.size()) {
        m_vecTargetRows.erase(m_vecTargetRows.begin() + nTargetRow);
        Refresh();
    }
}

SDialogAction CIpSearchDlg::OnCommand(CUi& /*ui*/, int nId) {
    int nAddrRow = GetInt(IDC_IPS_ADDR_LIST);
    switch (nId) {
    case IDC_IPS_REGISTER:
        return Register();
    case IDC_IPS_DELETE:
        if (nAddrRow >= 0 && static_cast<size_t>(nAddrRow) < m_vecAddrRows.size()) {
            m_vecAddrRows.erase(m_vecAddrRows.begin() + nAddrRow);
            Refresh();
        }
        break;
    case IDC_IPS_ADD:
        AddSelectedToTargets();
        break;
    case IDC_IPS_REMOVE:
        RemoveSelectedTarget();
        break;
    case IDC_IPS_SEARCH:
        return SDialogAction::CloseWith(IPS_RESULT_SEARCH);
    case DIALOG_CANCEL:
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    default:
        break;
    }
    return SDialogAction::StayOpen();
}

SDialogAction CIpSearchDlg::OnListEvent(CUi& /*ui*/, int nId, EListEvent eEvent) {
    if (eEvent == EListEvent::DoubleClick) {
        if (nId == IDC_IPS_ADDR_LIST) {
            AddSelectedToTargets();
        } else if (nId == IDC_IPS_TARGET_LIST) {
            RemoveSelectedTarget();
        }
    }
    return SDialogAction::StayOpen();
}
