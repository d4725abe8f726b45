#pragma once
#include "ui/DialogModel.h"

#include <cstddef>
#include <string>

inline constexpr int IDC_BATCH_REGISTERED = 1154;
inline constexpr int IDC_BATCH_TARGETS = 1155;
inline constexpr int IDC_BATCH_ADD = 1150;
inline constexpr int IDC_BATCH_REMOVE = 1151;
inline constexpr int IDC_BATCH_ALL = 1160;
inline constexpr int IDC_BATCH_REGISTERED_LABEL = LabelOf(IDC_BATCH_REGISTERED);
inline constexpr int IDC_BATCH_TARGETS_LABEL = LabelOf(IDC_BATCH_TARGETS);

// A batch goes to this many nodes at most.
inline constexpr size_t BATCH_MAX_TARGETS = 16;

// The choice of a batch's nodes: the registered addresses on the left, the
// chosen ones on the right, in the order they were added.
class CDownloadTargetDlg : public CDialogModel {
public:
    // The registered addresses, joined by commas.
    explicit CDownloadTargetDlg(const std::string& strRegistered);

    const char* GetDialogName() const override { return "CDownloadTargetDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;
    SDialogAction OnListEvent(CUi& ui, int nId, EListEvent eEvent) override;

    // After OK: the chosen addresses joined by commas; empty otherwise.
    const std::string& GetTargetText() const { return m_strTargets; }

private:
    // Appends registered entry nRow unless it is a target already; false when
    // the list is full.
    bool AddEntry(int nRow);
    SDialogAction AddSelected();
    SDialogAction AddAll();
    SDialogAction RemoveSelected();

    std::string m_strTargets;
};
