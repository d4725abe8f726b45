#pragma once
#include "ui/DialogModel.h"

inline constexpr int IDC_GETVER_OUTSIDE = 1058;
inline constexpr int IDC_GETVER_TEXT = LabelOf(IDC_GETVER_OUTSIDE);

// "設定の取得" before a version request: the box "ﾈｯﾄﾜｰｸ外" ticked sends to
// the node's address, cleared by broadcast. For a node without an address it
// is cleared and disabled.
class CGetVersionDlg : public CDialogModel {
public:
    explicit CGetVersionDlg(bool bHasAddress);

    const char* GetDialogName() const override { return "CGetVersionDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    // The unicast flag the box stands for.
    int GetUnicast() const { return GetInt(IDC_GETVER_OUTSIDE) != 0 ? 1 : 0; }
};
