#pragma once
#include "ui/DialogModel.h"

#include <optional>
#include <string>

inline constexpr int IDC_FILEINFO_TEXT = 1122;
inline constexpr int IDC_FILEINFO_GROUP = CTL_GROUP_FIRST;

// The node's listing, read-only.
class CFileInfoDlg : public CDialogModel {
public:
    // Without a listing (it could not be read) the field stays empty.
    explicit CFileInfoDlg(const std::optional<std::string>& listing);

    const char* GetDialogName() const override { return "CFileInfoDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    // Opens it modally; a listing that could not be read is reported first.
    int Run(CUi& ui);

private:
    bool m_bRead;
};
