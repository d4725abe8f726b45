#pragma once
// 表示 → 操作履歴: the latest entries of the operation log, newest first, in
// a window of its own that follows the log while it is open.
#include "ui/DialogModel.h"

#include <cstdint>
#include <string>

inline constexpr int IDC_OPLOG_LIST = 1750;   // report list: time, node, operation, outcome
inline constexpr int IDC_OPLOG_FOOTER = 1751; // label: the file and how many entries
// Columns of the list.
inline constexpr size_t OPLOG_COL_TIME = 0;
inline constexpr size_t OPLOG_COL_NODE = 1;
inline constexpr size_t OPLOG_COL_OPERATION = 2;
inline constexpr size_t OPLOG_COL_OUTCOME = 3;
// The window shows at most this many entries.
inline constexpr int OPLOG_WINDOW_ROWS = 500;

class CUi;

class COperationLogDlg : public CDialogModel {
public:
    COperationLogDlg();

    const char* GetDialogName() const override { return "COperationLogDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    void OnModelessClosed() override { m_pShownOn = nullptr; }

    // Shows the log at strPath (the window that is open already comes up
    // again with what the log holds now).
    void Open(CUi& ui, const std::string& strPath);
    // While open: the rows again when the log changed since they were read.
    void Refresh(CUi& ui);
    bool IsOpen() const { return m_pShownOn != nullptr; }

    // Reads the log again when its files changed; true when they did.
    bool Reload();

private:
    CUi* m_pShownOn = nullptr;
    std::string m_strPath;
    std::string m_strSignature; // of the files as last read
};

// The one window of the run; its command and the frame's refresh share it.
COperationLogDlg& OperationLogWindow();
