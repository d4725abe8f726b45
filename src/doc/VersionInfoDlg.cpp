#include "doc/VersionInfoDlg.h"

#include "res/Texts.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
// Read-only fields throughout; the column titles stand over the first row's fields.
std::vector<SControl> VersionInfoControls() {
    auto Label = [](int nId, const char* pszText) {
        return SControl::Captioned(LabelOf(nId), ECtl::Label, pszText);
    };
    std::vector<SControl> vec{
        SControl::Captioned(IDC_VER_GROUP_SYSTEM, ECtl::Group, TXT_VER_GROUP_SYSTEM),
        Label(IDC_VER_BOARD_ID, TXT_VER_BOARD_ID),
        SControl::Of(IDC_VER_BOARD_ID, ECtl::ReadOnlyEdit),
        Label(IDC_VER_KERNEL, TXT_VER_KERNEL),
        SControl::Of(IDC_VER_KERNEL, ECtl::ReadOnlyEdit),
        Label(IDC_VER_BOOT, TXT_VER_BOOT),
        SControl::Of(IDC_VER_BOOT, ECtl::ReadOnlyEdit),
        SControl::Captioned(IDC_VER_GROUP_APPS, ECtl::Group, TXT_VER_GROUP_APPS),
        Label(IDC_VER_ROW_NAME, TXT_VER_COL_NAME),
        Label(IDC_VER_ROW_VERSION, TXT_VER_COL_VERSION),
        Label(IDC_VER_ROW_SECTORS, TXT_VER_COL_SECTORS),
        Label(IDC_VER_ROW_HIDDEN, TXT_VER_COL_SECTORS).Hidden(),
    };
    for (int nRow = 0; nRow < VER_MAX_ROWS; ++nRow) {
        vec.push_back(SControl::Of(CVersionInfoDlg::RowName(nRow), ECtl::ReadOnlyEdit));
        vec.push_back(SControl::Of(CVersionInfoDlg::RowVersion(nRow), ECtl::ReadOnlyEdit));
        vec.push_back(SControl::Of(CVersionInfoDlg::RowSectors(nRow), ECtl::ReadOnlyEdit));
        vec.push_back(SControl::Of(CVersionInfoDlg::RowHidden(nRow), ECtl::ReadOnlyEdit).Hidden());
    }
    vec.push_back(SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_VER_OK));
    return vec;
}
} // namespace

CVersionInfoDlg::CVersionInfoDlg(const uint8_t* pData, size_t nLen) {
    SetControls(VersionInfoControls());
    SetTitle(TXT_VER_TITLE);
    SVersionInfo info = DecodeVersionInfo(pData, nLen);
    SetText(IDC_VER_BOARD_ID, info.strBoard);
    SetText(IDC_VER_KERNEL, VersionText(info.nKernelMajor, info.nKernelMinor));
    SetText(IDC_VER_BOOT, VersionText(info.nBootMajor, info.nBootMinor));
    for (size_t k = 0; k < info.vecApps.size() && k < static_cast<size_t>(VER_MAX_ROWS); ++k) {
        const SVersionApp& app = info.vecApps[k];
        const int nRow = static_cast<int>(k);
        char sz[16];
        SetText(RowName(nRow), app.strName);
        SetText(RowVersion(nRow), VersionText(app.nMajor, app.nMinor));
        std::snprintf(sz, sizeof sz, "%u", app.nSectors);
        SetText(RowSectors(nRow), sz);
        std::snprintf(sz, sizeof sz, "%04X", app.nValue);
        SetText(RowHidden(nRow), sz);
    }
}

SDialogAction CVersionInfoDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_OK || nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(DIALOG_OK);
    }
    return SDialogAction::StayOpen();
}
