#include "ops/DownloadTargetDlg.h"

#include "res/Texts.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<std::string> SplitAtCommas(const std::string& strText) {
    std::vector<std::string> vec;
    if (strText.empty()) {
        return vec;
    }
    size_t nStart = 0;
    for (;;) {
        size_t nComma = strText.find(',', nStart);
        vec.push_back(strText.substr(nStart, nComma - nStart));
        if (nComma == std::string::npos) {
            return vec;
        }
        nStart = nComma + 1;
    }
}
} // namespace

CDownloadTargetDlg::CDownloadTargetDlg(const std::string& strRegistered) {
    SetControls({
        SControl::Captioned(IDC_BATCH_REGISTERED_LABEL, ECtl::Label, TXT_BATCH_REGISTERED),
        SControl::Of(IDC_BATCH_REGISTERED, ECtl::ListBox),
        SControl::Captioned(IDC_BATCH_TARGETS_LABEL, ECtl::Label, TXT_BATCH_TARGETS),
        SControl::Of(IDC_BATCH_TARGETS, ECtl::ListBox),
        SControl::Captioned(IDC_BATCH_ADD, ECtl::Button, TXT_BATCH_ADD),
        SControl::Captioned(IDC_BATCH_REMOVE, ECtl::Button, TXT_BATCH_REMOVE),
        SControl::Captioned(IDC_BATCH_ALL, ECtl::Button, TXT_BATCH_ALL),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_BATCH_OK).Disabled(),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_BATCH_CANCEL),
    });
    SetTitle(TXT_BATCH_TARGET_TITLE);
    SetItems(IDC_BATCH_REGISTERED, SplitAtCommas(strRegistered));
    SetInt(IDC_BATCH_REGISTERED, -1);
    SetInt(IDC_BATCH_TARGETS, -1);
}

bool CDownloadTargetDlg::AddEntry(int nRow) {
    std::vector<std::string> vecTargets = GetItems(IDC_BATCH_TARGETS);
    if (vecTargets.size() >= BATCH_MAX_TARGETS) {
        return false;
    }
    const std::vector<std::string>& vecRegistered = GetItems(IDC_BATCH_REGISTERED);
    if (nRow < 0 || static_cast<size_t>(nRow) >= vecRegistered.size()) {
        return true;
    }
    // Whole texts are compared: 192.168.0.1 is not 192.168.0.10.
    const std::string& strEntry = vecRegistered[static_cast<size_t>(nRow)];
    if (std::find(vecTargets.begin(), vecTargets.end(), strEntry) == vecTargets.end()) {
        vecTargets.push_back(strEntry);
        SetItems(IDC_BATCH_TARGETS, std::move(vecTargets));
        Enable(DIALOG_OK, true);
    }
    return true;
}

SDialogAction CDownloadTargetDlg::AddSelected() {
    if (!AddEntry(GetInt(IDC_BATCH_REGISTERED))) {
        return SDialogAction::Fail(TXT_BATCH_TARGETS_FULL, IDC_BATCH_REGISTERED);
    }
    return SDialogAction::StayOpen();
}

SDialogAction CDownloadTargetDlg::AddAll() {
    size_t nRegistered = GetItems(IDC_BATCH_REGISTERED).size();
    size_t nConsidered = std::min(nRegistered, BATCH_MAX_TARGETS);
    for (size_t n = 0; n < nConsidered && AddEntry(static_cast<int>(n)); ++n) {
    }
    // Said whenever there are 16 or more, over the list as it now stands.
    if (nRegistered >= BATCH_MAX_TARGETS) {
        return SDialogAction::Fail(TXT_BATCH_FIRST_16, 0);
    }
    return SDialogAction::StayOpen();
}

SDialogAction CDownloadTargetDlg::RemoveSelected() {
    std::vector<std::string> vecTargets = GetItems(IDC_BATCH_TARGETS);
    int nRow = GetInt(IDC_BATCH_TARGETS);
    if (nRow < 0 || static_cast<size_t>(nRow) >= vecTargets.size()) {
        return SDialogAction::StayOpen();
    }
    vecTargets.erase(vecTargets.begin() + nRow);
    bool bEmpty = vecTargets.empty();
    SetItems(IDC_BATCH_TARGETS, std::move(vecTargets));
    SetInt(IDC_BATCH_TARGETS, -1);
    if (bEmpty) {
        Enable(DIALOG_OK, false);
    }
    return SDialogAction::StayOpen();
}

SDialogAction CDownloadTargetDlg::OnCommand(CUi& /*ui*/, int nId) {
    switch (nId) {
    case IDC_BATCH_ADD:
        return AddSelected();
    case IDC_BATCH_REMOVE:
        return RemoveSelected();
    case IDC_BATCH_ALL:
        return AddAll();
    case DIALOG_OK: {
        // Enter reaches here even while the button is disabled.
        m_strTargets.clear();
        const std::vector<std::string>& vecTargets = GetItems(IDC_BATCH_TARGETS);
        if (vecTargets.empty()) {
            return SDialogAction::CloseWith(DIALOG_CANCEL);
        }
        for (const std::string& str : vecTargets) {
            if (!m_strTargets.empty()) {
                m_strTargets += ',';
            }
            m_strTargets += str;
        }
        return SDialogAction::CloseWith(DIALOG_OK);
    }
    case DIALOG_CANCEL:
        m_strTargets.clear();
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    default:
        return SDialogAction::StayOpen();
    }
}

SDialogAction CDownloadTargetDlg::OnListEvent(CUi& ui, int nId, EListEvent eEvent) {
    if (eEvent != EListEvent::DoubleClick) {
        return SDialogAction::StayOpen();
    }
    if (nId == IDC_BATCH_REGISTERED) {
        return OnCommand(ui, IDC_BATCH_ADD);
    }
    if (nId == IDC_BATCH_TARGETS) {
        return RemoveSelected();
    }
    return SDialogAction::StayOpen();
}
