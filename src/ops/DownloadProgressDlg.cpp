#include "ops/DownloadProgressDlg.h"

#include "platform/Cp932.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <vector>

namespace {
// The shortest address, "1.1.1.1", is longer.
constexpr size_t TARGET_PIECE_MIN = 7;

// Report cells hold CP932 like every operator text.
std::string Cell(const char* pszUtf8) {
    std::string str;
    Utf8ToCp932(pszUtf8, str);
    return str;
}
} // namespace

std::vector<std::string> RemainingTargets(const std::string& strTargets) {
    std::vector<std::string> vec;
    std::string strPiece;
    for (size_t n = 0; n <= strTargets.size(); ++n) {
        if (n == strTargets.size() || strTargets[n] == ',') {
            if (strPiece.size() >= TARGET_PIECE_MIN) {
                vec.push_back(strPiece);
            }
            strPiece.clear();
        } else if (strTargets[n] != '*') {
            strPiece += strTargets[n];
        }
    }
    return vec;
}

CDownloadProgressDlg::CDownloadProgressDlg() {
    SetControls({
        SControl::Report(
            IDC_PROGRESS_LIST,
            {{TXT_BATCH_COL_ADDRESS, 110}, {TXT_BATCH_COL_STATE, 110}, {TXT_BATCH_COL_RESULT, 80}}),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_BATCH_OK),
        SControl::Captioned(IDC_PROGRESS_STOP, ECtl::Button, TXT_BATCH_STOP).Hidden().Disabled(),
    });
    SetTitle(TXT_BATCH_PROGRESS_TITLE);
    SetInt(IDC_PROGRESS_LIST, -1);
}

void CDownloadProgressDlg::Begin(CUi& ui, const std::string& strTargets,
                                 const std::string& strPath) {
    m_strPath = strPath;
    m_bStopRequested = false;
    m_mapDetail.clear();
    Enable(DIALOG_OK, false);
    RebuildRows(ui, strTargets);
    if (m_pShownOn != &ui) {
        m_pShownOn = &ui;
        ui.OpenModeless(*this);
    }
}

void CDownloadProgressDlg::RebuildRows(CUi& ui, const std::string& strTargets) {
    std::vector<std::vector<std::string>> vecRows;
    for (std::string& strAddress : RemainingTargets(strTargets)) {
        vecRows.push_back(
            {std::move(strAddress), Cell(TXT_BATCH_STATE_WAITING), Cell(TXT_BATCH_RESULT_NONE)});
    }
    SetRows(IDC_PROGRESS_LIST, std::move(vecRows));
    SetInt(IDC_PROGRESS_LIST, -1);
    if (m_pShownOn == &ui) {
        ui.RefreshModeless(*this);
    }
}

void CDownloadProgressDlg::End(CUi& ui) {
    Enable(DIALOG_OK, true);
    if (m_pShownOn == &ui) {
        ui.RefreshModeless(*this);
    }
}

std::string CDownloadProgressDlg::GetRowAddress(size_t nRow) const {
    const auto& vecRows = GetRows(IDC_PROGRESS_LIST);
    if (nRow >= vecRows.size() || vecRows[nRow].empty()) {
        return {};
    }
    return vecRows[nRow][PROGRESS_COL_ADDRESS].substr(0, PROGRESS_ADDRESS_MAX);
}

void CDownloadProgressDlg::SetRowState(CUi& ui, size_t nRow, const char* pszState,
                                       const char* pszResult) {
    std::vector<std::vector<std::string>> vecRows = GetRows(IDC_PROGRESS_LIST);
    if (nRow >= vecRows.size()) {
        return;
    }
    vecRows[nRow].resize(3);
    vecRows[nRow][PROGRESS_COL_STATE] = Cell(pszState);
    vecRows[nRow][PROGRESS_COL_RESULT] = Cell(pszResult);
    SetRows(IDC_PROGRESS_LIST, std::move(vecRows));
    if (m_pShownOn == &ui) {
        ui.RefreshModeless(*this);
    }
}

SDialogAction CDownloadProgressDlg::OnCommand(CUi& /*ui*/, int nId) {
    // Enter comes here as OK even while the button is disabled: the window
    // closes only once the batch has ended.
    if (nId == DIALOG_OK && IsEnabled(DIALOG_OK)) {
        if (CUi* pShownOn = m_pShownOn) {
            m_pShownOn = nullptr;
            pShownOn->CloseModeless(*this);
        }
        return SDialogAction::StayOpen();
    }
    if (nId == IDC_PROGRESS_STOP || nId == DIALOG_CANCEL) {
        m_bStopRequested = true;
    }
    return SDialogAction::StayOpen();
}
