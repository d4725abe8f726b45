#pragma once
#include "ui/DialogModel.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

inline constexpr int IDC_PROGRESS_LIST = 1158;
inline constexpr int IDC_PROGRESS_STOP = 1161;

// Columns of the progress list.
inline constexpr size_t PROGRESS_COL_ADDRESS = 0;
inline constexpr size_t PROGRESS_COL_STATE = 1;
inline constexpr size_t PROGRESS_COL_RESULT = 2;

// A row's address is read up to this many characters.
inline constexpr size_t PROGRESS_ADDRESS_MAX = 19;

// The batch's progress window: one row per target with its state and result.
// It stays open after the batch until the operator presses OK; a later batch
// shows its rows in the same window.
class CDownloadProgressDlg : public CDialogModel {
public:
    CDownloadProgressDlg();

    const char* GetDialogName() const override { return "CDownloadProgressDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    void OnModelessClosed() override { m_pShownOn = nullptr; }
    bool HasCloseBox() const override { return false; }

    // A batch starts: rows from the target list, OK disabled, the window shown
    // (the one still open from an earlier batch is reused).
    void Begin(CUi& ui, const std::string& strTargets, const std::string& strPath);
    // Rows again from the target list: entries marked done ('*') are left out.
    void RebuildRows(CUi& ui, const std::string& strTargets);
    // The batch ended: OK may close the window.
    void End(CUi& ui);

    size_t GetRowCount() const { return GetRows(IDC_PROGRESS_LIST).size(); }
    std::string GetRowAddress(size_t nRow) const;
    // State and result of a row (UTF-8 fixed texts); the window shows it at once.
    void SetRowState(CUi& ui, size_t nRow, const char* pszState, const char* pszResult);

    // What the node's server said of a failed put, by the row's address (not shown).
    void SetDetail(const std::string& strAddress, const std::string& strDetail) {
        m_mapDetail[strAddress] = strDetail;
    }
    std::string GetDetail(const std::string& strAddress) const {
        auto it = m_mapDetail.find(strAddress);
        return it == m_mapDetail.end() ? std::string() : it->second;
    }

    bool IsOpen() const { return m_pShownOn != nullptr; }
    const std::string& GetPath() const { return m_strPath; }
    // The stop button and Escape record a request; the batch does not stop for it.
    bool IsStopRequested() const { return m_bStopRequested; }

private:
    CUi* m_pShownOn = nullptr; // the UI that shows the window, while it is open
    std::string m_strPath;
    std::map<std::string, std::string> m_mapDetail;
    bool m_bStopRequested = false;
};

// The entries of a target list that remain: '*' left out of each piece, and
// only pieces then longer than 6 characters (a marked entry is all '*').
std::vector<std::string> RemainingTargets(const std::string& strTargets);
